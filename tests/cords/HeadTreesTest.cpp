#include "HeadFixture.h"
#include "cords/HeadCollection.h"
#include "engine/LeafActions.h"
#include "engine/Random.h"

#include <cmath>

namespace {

using ZQ::Action;
using ZQ::HeadCollection;
using ZQ::HeadInstance;

// The trees are ticked through their heads directly, frame by frame, without
// physics: heads stay where they were put and every push stays queued.
class HeadTreesTest : public HeadFixture {
protected:
    void SetUp() override {
        HeadFixture::SetUp();
        ZQ::seedRandom(4242);
    }

    // Tangled lines of 20 particles with their heads, and the grid of the
    // "previous frame" over them.
    void placeLinesInGrid(int strings) {
        placeHeadedLines(strings);
        grid.doStep();
    }

    // Steps the head's tree until it finishes (at most `limit` steps);
    // returns the number of steps it took.
    int stepsToFinish(HeadInstance& h, int limit) {
        for (int t = 1; t <= limit; ++t) {
            h.step();
            if (h.getAction()->isFinished()) {
                return t;
            }
        }
        return -1;
    }

    int pushesOn(int particle) const {
        int n = 0;
        for (const auto& push : queuedForces()) {
            n += push.first == particle ? 1 : 0;
        }
        return n;
    }
};

TEST_F(HeadTreesTest, ARestingTreeSwaysSixtyTimesAndEndsOnTheSixtyFirstTick) {
    placeLinesInGrid(1);
    head(0).setAction(HeadCollection::restingTree());
    EXPECT_EQ(stepsToFinish(head(0), 200), 61);
    EXPECT_EQ(head(0).getAction()->getState(), Action::Success);
    EXPECT_EQ(pushesOn(0), 60);
}

TEST_F(HeadTreesTest, ARoamingTreeWithoutFearEndsAtOnceAndTheHeadDrawsAgain) {
    placeLinesInGrid(1);
    head(0).setAction(HeadCollection::roamingTree());
    heads.doStep();
    const Action* first = head(0).getAction();
    EXPECT_EQ(first->getState(), Action::Success);
    EXPECT_EQ(pushesOn(0), 0);
    heads.doStep();
    EXPECT_NE(head(0).getAction(), first);
}

TEST_F(HeadTreesTest, AFleeingHeadRoamsUntilStuckThenGripsTheCord) {
    placeLinesInGrid(1);
    HeadInstance& h = head(0);
    h.fear = true;
    h.setAction(HeadCollection::roamingTree());
    for (int t = 1; t <= 4; ++t) {
        h.step();
        ASSERT_EQ(h.getAction()->getState(), Action::Running) << "tick " << t;
        EXPECT_EQ(h.chosenParticle, -1);
    }
    // The fifth motionless run: stuck. In the same tick the head picks the
    // farthest particle of its string within a quarter screen (160 pixels:
    // particles 0, 1 and 2) and starts circling it for 90 runs.
    h.step();
    EXPECT_EQ(h.chosenParticle, 2);
    EXPECT_EQ(h.target, nullptr);
    EXPECT_EQ(stepsToFinish(h, 200), 89); // ticks 6 to 94
    EXPECT_EQ(h.getAction()->getState(), Action::Success);
}

TEST_F(HeadTreesTest, ARoamingHeadOnATinyCordPicksAgainEachFrameInsteadOfSpinning) {
    // Every destination on this cord's box lies within 4 units of the head,
    // so every helix ends in its first run: whole passes of the roaming loop
    // finish within one tick.
    placeStrings({PVRTVec3(0, 0, 0), PVRTVec3(0.5f, 0.2f, 0.1f), PVRTVec3(1.0f, 0.4f, 0.2f)}, {{0, 2, 0}},
                 kTangled, kTangled);
    heads.createHeads();
    HeadInstance& h = head(0);
    h.fear = true;
    h.setAction(HeadCollection::roamingTree());
    PVRTVec3 previous = h.destination.position;
    for (int t = 1; t <= 4; ++t) {
        h.step();
        ASSERT_EQ(h.getAction()->getState(), Action::Running) << "tick " << t;
        EXPECT_FALSE(h.destination.position == previous) << "tick " << t;
        previous = h.destination.position;
    }
    EXPECT_EQ(pushesOn(0), 0);
}

TEST_F(HeadTreesTest, AHuntingHeadThatSeesNobodyEndsAfterBothScans) {
    placeLinesInGrid(1);
    heads.sight.clear(2);
    HeadInstance& h = head(0);
    h.setAction(HeadCollection::huntingTree());
    // Scans of 60 and 120 frames push 61 and 121 times; the 180-run limit
    // ends first, the tree with the second scan.
    EXPECT_EQ(stepsToFinish(h, 400), 183);
    EXPECT_EQ(h.getAction()->getState(), Action::Success);
    EXPECT_EQ(pushesOn(0), 182);
    EXPECT_EQ(h.target, nullptr);
}

TEST_F(HeadTreesTest, AHuntingHeadLungesAtTheOtherEndOfItsOwnString) {
    placeLinesInGrid(1);
    heads.sight.clear(2);
    heads.sight.setPair(0, 1, true);
    HeadInstance& h = head(0);
    h.setAction(HeadCollection::huntingTree());
    // Tick 1 scans once, finds head 1 and points; 60 points, then 60 lunges
    // and the attack's success on tick 121.
    EXPECT_EQ(stepsToFinish(h, 400), 121);
    EXPECT_EQ(h.getAction()->getState(), Action::Success);
    EXPECT_EQ(h.target, &head(1));
    EXPECT_EQ(pushesOn(0), 121);
}

TEST_F(HeadTreesTest, APursuitEndsWhenTheTargetCalmsDown) {
    placeLinesInGrid(2);
    heads.sight.clear(4);
    heads.sight.setPair(0, 2, true);
    HeadInstance& h = head(0);
    h.setAction(HeadCollection::huntingTree());
    h.step();
    ASSERT_EQ(h.target, &head(2));
    ASSERT_EQ(h.getAction()->getState(), Action::Running); // ambushing from 10 units
    h.step();
    ASSERT_EQ(h.getAction()->getState(), Action::Running);
    head(2).calm = true;
    h.step();
    EXPECT_EQ(h.getAction()->getState(), Action::Success);
    EXPECT_EQ(h.target, &head(2)); // the field outlives the tree
}

TEST_F(HeadTreesTest, TheCalmTreeSwaysForEverTakingItsDirectionAtEverySwing) {
    placeLinesInGrid(2);
    HeadInstance& h = head(0);
    h.setAction(HeadCollection::calmTree());
    const PVRTVec3 before = h.getHeadDirection(); // away from the neck at particle 1: (-1, 0, 0)
    for (int t = 1; t <= 121; ++t) {
        h.step();
    }
    // Particle 20 lies 10 units up: the next swing takes the new direction.
    h.neckParticle = 20;
    const PVRTVec3 after = h.getHeadDirection();
    ASSERT_GT(before.cross(after).length(), 0.5f);
    for (int t = 122; t <= 400; ++t) {
        h.step();
        ASSERT_EQ(h.getAction()->getState(), Action::Running) << "tick " << t;
    }
    const auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 400u); // one push every tick
    for (size_t k = 0; k < queued.size(); ++k) {
        const PVRTVec3 along = k < 121 ? before : after;
        EXPECT_LT(along.cross(queued[k].second).length(), 1e-5f) << "push " << k + 1;
    }
    EXPECT_NEAR(queued[121].second.length(), 2.0f * std::sin(6.2831855f * 0.008333334f), 1e-6f);
}

} // namespace
