#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace ZQ::Fx;

bool isFiniteVector(const PVRTVec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool allFinite(const ParticleSystem& world) {
    for (int32_t i = 0; i < world.getParticleCount(); ++i) {
        if (!isFiniteVector(world.getPosition(i))) {
            return false;
        }
    }
    return true;
}

// A cord laid as the cord model lays it: links of 2.0, distance 3.0 between
// particles two apart, one bound per particle.
void layCord(ParticleSystem& world, int32_t count, const PVRTVec3& at) {
    const auto box = BoundConstraint::boxCorners(PVRTVec3(-15, -12, -9), PVRTVec3(15, 12, 9));
    for (int32_t n = 0; n < count; ++n) {
        world.addParticle(at);
        world.addConstaint(new BoundConstraint(n, box));
    }
    for (int32_t n = 0; n + 1 < count; ++n) {
        world.addConstaint(new LinkConstraint(n, n + 1, 2.0f));
    }
    for (int32_t n = 0; n + 2 < count; ++n) {
        world.addConstaint(new DistanceConstraint(n, n + 2, 3.0f));
    }
}

// Before the zero-distance guard, a coincident pair turned into NaN, the
// links spread it and the bounds snapped the whole cord into one corner.
TEST(StabilityTest, CoincidentCordStaysFiniteAndUnfoldsOnceTouched) {
    ParticleSystem world(kMainWorld);
    world.setUp();
    layCord(world, 12, PVRTVec3(1, 2, 3));
    for (int frame = 0; frame < 5; ++frame) {
        world.doStep();
    }
    ASSERT_TRUE(allFinite(world));

    for (int frame = 0; frame < 60; ++frame) {
        if (frame < 5) {
            world.addTmpForce(new ConstantForce(0, PVRTVec3(150, 40, 0)));
        }
        world.doStep();
        ASSERT_TRUE(allFinite(world)) << "frame " << frame;
    }
    float spread = 0.0f;
    for (int32_t i = 1; i < world.getParticleCount(); ++i) {
        spread = std::fmax(spread, (world.getPosition(i) - world.getPosition(0)).length());
        EXPECT_FALSE(world.getPosition(i) == PVRTVec3(-13.5f, -10.5f, -7.5f)) << i;
    }
    EXPECT_GT(spread, 4.0f);
}

TEST(StabilityTest, CoincidentCollisionPairStaysFinite) {
    ParticleSystem world(kFlowWorld);
    world.setUp();
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addParticle(PVRTVec3(5, 5, 5));
    world.addParticle(PVRTVec3(0, 0, 0));
    for (int frame = 0; frame < 30; ++frame) {
        world.doStep();
    }
    EXPECT_TRUE(allFinite(world));
}

// A chain hung from its first particle, starting with every particle on one
// point, must fall open and stay whole in both stepping regimes. (The nudge
// breaks the symmetry: a pile on one vertical line could stand on its pin.)
class HangingChainTest : public ::testing::TestWithParam<WorldConfig> {};

TEST_P(HangingChainTest, HundredParticleChainStaysFiniteFor300Frames) {
    ParticleSystem world(GetParam());
    world.setUp();
    constexpr int32_t COUNT = 100;
    for (int32_t n = 0; n < COUNT; ++n) {
        world.addParticle(PVRTVec3(0, 0, 0));
        world.addForce(new GravityForce(n));
        if (n > 0) {
            world.addConstaint(new LinkConstraint(n - 1, n, 2.0f));
        }
    }
    world.addConstaint(new FixConstraint(0, PVRTVec3(0, 0, 0)));
    for (int frame = 0; frame < 300; ++frame) {
        if (frame < 3) {
            world.addTmpForce(new ConstantForce(COUNT - 1, PVRTVec3(20, 0, 10)));
        }
        world.doStep();
        ASSERT_TRUE(allFinite(world)) << "frame " << frame;
    }
    EXPECT_EQ(world.getPosition(0), PVRTVec3(0, 0, 0));
    float lowest = 0.0f;
    for (int32_t n = 1; n < COUNT; ++n) {
        EXPECT_LT((world.getPosition(n) - world.getPosition(n - 1)).length(), 3.5f) << n;
        lowest = std::fmin(lowest, world.getPosition(n).y);
    }
    EXPECT_LT(lowest, -10.0f);
}

INSTANTIATE_TEST_SUITE_P(Worlds, HangingChainTest, ::testing::Values(kMainWorld, kFlowWorld));

} // namespace
