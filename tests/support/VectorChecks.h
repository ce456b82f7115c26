#pragma once

#include "engine/PVRTVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>

// Checks on points that tests share.

inline bool finite(const PVRTVec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Each coordinate within `tolerance` of the expected one.
inline void expectNear(const PVRTVec3& actual, const PVRTVec3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The same floats bit for bit, except that any two NaNs count as equal: which
// NaN an operation returns when both operands are NaN depends on the order
// the compiler put them in, and nothing reads a NaN's sign or payload.
inline ::testing::AssertionResult sameFloats(const PVRTVec3* actual, const PVRTVec3* expected, size_t count) {
    for (size_t n = 0; n < count; ++n) {
        const float a[3] = {actual[n].x, actual[n].y, actual[n].z};
        const float e[3] = {expected[n].x, expected[n].y, expected[n].z};
        for (int axis = 0; axis < 3; ++axis) {
            const bool bothNaN = std::isnan(a[axis]) && std::isnan(e[axis]);
            if (!bothNaN && std::memcmp(&a[axis], &e[axis], sizeof(float)) != 0) {
                return ::testing::AssertionFailure() << "point " << n << " axis " << axis << ": " << a[axis]
                                                     << " where " << e[axis] << " was expected";
            }
        }
    }
    return ::testing::AssertionSuccess();
}
