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
    ParticleSystem world(MAIN_WORLD);
    world.setUp();
    for (int n = 0; n <= PARTICLE_ARRAY_SIZE; ++n) {
        world.addParticle(PVRTVec3(float(n), 0, 0));
    }
}

void overfillConstraints(bool temporary) {
    ParticleSystem world(MAIN_WORLD);
    world.setUp();
    world.addParticle(PVRTVec3());
    for (int n = 0; n <= CONSTRAINT_ARRAY_SIZE; ++n) {
        Constraint* c = new FixConstraint(0, PVRTVec3());
        temporary ? world.addTmpConstaint(c) : world.addConstaint(c);
    }
}

void overfillForces(bool temporary) {
    ParticleSystem world(FLOW_WORLD);
    world.setUp();
    world.addParticle(PVRTVec3());
    for (int n = 0; n <= FORCE_ARRAY_SIZE; ++n) {
        Force* f = new GravityForce(0);
        temporary ? world.addTmpForce(f) : world.addForce(f);
    }
}

void readPosition(int index) {
    ParticleSystem world(MAIN_WORLD);
    world.setUp();
    world.addParticle(PVRTVec3());
    world.addParticle(PVRTVec3());
    world.getPosition(index);
}

void readVelocityAfterEmptying() {
    ParticleSystem world(MAIN_WORLD);
    world.setUp();
    world.addParticle(PVRTVec3());
    world.tearDown();
    world.setUp();
    world.getVelocity(0);
}

void addToTornDownWorld() {
    ParticleSystem world(BRAID_WORLD);
    world.setUp();
    world.tearDown();
    world.addParticle(PVRTVec3());
}

TEST_F(ParticleSystemDeathTest, The1025thParticleStops) {
    EXPECT_DEATH(overfillParticles(),
                 "\\(p_count<PARTICLE_ARRAY_SIZE\\), function addParticle, file FxParticleSystem\\.cpp");
}

TEST_F(ParticleSystemDeathTest, FullConstraintTablesStop) {
    EXPECT_DEATH(overfillConstraints(false),
                 "\\(cp_count<CONSTRAINT_ARRAY_SIZE\\), function addConstaint, file FxParticleSystem\\.cpp");
    EXPECT_DEATH(
        overfillConstraints(true),
        "\\(ct_count<CONSTRAINT_ARRAY_SIZE\\), function addTmpConstaint, file FxParticleSystem\\.cpp");
}

TEST_F(ParticleSystemDeathTest, FullForceTablesStop) {
    EXPECT_DEATH(overfillForces(false),
                 "\\(fp_count<FORCE_ARRAY_SIZE\\), function addForce, file FxParticleSystem\\.cpp");
    EXPECT_DEATH(overfillForces(true),
                 "\\(ft_count<FORCE_ARRAY_SIZE\\), function addTmpForce, file FxParticleSystem\\.cpp");
}

TEST_F(ParticleSystemDeathTest, QueriesOutsideTheParticlesStop) {
    const char* expected =
        "\\(p_index>=0 && p_index<p_count\\), function getPosition, file FxParticleSystem_query\\.cpp";
    EXPECT_DEATH(readPosition(2), expected);
    EXPECT_DEATH(readPosition(-1), expected);
    EXPECT_DEATH(
        readVelocityAfterEmptying(),
        "\\(p_index>=0 && p_index<p_count\\), function getVelocity, file FxParticleSystem_query\\.cpp");
}

TEST_F(ParticleSystemDeathTest, AddingToATornDownWorldStops) {
    EXPECT_DEATH(addToTornDownWorld(), "function addParticle, file FxParticleSystem\\.cpp");
}

} // namespace
