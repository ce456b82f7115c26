#include "CordModelFixture.h"
#include "engine/Action.h"
#include "engine/MathHelpers.h"

#include <cmath>

namespace {

using ZQ::CordModel;
using Segment = ZQ::CordModel::Segment;

bool operator==(const Segment& a, const Segment& b) {
    return a.first == b.first && a.last == b.last && a.index == b.index;
}

// Counts the ticks it gets; never finishes.
class TickCounter : public ZQ::Action {
public:
    explicit TickCounter(int* counter) : ticks(counter) {}
    State run() override {
        ++*ticks;
        return Running;
    }

private:
    int* ticks;
};

using CordModelTest = CordModelFixture;

TEST_F(CordModelTest, LengthTenLaysFiveParticlesTwoUnitsApart) {
    auto line = makeLine(10.0f);
    cord->loadCord(*line);
    ASSERT_EQ(world->getParticleCount(), 5);
    EXPECT_EQ(cord->count, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(world->getPosition(i), PVRTVec3(2.0f * i, 0.0f, 0.0f)) << i;
    }
    ASSERT_EQ(cord->segments.size(), 1u);
    EXPECT_TRUE((cord->segments[0] == Segment{0, 4, 0}));
}

TEST_F(CordModelTest, LengthTenAndAHalfLaysSix) {
    auto line = makeLine(10.5f);
    cord->loadCord(*line);
    EXPECT_EQ(world->getParticleCount(), 6);
    EXPECT_EQ(world->getPosition(5), PVRTVec3(10.0f, 0.0f, 0.0f));
}

TEST_F(CordModelTest, HundredParticlesSplitIntoThreeStrings) {
    auto line = makeLine(199.0f, 3); // arcs 0, 2, ..., 198
    cord->loadCord(*line);
    ASSERT_EQ(cord->count, 100);
    ASSERT_EQ(cord->segments.size(), 3u);
    EXPECT_TRUE((cord->segments[0] == Segment{0, 32, 0}));
    EXPECT_TRUE((cord->segments[1] == Segment{33, 65, 1}));
    EXPECT_TRUE((cord->segments[2] == Segment{66, 99, 2}));
    // One bound per particle; links and distances only inside a string:
    // 32 + 32 + 33 links and 31 + 31 + 32 distances.
    EXPECT_EQ(world->getConstraintCount(), 100 + 97 + 94);
}

TEST_F(CordModelTest, NoLinkJoinsTwoStrings) {
    // Two strings of a cord laid along a line, then pulled apart: the
    // strings separate freely at the cut while each string keeps its links.
    auto line = makeLine(20.0f, 2); // particles 0..9, strings {0, 4} and {5, 9}
    cord->loadCord(*line);
    for (int i = 0; i < 60; ++i) {
        world->addTmpForce(new ZQ::Fx::ConstantForce(9, PVRTVec3(400.0f, 0.0f, 0.0f)));
        world->doStep();
    }
    const float cut = (world->getPosition(5) - world->getPosition(4)).length();
    const float link = (world->getPosition(9) - world->getPosition(8)).length();
    EXPECT_GT(cut, 4.0f);
    EXPECT_NEAR(link, 2.0f, 0.2f);
}

TEST_F(CordModelTest, FreshCordReportsTheLoadEnergyAndNoEvent) {
    auto line =
        makeCord({PVRTVec3(0, 0, 0), PVRTVec3(6, 0, 0), PVRTVec3(6, 6, 0), PVRTVec3(0, 6, 1)}, 2, false);
    cord->loadCord(*line);
    EXPECT_EQ(cord->energy, (std::vector<float>{2.7f, 2.7f}));
    EXPECT_EQ(cord->startEnergy, (std::vector<float>{2.7f, 2.7f}));
    EXPECT_FALSE(cord->energyFlag);
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_EQ(cord->energy, (std::vector<float>{2.7f, 2.7f}));
    EXPECT_FALSE(cord->solved);
    EXPECT_EQ(events.solved + events.almostSolved, 0);
}

TEST_F(CordModelTest, SettlingPullsTheLaidChainToItsLinkLength) {
    // Along a zigzag the particles are 2 apart along the curve but closer in
    // space; settling's relaxation stretches the links back to 2.
    std::vector<PVRTVec3> zigzag;
    for (int i = 0; i <= 12; ++i) {
        zigzag.emplace_back(1.0f * i, (i % 2) ? 1.0f : 0.0f, 0.0f);
    }
    auto unsettled = makeCord(zigzag, 1, false);
    cord->loadCord(*unsettled);
    const float before = (world->getPosition(3) - world->getPosition(2)).length();
    cord->unload();

    auto settled = makeCord(zigzag, 1, true);
    cord->loadCord(*settled);
    const float after = (world->getPosition(3) - world->getPosition(2)).length();
    EXPECT_LT(before, 1.9f);
    EXPECT_NEAR(after, 2.0f, 0.05f);
}

TEST_F(CordModelTest, UnloadEmptiesTheWorldAndTheStrings) {
    auto line = makeLine(30.0f, 2);
    cord->loadCord(*line);
    cord->measureEnergies();
    cord->unload();
    EXPECT_EQ(world->getParticleCount(), 0);
    EXPECT_EQ(world->getConstraintCount(), 0);
    EXPECT_EQ(cord->count, 0);
    EXPECT_TRUE(cord->segments.empty());
    EXPECT_TRUE(cord->energy.empty());
    EXPECT_TRUE(cord->startEnergy.empty());
    // A new cord lays from particle 0 again.
    cord->loadCord(*line);
    EXPECT_EQ(cord->segments[0].first, 0);
}

TEST_F(CordModelTest, MirrorIsInPixels) {
    auto line = makeLine(10.0f);
    cord->loadCord(*line);
    frame();
    const float scale = ZQ::gGlobals.worldScale;
    for (int i = 0; i < cord->count; ++i) {
        EXPECT_EQ(cord->positions[i], world->getPosition(i) / scale) << i;
    }
}

TEST_F(CordModelTest, ScreenPositionsAreTheCameraProjectionInPixels) {
    auto line = makeLine(10.0f);
    cord->loadCord(*line);
    cord->doStep();
    const PVRTMat4 view = camera.viewMatrix();
    for (int i = 0; i < cord->count; ++i) {
        const PVRTVec2 ndc = ZQ::projectPoint(view, cord->positions[i], false);
        EXPECT_FLOAT_EQ(cord->screenPositions[i].x, (ndc.x * 0.5f + 0.5f) * kW);
        EXPECT_FLOAT_EQ(cord->screenPositions[i].y, (ndc.y * 0.5f + 0.5f) * kH);
    }
    // The camera's target (the origin here) is the screen's centre.
    EXPECT_EQ(camera.target->getPosition(), PVRTVec3());
    EXPECT_NEAR(cord->screenPositions[0].x, 0.5f * kW, 0.01f);
    EXPECT_NEAR(cord->screenPositions[0].y, 0.5f * kH, 0.01f);
}

TEST_F(CordModelTest, BoundingBoxFindsAMaximumHeldOnlyByTheFirstParticle) {
    // Every coordinate falls from the first particle on: a box grown from
    // ±infinity with "lower, else higher" would never set the maximum.
    placeParticles({PVRTVec3(9, 8, 7), PVRTVec3(6, 5, 4), PVRTVec3(3, 2, 1), PVRTVec3(0, -1, -2)},
                   {{0, 3, 0}});
    cord->doStep();
    const float s = ZQ::gGlobals.worldScale;
    EXPECT_EQ(cord->boxMax(), PVRTVec3(9, 8, 7) / s);
    EXPECT_EQ(cord->boxMin(), PVRTVec3(0, -1, -2) / s);
    EXPECT_EQ(cord->corners[1], PVRTVec3(0, -1, 7) / s);
    EXPECT_EQ(cord->corners[2], PVRTVec3(0, 8, -2) / s);
    EXPECT_EQ(cord->corners[4], PVRTVec3(9, -1, -2) / s);
    EXPECT_EQ(cord->corners[6], PVRTVec3(9, 8, -2) / s);
}

TEST_F(CordModelTest, BoundingBoxOfScatteredParticles) {
    placeParticles({PVRTVec3(1, 5, -3), PVRTVec3(-4, 2, 6), PVRTVec3(3, -7, 0), PVRTVec3(0, 0, 0)},
                   {{0, 3, 0}});
    cord->doStep();
    const float s = ZQ::gGlobals.worldScale;
    EXPECT_EQ(cord->boxMin(), PVRTVec3(-4, -7, -3) / s);
    EXPECT_EQ(cord->boxMax(), PVRTVec3(3, 5, 6) / s);
}

TEST_F(CordModelTest, EmptyWorldGivesTheScreenBoxAndLeavesTheInstanceAlone) {
    int ticks = 0;
    cord->instance->setAction(new TickCounter(&ticks));
    cord->centre = PVRTVec3(5, 5, 5);
    cord->doStep();
    EXPECT_EQ(cord->count, 0);
    EXPECT_EQ(cord->boxMin(), PVRTVec3());
    EXPECT_EQ(cord->boxMax(), PVRTVec3(kW, kH, kH));
    EXPECT_EQ(cord->centre, PVRTVec3());
    EXPECT_EQ(ticks, 0);

    auto line = makeLine(10.0f);
    cord->loadCord(*line);
    cord->doStep();
    cord->doStep();
    EXPECT_EQ(ticks, 2);
}

TEST_F(CordModelTest, PausedModelSkipsItsStep) {
    auto line = makeLine(10.0f);
    cord->loadCord(*line);
    cord->pause();
    cord->doStep();
    EXPECT_EQ(cord->positions[1], PVRTVec3());
    cord->resume();
    cord->doStep();
    EXPECT_NE(cord->positions[1], PVRTVec3());
}

TEST_F(CordModelTest, SetUpHidesTheCordButKeepsThePause) {
    cord->instance->radius = 5.0f;
    cord->instance->layout.alpha = 1.0f;
    cord->pause();
    cord->setUp();
    EXPECT_EQ(cord->instance->radius, 0.0f);
    EXPECT_EQ(cord->instance->layout.alpha, 0.0f);
    EXPECT_TRUE(cord->isPaused());
}

TEST_F(CordModelTest, CentreWithParticlesButNoStringsIsTheMiddleOfTheRoom) {
    world->addParticle(PVRTVec3(3, 3, 3));
    cord->doStep();
    EXPECT_EQ(cord->centre, PVRTVec3(0.5f * kW, 0.5f * kH, 0.5f * kH));
}

TEST_F(CordModelTest, CentreStaysWhenNoParticleCarriesWeight) {
    // Three particles: each inner one's only others are its neighbours, so
    // every weight is 0; the centre keeps its value instead of turning NaN.
    placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0)}, {{0, 2, 0}});
    cord->centre = PVRTVec3(7, 8, 9);
    cord->doStep();
    EXPECT_EQ(cord->centre, PVRTVec3(7, 8, 9));
}

TEST_F(CordModelTest, OneStringCentreIsSmoothedTowardTheCrowdedPart) {
    // Five particles in a row, spacing 2: the inner weights are symmetric,
    // so the target is the middle particle, reached a thirtieth at a time.
    placeParticles(
        {PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0), PVRTVec3(6, 0, 0), PVRTVec3(8, 0, 0)},
        {{0, 4, 0}});
    const float s = ZQ::gGlobals.worldScale;
    cord->doStep();
    EXPECT_NEAR(cord->centre.x, 4.0f / s / 30.0f, 1e-3f);
    for (int i = 0; i < 400; ++i) {
        cord->doStep();
    }
    EXPECT_NEAR(cord->centre.x, 4.0f / s, 0.01f);
    EXPECT_NEAR(cord->centre.y, 0.0f, 1e-4f);
}

TEST_F(CordModelTest, OneStringCentreLeansTowardAClump) {
    // The last three particles crowd together: the centre leans their way.
    placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0), PVRTVec3(6, 0, 0),
                    PVRTVec3(6.5f, 0.5f, 0), PVRTVec3(6, 1, 0), PVRTVec3(6.5f, 1.5f, 0)},
                   {{0, 6, 0}});
    for (int i = 0; i < 400; ++i) {
        cord->doStep();
    }
    const float s = ZQ::gGlobals.worldScale;
    const float meanX = (0 + 2 + 4 + 6 + 6.5f + 6 + 6.5f) / 7.0f;
    EXPECT_GT(cord->centre.x, meanX / s);
}

TEST_F(CordModelTest, SeveralStringsCentreOnThePairInMostContact) {
    // Strings 0 and 1 lie side by side at x = 0 and 1.5; string 2 is far off.
    std::vector<PVRTVec3> points;
    for (int i = 0; i < 5; ++i) {
        points.emplace_back(0.0f, 2.0f * i, 0.0f);
    }
    for (int i = 0; i < 5; ++i) {
        points.emplace_back(1.5f, 2.0f * i, 0.0f);
    }
    for (int i = 0; i < 5; ++i) {
        points.emplace_back(40.0f, 2.0f * i, 0.0f);
    }
    placeParticles(points, {{0, 4, 0}, {5, 9, 1}, {10, 14, 2}});
    for (int i = 0; i < 800; ++i) {
        cord->doStep();
    }
    const float s = ZQ::gGlobals.worldScale;
    EXPECT_GT(cord->centre.x, 0.0f);
    EXPECT_LT(cord->centre.x, 1.5f / s);
    EXPECT_NEAR(cord->centre.y, 4.0f / s, 0.5f / s);
}

} // namespace
