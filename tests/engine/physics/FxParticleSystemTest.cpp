#include "FxRecorders.h"

#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace ZQ::Fx;

// A world that is set up for the test and freed with it.
struct TestWorld : ParticleSystem {
    explicit TestWorld(const WorldConfig& config) : ParticleSystem(config) { setUp(); }
};

constexpr float DT2 = (1.0f / 30.0f) * (1.0f / 30.0f);

TEST(ParticleSystemTest, EmptyAndSingleParticleWorldsRunNoPairTestAndRestStays) {
    TestWorld world(kMainWorld);
    world.addCollisionForces();
    EXPECT_EQ(world.getTmpForceCount(), 0);
    world.doStep();

    EXPECT_EQ(world.addParticle(PVRTVec3(1, 2, 3)), 0);
    world.addCollisionForces();
    EXPECT_EQ(world.getTmpForceCount(), 0);
    for (int frame = 0; frame < 10; ++frame) {
        world.doStep();
    }
    EXPECT_EQ(world.getPosition(0), PVRTVec3(1, 2, 3));
    EXPECT_EQ(world.getVelocity(0), PVRTVec3());
}

TEST(ParticleSystemTest, IndexNeighboursNeverTouchButTwoApartDo) {
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addParticle(PVRTVec3(0, 0, 0)); // coincident with its neighbours
    world.addParticle(PVRTVec3(1.9f, 0, 0));
    world.addCollisionForces();

    ASSERT_EQ(world.getTmpForceCount(), 3);
    const auto* collision = dynamic_cast<const CollisionForce*>(world.getTmpForce(0));
    const auto* frictionI = dynamic_cast<const FrictionForce*>(world.getTmpForce(1));
    const auto* frictionJ = dynamic_cast<const FrictionForce*>(world.getTmpForce(2));
    ASSERT_NE(collision, nullptr);
    ASSERT_NE(frictionI, nullptr);
    ASSERT_NE(frictionJ, nullptr);
    EXPECT_EQ(collision->i, 0);
    EXPECT_EQ(collision->j, 2);
    EXPECT_EQ(collision->rest, 2.0f);
    EXPECT_EQ(frictionI->i, 0);
    EXPECT_EQ(frictionJ->i, 2);
    EXPECT_EQ(frictionI->mu, ParticleSystem::kBaseFriction);
}

// A contact rubs with its world's coefficient: two particles pressed
// together while pushed along y end up elsewhere under another one.
TEST(ParticleSystemTest, ContactsRubWithTheWorldsFrictionCoefficient) {
    auto run = [](float mu) {
        TestWorld world(kMainWorld);
        world.setFrictionCoefficient(mu);
        world.addParticle(PVRTVec3(0, 0, 0));
        world.addParticle(PVRTVec3(9, 0, 0)); // keeps 0 and 2 from being index neighbours
        world.addParticle(PVRTVec3(1.5f, 0, 0));
        world.addForce(new ConstantForce(0, PVRTVec3(200, 300, 0)));
        world.addForce(new ConstantForce(2, PVRTVec3(-200, 300, 0)));
        world.addCollisionForces();
        const auto* friction = dynamic_cast<const FrictionForce*>(world.getTmpForce(2));
        EXPECT_NE(friction, nullptr);
        EXPECT_EQ(friction != nullptr ? friction->mu : 0.0f, mu);
        for (int frame = 0; frame < 10; ++frame) {
            world.doStep();
        }
        return world.getPosition(2).y;
    };
    EXPECT_EQ(run(158.0f), run(158.0f));
    EXPECT_NE(run(140.0f), run(158.0f)) << "the coefficient reaches the contacts";
}

// The pair test's forces and forces made by callers share the temporary
// table; each must be disposed of the way it was made (the sanitizer build
// catches a mix-up).
TEST(ParticleSystemTest, CallerAndPairForcesShareTheTemporaryTable) {
    TestWorld world(kFlowWorld);
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addParticle(PVRTVec3(0, 10, 0));
    world.addParticle(PVRTVec3(1, 0, 0));
    world.addTmpForce(new CollisionForce(0, 2, 2.0f));
    world.step(true);
    EXPECT_EQ(world.getTmpForceCount(), 0);
    // The caller's collision force and the pair test's both acted: the
    // overlap of 1.0 is pushed out twice over.
    EXPECT_NEAR(world.getPosition(2).x - world.getPosition(0).x, 3.0f, 1e-2f);

    world.addParticle(PVRTVec3(0, 0, 1));
    world.addCollisionForces();
    world.addTmpForce(new ConstantForce(1, PVRTVec3(1, 0, 0)));
    ASSERT_EQ(world.getTmpForceCount(), 4);
    world.tearDown();
    EXPECT_EQ(world.getTmpForceCount(), 0);
}

TEST(ParticleSystemTest, PairForcesActInTheirSubstepOnly) {
    TestWorld world(kFlowWorld);
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addParticle(PVRTVec3(0, 10, 0));
    world.addParticle(PVRTVec3(1, 0, 0));
    world.step(true);
    EXPECT_EQ(world.getTmpForceCount(), 0);
    // Pushed apart by half the overlap each, before friction's small drag.
    EXPECT_NEAR(world.getPosition(0).x, -0.5f, 1e-3f);
    EXPECT_NEAR(world.getPosition(2).x, 1.5f, 1e-3f);
    EXPECT_EQ(world.getPosition(1), PVRTVec3(0, 10, 0));
}

TEST(ParticleSystemTest, ForcesThenConstraintsInTheirOrderAndTemporariesForOneSubstep) {
    FxLog log;
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3());
    world.addTmpForce(new RecordingForce(log, "tmp force"));
    world.addForce(new RecordingForce(log, "force"));
    world.addTmpConstaint(new RecordingConstraint(log, "tmp constraint"));
    world.addConstaint(new RecordingConstraint(log, "constraint"));
    world.doStep();

    const std::vector<std::string> firstSubstep = {
        "force",          "tmp force",      "tmp constraint",   "tmp constraint",
        "tmp constraint", "tmp constraint", "constraint",       "constraint",
        "constraint",     "constraint",     "delete tmp force", "delete tmp constraint"};
    ASSERT_GE(log.events.size(), firstSubstep.size());
    EXPECT_EQ(std::vector<std::string>(log.events.begin(), log.events.begin() + firstSubstep.size()),
              firstSubstep);
    EXPECT_EQ(log.count("force"), 3);
    EXPECT_EQ(log.count("tmp force"), 1);
    EXPECT_EQ(log.count("constraint"), 12);
    EXPECT_EQ(log.count("tmp constraint"), 4);
    EXPECT_EQ(world.getTmpForceCount(), 0);
    EXPECT_EQ(world.getTmpConstraintCount(), 0);
    EXPECT_EQ(world.getForceCount(), 1);
    EXPECT_EQ(world.getConstraintCount(), 1);

    log.events.clear();
    world.tearDown();
    EXPECT_EQ(log.count("delete force"), 1);
    EXPECT_EQ(log.count("delete constraint"), 1);
}

TEST(ParticleSystemTest, TemporaryForceMovesOnlyInTheFirstSubstepThenInertiaCarriesIt) {
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3());
    world.addTmpForce(new ConstantForce(0, PVRTVec3(90, 0, 0)));
    world.doStep();
    const float kick = 90.0f * DT2;
    EXPECT_NEAR(world.getPosition(0).x, kick * (1.0f + 0.995f + 0.995f * 0.995f), 1e-6f);
    EXPECT_NEAR(world.getVelocity(0).x, kick * 0.995f * 0.995f, 1e-6f);
}

TEST(ParticleSystemTest, DisplacementIsCappedInTheMainWorldOnly) {
    TestWorld main(kMainWorld);
    main.addParticle(PVRTVec3());
    main.addTmpForce(new ConstantForce(0, PVRTVec3(0, 0, 900)));
    main.doStep();
    EXPECT_NEAR(main.getPosition(0).z, 0.25f * (1.0f + 0.995f + 0.995f * 0.995f), 1e-6f);

    for (const WorldConfig& config : {kFlowWorld, kBraidWorld}) {
        TestWorld world(config);
        world.addParticle(PVRTVec3());
        world.addTmpForce(new ConstantForce(0, PVRTVec3(0, 0, 900)));
        world.doStep();
        EXPECT_NEAR(world.getVelocity(0).z, 1.0f, 1e-5f);
        EXPECT_NEAR(world.getPosition(0).z, 1.0f, 1e-5f);
    }
}

TEST(ParticleSystemTest, InertiaCarriesLastMotionAndConstraintCorrections) {
    TestWorld world(kFlowWorld);
    world.addParticle(PVRTVec3());
    world.addTmpConstaint(new FixConstraint(0, PVRTVec3(1, 0, 0)));
    world.step(true);
    EXPECT_EQ(world.getPosition(0), PVRTVec3(1, 0, 0));
    EXPECT_EQ(world.getVelocity(0), PVRTVec3()); // measured before the constraint

    world.step(true);
    EXPECT_FLOAT_EQ(world.getPosition(0).x, 1.995f);

    world.step(false);
    EXPECT_FLOAT_EQ(world.getPosition(0).x, 1.995f);
    EXPECT_EQ(world.getVelocity(0), PVRTVec3());
}

TEST(ParticleSystemTest, GravityAloneLowersAParticleAtRestByTenNinehundredths) {
    TestWorld world(kFlowWorld);
    world.addParticle(PVRTVec3(0, 5, 0));
    world.addForce(new GravityForce(0));
    world.doStep();
    EXPECT_NEAR(world.getPosition(0).y, 5.0f - 10.0f / 900.0f, 1e-6f);
}

TEST(ParticleSystemTest, PausedWorldKeepsTemporariesQueuedForTheFirstSubstepAfterResume) {
    FxLog log;
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addTmpForce(new ConstantForce(0, PVRTVec3(30, 0, 0)));
    world.doStep(); // moving now
    const PVRTVec3 before = world.getPosition(0);

    world.pause();
    world.addTmpForce(new RecordingForce(log, "tmp force"));
    world.addTmpConstaint(new RecordingConstraint(log, "tmp constraint"));
    for (int frame = 0; frame < 5; ++frame) {
        world.doStep();
    }
    EXPECT_EQ(world.getPosition(0), before);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(world.getTmpForceCount(), 1);
    EXPECT_EQ(world.getTmpConstraintCount(), 1);

    world.resume();
    world.doStep();
    EXPECT_EQ(log.count("tmp force"), 1);
    EXPECT_EQ(log.count("tmp constraint"), 4);
    EXPECT_GT(world.getPosition(0).x, before.x);
}

TEST(ParticleSystemTest, SetUpEmptiesTheWorldButKeepsItPaused) {
    FxLog log;
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3());
    world.addForce(new RecordingForce(log, "force"));
    world.addTmpConstaint(new RecordingConstraint(log, "tmp"));
    world.pause();
    world.tearDown();
    world.setUp();
    EXPECT_EQ(world.getParticleCount(), 0);
    EXPECT_EQ(world.getForceCount(), 0);
    EXPECT_EQ(world.getTmpConstraintCount(), 0);
    EXPECT_EQ(log.count("delete force"), 1);
    EXPECT_EQ(log.count("delete tmp"), 1);
    EXPECT_TRUE(world.isPaused());

    // setUp on a world that was never torn down empties it too, freeing what it held.
    world.addForce(new RecordingForce(log, "again"));
    world.setUp();
    EXPECT_EQ(log.count("delete again"), 1);
    EXPECT_EQ(world.getForceCount(), 0);
}

TEST(ParticleSystemTest, BulkReadersSeeTheCurrentBufferAfterEveryRotation) {
    TestWorld world(kMainWorld);
    world.addParticle(PVRTVec3(0, 0, 0));
    world.addParticle(PVRTVec3(0, 0, 1));
    world.addTmpForce(new ConstantForce(1, PVRTVec3(0, 3, 0)));
    for (int frame = 0; frame < 4; ++frame) {
        world.doStep();
        ASSERT_EQ(world.getParticleCount(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(world.getPositions()[i], world.getPosition(i));
        }
    }
    EXPECT_GT(world.getPositions()[1].y, 0.0f);
}

// Destroying a world that was never torn down must free what it owns.
TEST(ParticleSystemTest, DestroyingASetUpWorldDeletesItsObjects) {
    FxLog log;
    {
        TestWorld world(kBraidWorld);
        world.addParticle(PVRTVec3());
        world.addForce(new RecordingForce(log, "force"));
        world.addTmpForce(new RecordingForce(log, "tmp"));
        world.addConstaint(new RecordingConstraint(log, "constraint"));
    }
    EXPECT_EQ(log.count("delete force"), 1);
    EXPECT_EQ(log.count("delete tmp"), 1);
    EXPECT_EQ(log.count("delete constraint"), 1);
}

} // namespace
