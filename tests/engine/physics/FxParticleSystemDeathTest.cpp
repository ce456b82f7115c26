#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

namespace {

using namespace ZQ::Fx;

// Every world owns a worker thread, so the death tests re-run the binary
// instead of forking a threaded process.
class ParticleSystemDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void overfillParticles() {
    ParticleSystem world(kMainWorld);
    world.setUp();
    for (int n = 0; n <= PARTICLE_ARRAY_SIZE; ++n) {
        world.addParticle(PVRTVec3(float(n), 0, 0));
    }
}

void overfillConstraints(bool temporary) {
    ParticleSystem world(kMainWorld);
    world.setUp();
    world.addParticle(PVRTVec3());
    for (int n = 0; n <= CONSTRAINT_ARRAY_SIZE; ++n) {
        Constraint* c = new FixConstraint(0, PVRTVec3());
        temporary ? world.addTmpConstaint(c) : world.addConstaint(c);
    }
}

void overfillForces(bool temporary) {
    ParticleSystem world(kFlowWorld);
    world.setUp();
    world.addParticle(PVRTVec3());
    for (int n = 0; n <= FORCE_ARRAY_SIZE; ++n) {
        Force* f = new GravityForce(0);
        temporary ? world.addTmpForce(f) : world.addForce(f);
    }
}

void readPosition(int index) {
    ParticleSystem world(kMainWorld);
    world.setUp();
    world.addParticle(PVRTVec3());
    world.addParticle(PVRTVec3());
    world.getPosition(index);
}

void readVelocityAfterEmptying() {
    ParticleSystem world(kMainWorld);
    world.setUp();
    world.addParticle(PVRTVec3());
    world.tearDown();
    world.setUp();
    world.getVelocity(0);
}

void addToTornDownWorld() {
    ParticleSystem world(kBraidWorld);
    world.setUp();
    world.tearDown();
    world.addParticle(PVRTVec3());
}

TEST_F(ParticleSystemDeathTest, The1025thParticleStops) {
    EXPECT_DEATH(overfillParticles(), "check failed: p_count<PARTICLE_ARRAY_SIZE");
}

TEST_F(ParticleSystemDeathTest, FullConstraintTablesStop) {
    EXPECT_DEATH(overfillConstraints(false), "check failed: cp_count<CONSTRAINT_ARRAY_SIZE");
    EXPECT_DEATH(overfillConstraints(true), "check failed: ct_count<CONSTRAINT_ARRAY_SIZE");
}

TEST_F(ParticleSystemDeathTest, FullForceTablesStop) {
    EXPECT_DEATH(overfillForces(false), "check failed: fp_count<FORCE_ARRAY_SIZE");
    EXPECT_DEATH(overfillForces(true), "check failed: ft_count<FORCE_ARRAY_SIZE");
}

TEST_F(ParticleSystemDeathTest, QueriesOutsideTheParticlesStop) {
    const char* expected = "check failed: p_index>=0 && p_index<p_count";
    EXPECT_DEATH(readPosition(2), expected);
    EXPECT_DEATH(readPosition(-1), expected);
    EXPECT_DEATH(readVelocityAfterEmptying(), "check failed: p_index>=0 && p_index<p_count");
}

TEST_F(ParticleSystemDeathTest, AddingToATornDownWorldStops) {
    EXPECT_DEATH(addToTornDownWorld(), "check failed: positions != nullptr");
}

} // namespace
