#pragma once

#include "engine/PVRTVector.h"

#include <gtest/gtest.h>

#include <cmath>

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
