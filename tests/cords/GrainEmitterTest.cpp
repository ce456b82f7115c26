#include "cords/GrainEmitter.h"

#include "engine/Action.h"
#include "engine/Globals.h"
#include "support/GlobalsTest.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ZQ::GrainEmitter;

constexpr float kWidth = 640.0f;

class GrainTest : public GlobalsTest {
protected:
    GrainTest() : GlobalsTest(kWidth, 1136.0f) {}

    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::seedRandom(kTestSeed);
    }

    // Ticks the emitter's burst until it ends; the number of ticks it took.
    static int runToEnd(GrainEmitter& emitter, int limit = 400) {
        for (int tick = 1; tick <= limit; ++tick) {
            emitter.step();
            if (emitter.getAction()->isFinished()) {
                return tick;
            }
        }
        return -1;
    }

    static float distance(const float (&p)[4], const PVRTVec3& c) {
        return (PVRTVec3(p[0], p[1], p[2]) - c).length();
    }
};

TEST_F(GrainTest, MaxCountIsLimitedToTheArraysAndTheArraysStartZeroed) {
    GrainEmitter big(500, 0);
    GrainEmitter negative(-3, 1);
    GrainEmitter fits(128, 0);
    EXPECT_EQ(big.getMaxCount(), 128);
    EXPECT_EQ(negative.getMaxCount(), 0);
    EXPECT_EQ(fits.getMaxCount(), 128);
    EXPECT_EQ(big.getCount(), 0);
    for (int i = 0; i < GrainEmitter::kMaxGrains; ++i) {
        for (int c = 0; c < 4; ++c) {
            ASSERT_EQ(big.positionsAlpha[i][c], 0.0f);
            ASSERT_EQ(big.orientations[i][c], 0.0f);
        }
        ASSERT_EQ(big.indexMaterials[i], 0.0f);
    }
}

TEST_F(GrainTest, TheMaterialCurveGivesEachGrainItsScorePart) {
    GrainEmitter emitter(10, 0);
    EXPECT_EQ(emitter.materialAt(3.0f), 0) << "no curve";
    // Grains 1..4 are part 4, 5..6 part 3, 7..10 part 1.
    emitter.setMaterialCurve({{4.0f, 4.0f}, {6.0f, 3.0f}, {10.0f, 1.0f}});
    EXPECT_EQ(emitter.materialAt(1.0f), 4) << "before the first point";
    EXPECT_EQ(emitter.materialAt(4.0f), 4) << "exactly on a point takes its value";
    EXPECT_EQ(emitter.materialAt(4.001f), 3) << "just above takes the next value";
    EXPECT_EQ(emitter.materialAt(6.0f), 3);
    EXPECT_EQ(emitter.materialAt(7.0f), 1);
    EXPECT_EQ(emitter.materialAt(10.0f), 1);
    EXPECT_EQ(emitter.materialAt(11.0f), 1) << "after the last point";
    emitter.setMaterialCurve({{2.0f, 2.7f}});
    EXPECT_EQ(emitter.materialAt(1.0f), 2) << "truncated";
}

TEST_F(GrainTest, AGrainAppearsOnTheSphereAroundTheItemWithItsMaterial) {
    GrainEmitter emitter(3, 0);
    emitter.layout.position = PVRTVec3(100.0f, 200.0f, 300.0f);
    emitter.setMaterialCurve({{1.0f, 2.0f}, {3.0f, 4.0f}});
    for (int i = 0; i < 3; ++i) {
        emitter.addGrain(5.0f);
    }
    ASSERT_EQ(emitter.getCount(), 3);
    const float expected[] = {2.0f, 4.0f, 4.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(distance(emitter.positionsAlpha[i], emitter.layout.position), 5.0f, 1e-3f);
        EXPECT_EQ(emitter.positionsAlpha[i][3], 1.0f);
        EXPECT_EQ(emitter.orientations[i][3], 1.0f);
        EXPECT_EQ(emitter.indexMaterials[i], expected[i]);
    }
    EXPECT_EQ(emitter.positionsAlpha[3][3], 0.0f) << "entries beyond the count stay empty";
}

TEST_F(GrainTest, AGrainBeyondMaxCountStopsTheProgram) {
    GrainEmitter emitter(1, 0);
    emitter.addGrain(1.0f);
    EXPECT_DEATH(emitter.addGrain(1.0f), "count\\+1<=maxCount");
}

TEST_F(GrainTest, GrainsAppearAlongTheCurveAndAllExistAfterTheEmitFrames) {
    GrainEmitter emitter(100, 0);
    emitter.setAction(GrainEmitter::burstAction(100, 15, 0.0f, 0.0f, 0.0f, 18.0f, 30.0f));
    int previous = 0;
    for (int tick = 1; tick <= 15; ++tick) {
        emitter.step();
        ASSERT_GE(emitter.getCount(), previous) << "tick " << tick;
        previous = emitter.getCount();
        if (tick == 1) {
            EXPECT_LT(emitter.getCount(), 3) << "the ease-in starts well below the even rate of 6.7";
        }
        if (tick == 7) {
            // The in-out curve is slow at both ends: halfway in time, about
            // half the grains.
            EXPECT_GT(emitter.getCount(), 25);
            EXPECT_LT(emitter.getCount(), 75);
        }
    }
    EXPECT_EQ(emitter.getCount(), 100);
}

TEST_F(GrainTest, ABurstOfOneEmitsItsGrainInTheLastEmitTick) {
    GrainEmitter emitter(1, 0);
    emitter.setAction(GrainEmitter::burstAction(1, 15, 0.0f, 0.0f, 0.0f, 18.0f, 30.0f));
    for (int tick = 1; tick <= 14; ++tick) {
        emitter.step();
    }
    EXPECT_EQ(emitter.getCount(), 0);
    emitter.step();
    EXPECT_EQ(emitter.getCount(), 1);
}

TEST_F(GrainTest, AnOversizedBurstEmitsWhatTheArraysHold) {
    GrainEmitter emitter(300, 0);
    emitter.setAction(GrainEmitter::burstAction(300, 30, 0.0f, 0.0f, 0.0f, 27.000002f, 45.0f));
    EXPECT_GT(runToEnd(emitter), 0);
    EXPECT_EQ(emitter.getCount(), 128);
}

TEST_F(GrainTest, TheBurstEndsWithEveryGrainFadedOnTheTargetSphere) {
    const PVRTVec3 centre(320.0f, 568.0f, 568.0f);
    GrainEmitter emitter(40, 0);
    emitter.layout.position = PVRTVec3(10.0f, 20.0f, 30.0f);
    emitter.setAction(GrainEmitter::burstAction(40, 30, centre.x, centre.y, centre.z, 27.000002f, 45.0f));
    const int ticks = runToEnd(emitter);
    EXPECT_EQ(emitter.getAction()->getState(), ZQ::Action::Success);
    // The last grains appear in tick 30 and fly at most 45 frames.
    EXPECT_GT(ticks, 30);
    EXPECT_LE(ticks, 30 + 45 + 1);
    const float radius = 0.06f * kWidth;
    for (int i = 0; i < emitter.getCount(); ++i) {
        EXPECT_NEAR(distance(emitter.positionsAlpha[i], centre), radius, 1e-2f) << "grain " << i;
        EXPECT_EQ(emitter.positionsAlpha[i][3], 0.0f) << "grain " << i;
    }
    EXPECT_EQ(emitter.positionsAlpha[40][3], 0.0f);
}

TEST_F(GrainTest, GrainsFadeAsTheyFlyAndTheBurstWaitsForItsClock) {
    // Every grain arrives long before the 30 frames of the update clock.
    GrainEmitter emitter(8, 0);
    emitter.setAction(GrainEmitter::burstAction(8, 2, 0.0f, 0.0f, 0.0f, 3.0f, 4.0f));
    emitter.step();
    emitter.step();
    ASSERT_EQ(emitter.getCount(), 8);
    emitter.step();
    for (int i = 0; i < 8; ++i) {
        EXPECT_GT(emitter.positionsAlpha[i][3], 0.0f);
        EXPECT_LT(emitter.positionsAlpha[i][3], 1.0f) << "alpha falls with the flight";
    }
    EXPECT_EQ(runToEnd(emitter), 30 - 3) << "the burst ends on its 30th tick, not before";
}

TEST_F(GrainTest, GrainsSpinAboutTheDiagonalAndStayUnitQuaternions) {
    GrainEmitter emitter(5, 0);
    emitter.setAction(GrainEmitter::burstAction(5, 1, 0.0f, 0.0f, 0.0f, 30.0f, 30.0f));
    for (int tick = 0; tick < 10; ++tick) {
        emitter.step();
    }
    for (int i = 0; i < 5; ++i) {
        const float* q = emitter.orientations[i];
        EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 1e-5f);
        EXPECT_GT(q[0], 0.0f) << "turned away from the identity";
        EXPECT_NEAR(q[0], q[1], 1e-6f);
        EXPECT_NEAR(q[1], q[2], 1e-6f);
        // Ten turns, each by q = (sin h, sin h, sin h, cos h) normalised with
        // h below pi/60: an angle below 2 atan(sqrt 3 tan(pi/60)).
        const float most = 2.0f * std::atan(std::sqrt(3.0f) * std::tan(3.1415927f / 60.0f));
        EXPECT_LT(2.0f * std::acos(std::min(q[3], 1.0f)), 10.0f * most);
    }
}

} // namespace
