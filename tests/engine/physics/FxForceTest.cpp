#include "engine/physics/FxForce.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::Fx::CollisionForce;
using ZQ::Fx::FrictionForce;

TEST(CollisionForceTest, PushesAnOverlappingPairApartBy450) {
    PVRTVec3 p[2] = {{0, 0, 0}, {0, 1, 0}};
    PVRTVec3 o[2] = {p[0], p[1]};
    PVRTVec3 a[2] = {{1, 1, 1}, {0, 0, 0}};
    CollisionForce(0, 1, 2.0f).apply(p, o, a);
    EXPECT_FLOAT_EQ(a[0].y, 1.0f - 450.0f);
    EXPECT_FLOAT_EQ(a[1].y, 450.0f);
    EXPECT_EQ(a[0].x, 1.0f);
    EXPECT_EQ(a[1].z, 0.0f);
}

TEST(CollisionForceTest, ScalesWithTheOverlapAlongTheJoin) {
    PVRTVec3 p[2] = {{0, 0, 0}, {1.2f, 0, 1.6f}}; // d = 2, no overlap
    PVRTVec3 a[2];
    CollisionForce(0, 1, 2.0f).apply(p, p, a);
    EXPECT_NEAR(a[0].x, 0.0f, 1e-4f);
    EXPECT_NEAR(a[1].z, 0.0f, 1e-4f);

    p[1] = PVRTVec3(0.3f, 0, 0.4f); // d = 0.5, overlap 1.5
    CollisionForce(0, 1, 2.0f).apply(p, p, a);
    const float push = 1.5f * 0.5f * 900.0f;
    EXPECT_NEAR(a[1].x, push * 0.6f, 0.01f);
    EXPECT_NEAR(a[1].z, push * 0.8f, 0.01f);
    EXPECT_NEAR(a[0].x, -push * 0.6f, 0.01f);
}

TEST(CollisionForceTest, CoincidentPairGetsNoPushAndNoNaN) {
    PVRTVec3 p[2] = {{5, 5, 5}, {5, 5, 5}};
    PVRTVec3 a[2] = {{1, 2, 3}, {4, 5, 6}};
    CollisionForce(0, 1, 2.0f).apply(p, p, a);
    EXPECT_EQ(a[0], PVRTVec3(1, 2, 3));
    EXPECT_EQ(a[1], PVRTVec3(4, 5, 6));
}

TEST(FrictionForceTest, DragIsCappedAtUnitDisplacement) {
    const PVRTVec3 fast = FrictionForce::drag(PVRTVec3(3, 0, 4), 0.5f);
    EXPECT_FLOAT_EQ(fast.x, -0.3f);
    EXPECT_EQ(fast.y, 0.0f);
    EXPECT_FLOAT_EQ(fast.z, -0.4f);

    const PVRTVec3 slow = FrictionForce::drag(PVRTVec3(0.3f, 0, 0.4f), 0.5f);
    EXPECT_FLOAT_EQ(slow.x, -0.15f);
    EXPECT_FLOAT_EQ(slow.z, -0.2f);
}

TEST(FrictionForceTest, ApplyDragsAgainstTheLastDisplacementWithItsCoefficient) {
    const float mu = 152.0f;
    PVRTVec3 p[2] = {{0, 0, 0}, {4, 1, 4}};
    PVRTVec3 o[2] = {{0, 0, 0}, {1, 1, 0}}; // moved (3, 0, 4)
    PVRTVec3 a[2] = {{0, 0, 0}, {0, 7, 0}};
    FrictionForce(1, mu).apply(p, o, a);
    EXPECT_FLOAT_EQ(a[1].x, -0.6f * mu);
    EXPECT_FLOAT_EQ(a[1].y, 7.0f);
    EXPECT_FLOAT_EQ(a[1].z, -0.8f * mu);
    EXPECT_EQ(a[0], PVRTVec3());
}

} // namespace
