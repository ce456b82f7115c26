#include "engine/physics/FxConstraint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using ZQ::Fx::BoundConstraint;
using ZQ::Fx::DistanceConstraint;
using ZQ::Fx::FixConstraint;
using ZQ::Fx::LinkConstraint;

float distance(const PVRTVec3& a, const PVRTVec3& b) {
    return (a - b).length();
}

bool finiteVector(const PVRTVec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST(LinkConstraintTest, SharesTheErrorEquallyWhetherCompressedOrStretched) {
    PVRTVec3 near[2] = {{0, 0, 0}, {1, 0, 0}};
    LinkConstraint(0, 1, 2.0f).satisfy(near, 2);
    EXPECT_FLOAT_EQ(distance(near[0], near[1]), 2.0f);
    EXPECT_FLOAT_EQ(near[0].x, -0.5f);
    EXPECT_FLOAT_EQ(near[1].x, 1.5f);

    PVRTVec3 far[2] = {{0, 0, 0}, {0, 3, 0}};
    LinkConstraint(0, 1, 2.0f).satisfy(far, 2);
    EXPECT_FLOAT_EQ(far[0].y, 0.5f);
    EXPECT_FLOAT_EQ(far[1].y, 2.5f);
    EXPECT_EQ(far[0].x, 0.0f);
    EXPECT_EQ(far[1].z, 0.0f);
}

TEST(DistanceConstraintTest, OnlyPushesApart) {
    PVRTVec3 atMinimum[2] = {{0, 0, 0}, {3, 0, 0}};
    DistanceConstraint(0, 1, 3.0f).satisfy(atMinimum, 2);
    EXPECT_EQ(atMinimum[0], PVRTVec3(0, 0, 0));
    EXPECT_EQ(atMinimum[1], PVRTVec3(3, 0, 0));

    PVRTVec3 beyond[2] = {{0, 0, 0}, {0, 0, 5}};
    DistanceConstraint(0, 1, 3.0f).satisfy(beyond, 2);
    EXPECT_EQ(beyond[1], PVRTVec3(0, 0, 5));

    PVRTVec3 close[2] = {{1, 1, 1}, {1, 3, 1}};
    DistanceConstraint(0, 1, 3.0f).satisfy(close, 2);
    EXPECT_FLOAT_EQ(close[0].y, 0.5f);
    EXPECT_FLOAT_EQ(close[1].y, 3.5f);
}

// A coincident pair has no join to move along; the rule must not divide by
// zero and leave NaN behind.
TEST(CoincidentConstraintTest, LinkAndDistanceLeaveACoincidentPairFiniteAndInPlace) {
    PVRTVec3 p[2] = {{2, 3, 4}, {2, 3, 4}};
    LinkConstraint(0, 1, 2.0f).satisfy(p, 2);
    DistanceConstraint(0, 1, 3.0f).satisfy(p, 2);
    EXPECT_TRUE(finiteVector(p[0]));
    EXPECT_TRUE(finiteVector(p[1]));
    EXPECT_EQ(p[0], PVRTVec3(2, 3, 4));
    EXPECT_EQ(p[1], PVRTVec3(2, 3, 4));
}

TEST(FixConstraintTest, PinsTheParticle) {
    PVRTVec3 p[2] = {{1, 2, 3}, {4, 5, 6}};
    FixConstraint(1, PVRTVec3(-1, 0, 9)).satisfy(p, 2);
    EXPECT_EQ(p[1], PVRTVec3(-1, 0, 9));
    EXPECT_EQ(p[0], PVRTVec3(1, 2, 3));
}

TEST(BoundConstraintTest, CornersRunFromMinimumToMaximumByBits) {
    const auto c = BoundConstraint::boxCorners(PVRTVec3(-10, -5, -4), PVRTVec3(10, 5, 4));
    EXPECT_EQ(c[0], PVRTVec3(-10, -5, -4));
    EXPECT_EQ(c[1], PVRTVec3(-10, -5, 4));
    EXPECT_EQ(c[2], PVRTVec3(-10, 5, -4));
    EXPECT_EQ(c[4], PVRTVec3(10, -5, -4));
    EXPECT_EQ(c[7], PVRTVec3(10, 5, 4));
}

TEST(BoundConstraintTest, KeepsTheParticleOneAndAHalfInsideEveryFace) {
    const auto box = BoundConstraint::boxCorners(PVRTVec3(-10, -5, -4), PVRTVec3(10, 5, 4));
    PVRTVec3 p[3] = {{12, 0, -4}, {-30, 9, 4}, {1, 2, 0.5f}};
    for (int i = 0; i < 3; ++i) {
        BoundConstraint(i, box).satisfy(p, 3);
    }
    EXPECT_EQ(p[0], PVRTVec3(8.5f, 0, -2.5f));
    EXPECT_EQ(p[1], PVRTVec3(-8.5f, 3.5f, 2.5f));
    EXPECT_EQ(p[2], PVRTVec3(1, 2, 0.5f));
}

TEST(BoundConstraintTest, ReadsOnlyTheFirstAndLastCorner) {
    auto box = BoundConstraint::boxCorners(PVRTVec3(0, 0, 0), PVRTVec3(10, 10, 10));
    for (int k = 1; k < 7; ++k) {
        box[k] = PVRTVec3(100, -100, 100);
    }
    PVRTVec3 p[1] = {{20, -20, 5}};
    BoundConstraint(0, box).satisfy(p, 1);
    EXPECT_EQ(p[0], PVRTVec3(8.5f, 1.5f, 5));
}

TEST(BoundConstraintTest, NotANumberBecomesTheLowerBoundAndANarrowAxisTakesTheUpperBound) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const auto box = BoundConstraint::boxCorners(PVRTVec3(-10, -5, 0), PVRTVec3(10, 5, 2));
    PVRTVec3 p[1] = {{nan, 0, 1}};
    BoundConstraint(0, box).satisfy(p, 1);
    EXPECT_EQ(p[0].x, -8.5f); // lo + 1.5
    EXPECT_EQ(p[0].y, 0.0f);
    EXPECT_EQ(p[0].z, 0.5f); // box 2 wide on z: hi - 1.5
}

} // namespace
