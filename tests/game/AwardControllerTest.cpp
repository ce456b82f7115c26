#include "cords/GrainEmitter.h"
#include "cords/TangleMesh.h"
#include "engine/LeafActions.h"
#include "game/AwardFixture.h"
#include "game/GameController.h"
#include "overlays/FlowInstance.h"
#include "overlays/TileCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

namespace {

using ZQ::AwardController;

// The indices of a tangle's mesh that its ranges show.
int32_t revealed(const ZQ::TangleInstance& tangle) {
    int32_t count = 0;
    for (const ZQ::TangleInstance::Range& range : tangle.ranges) {
        count += range.last - range.first;
    }
    return count;
}

class AwardControllerTest : public AwardFixture {};

TEST_F(AwardControllerTest, PointsAndTheirGrainsRunThenTheAwardHangsTheGradeAndRevealsTheKnot) {
    solved(4, 1);
    award.setUp();
    EXPECT_EQ(award.state, AwardState::ClearSnapshot);
    step();
    EXPECT_EQ(social.clears, 1) << "the last level's picture is dropped";
    step();
    EXPECT_EQ(award.state, AwardState::PointsRun);
    EXPECT_EQ(points.done, 0);
    ASSERT_GE(points.flowId, 0);
    ASSERT_NE(onScreen("messages_points"), nullptr);
    EXPECT_EQ(tilesShown(), std::vector<int32_t>{ZQ::TileCollection::kContinue});
    // The grain bursts fly while the points count; the award waits for both.
    std::size_t bursts = 0;
    for (int frame = 0; award.state == AwardState::PointsRun; ++frame) {
        ASSERT_LT(frame, 2000);
        bursts = std::max(bursts, grains.getEmitters().size());
        const bool over = points.done == 1 && grains.isReady();
        step();
        EXPECT_EQ(award.state != AwardState::PointsRun, over) << frame;
    }
    EXPECT_GE(bursts, 1u);
    EXPECT_EQ(award.state, AwardState::ShowAward);
    step();
    EXPECT_EQ(award.state, AwardState::AwaitChoice);
    EXPECT_FALSE(award.isDone());
    EXPECT_EQ(tilesShown(),
              (std::vector<int32_t>{ZQ::TileCollection::kAwardMap, ZQ::TileCollection::kShareAward,
                                    ZQ::TileCollection::kNextLevel}));

    // The total and its label.
    ZQ::CaptionInstance* total = onScreen("partials_total");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->layout.position.y, 0.2f * HeadlessGL::kHeight);
    ZQ::CaptionInstance* label = onScreen("small_totalpoints");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->layout.alpha, 0.0f);
    EXPECT_EQ(sound.count("playAwardMusic"), 1u);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(score.caption, nullptr);

    // The knot of level 4 in silver (grade 1), revealed over 60 frames in
    // two runs, the share picture asked for once the reveal is over.
    ASSERT_EQ(tangles.getTangles().size(), 1u);
    const ZQ::TangleInstance& tangle = *tangles.getTangles().front();
    EXPECT_EQ(tangle.materialIndex, 4 - 1);
    EXPECT_EQ(tangle.scale, PVRTVec3(1.0f, 1.0f, 0.25f));
    const int32_t full = tangle.mesh->indexCount();
    int32_t shown = revealed(tangle);
    EXPECT_LT(shown, full / 4) << "the reveal starts nearly closed";
    const int snapshotsBefore = social.snapshots;
    for (int frame = 0; frame < 58; ++frame) {
        step();
        ASSERT_GE(revealed(tangle), shown) << frame;
        shown = revealed(tangle);
    }
    EXPECT_EQ(social.snapshots, snapshotsBefore) << "not before the reveal ends";
    step(4);
    EXPECT_EQ(tangle.ranges.size(), 2u);
    EXPECT_GE(revealed(tangle), full - 2 * static_cast<int32_t>(tangle.ranges.size()));
    EXPECT_EQ(social.snapshots, snapshotsBefore + 1);
    EXPECT_EQ(label->layout.alpha, 1.0f) << "the label has faded in";
    const PVRTVec3 angles = tangle.layout.angles;
    step();
    EXPECT_NE(tangle.layout.angles, angles) << "the knot turns for ever";

    // The grade's name hangs across the top once the points have left: its
    // ends pinned near 0.1 w and 0.9 w.
    step(400);
    std::vector<const ZQ::FlowInstance*> letters(flows.letters.begin(), flows.letters.end());
    ASSERT_EQ(letters.size(), std::string("SILVER").size());
    const float w = HeadlessGL::kWidth;
    const float h = HeadlessGL::kHeight;
    // The word is shorter than the screen: its links hold the pinned ends
    // in, evenly about the middle.
    EXPECT_LT(letters.front()->layout.position.x, 0.4f * w);
    EXPECT_GT(letters.back()->layout.position.x, 0.6f * w);
    EXPECT_NEAR(letters.front()->layout.position.x + letters.back()->layout.position.x, w, 0.01f * w);
    EXPECT_NEAR(letters.front()->layout.position.y, 0.9f * h, 0.02f * h);
    EXPECT_NEAR(letters.back()->layout.position.y, 0.9f * h, 0.02f * h);
    EXPECT_EQ(sound.count("playRandomSwish17"), 2u) << "the points' entry and the grade's";

    // A tap in the middle leaves: the knot flies off, the name is flung away
    // and removed, the totals leave, and the award is done; the points stay.
    award.tap(PVRTVec2(0.5f * w, 0.5f * h), 20.0f);
    EXPECT_EQ(award.state, AwardState::StartExit);
    ASSERT_TRUE(stepUntil(AwardState::Done, 5));
    EXPECT_TRUE(tilesShown().empty()) << "the buttons leave";
    EXPECT_EQ(points.points, 2016);
    step(60);
    EXPECT_TRUE(tangles.getTangles().empty());
    EXPECT_EQ(sound.count("playRandomSwish16"), 1u);
    step(200);
    EXPECT_TRUE(flows.letters.empty());
    award.tearDown();
}

TEST_F(AwardControllerTest, TheAwardWaitsForTheLastGrainsAfterTheCount) {
    solved(2, 1);
    award.setUp();
    step(2);
    ASSERT_EQ(award.state, AwardState::PointsRun);
    points.done = 1;
    auto* late = new ZQ::GrainEmitter(4, 0);
    late->setAction(new ZQ::WaitAction(10));
    grains.addEmitter(late);
    step(5);
    EXPECT_EQ(award.state, AwardState::PointsRun);
    ASSERT_TRUE(stepUntil(AwardState::ShowAward, 10));
    award.tearDown();
}

TEST_F(AwardControllerTest, SkippingEndsThePointsAtOnceAndOnlyWhileTheyRun) {
    solved(0, 0);
    award.setUp();
    step(3);
    ASSERT_EQ(award.state, AwardState::PointsRun);
    ASSERT_GE(points.flowId, 0);
    award.onTile(ZQ::TileCollection::kPauseMap);
    EXPECT_EQ(award.state, AwardState::PointsRun) << "only the skip tile skips";
    award.onTile(ZQ::TileCollection::kContinue);
    EXPECT_EQ(award.state, AwardState::SkipPoints);
    step();
    EXPECT_EQ(points.done, 1);
    EXPECT_EQ(points.flowId, -1);
    for (const ZQ::GrainEmitter* emitter : grains.getEmitters()) {
        EXPECT_EQ(emitter->getAction(), nullptr);
    }
    step();
    EXPECT_EQ(award.state, AwardState::AwaitChoice);
    EXPECT_EQ(tangles.getTangles().front()->materialIndex, 4) << "Golden is gold";
    // The skip tile and taps outside the middle do nothing now.
    award.onTile(ZQ::TileCollection::kContinue);
    EXPECT_EQ(award.state, AwardState::AwaitChoice);
    const float w = HeadlessGL::kWidth;
    const float h = HeadlessGL::kHeight;
    for (const PVRTVec2& edge :
         {PVRTVec2(0.1f * w, 0.5f * h), PVRTVec2(0.9f * w, 0.5f * h), PVRTVec2(0.5f * w, 0.3f * h),
          PVRTVec2(0.5f * w, 0.7f * h), PVRTVec2(0.05f * w, 0.05f * h)}) {
        award.tap(edge, 20.0f);
        EXPECT_EQ(award.state, AwardState::AwaitChoice) << edge.x << ", " << edge.y;
    }
    award.tearDown();
}

TEST_F(AwardControllerTest, ACentreTapSkipsThePointsAndRetryTakesTheLevelsPointsBack) {
    solved(1, 4);
    award.setUp();
    step(2);
    const float w = HeadlessGL::kWidth;
    const float h = HeadlessGL::kHeight;
    award.tap(PVRTVec2(0.5f * w, 0.5f * h), 20.0f);
    EXPECT_EQ(award.state, AwardState::SkipPoints);
    ASSERT_TRUE(stepUntil(AwardState::AwaitChoice, 3));
    EXPECT_EQ(tangles.getTangles().front()->materialIndex, 0) << "Obsidian is obsidian";
    award.state = AwardState::TakeBackScore;
    ASSERT_TRUE(stepUntil(AwardState::Done, 5));
    EXPECT_EQ(points.points, 1200);
    EXPECT_EQ(points.tangles[4], 0) << "the retried solve's knot still counts";
    award.tearDown();
}

// One level solved, retried from the award and solved again counts one knot
// and its points once, as the game controller scores them.
TEST_F(AwardControllerTest, ARetriedSolveAndItsReplayCountOneKnot) {
    const auto knots = [this] {
        return std::accumulate(std::begin(points.tangles), std::end(points.tangles), 0);
    };
    catalogue->level = 0;
    points.points = 500;
    score.count = 10;
    timer.remaining = 601;
    const int32_t grade = ZQ::GameController::scoreLevel();
    const int32_t scored = points.points;
    EXPECT_GT(scored, 500);
    EXPECT_EQ(knots(), 1);

    award.setUp();
    award.state = AwardState::SkipPoints;
    ASSERT_TRUE(stepUntil(AwardState::AwaitChoice));
    award.state = AwardState::TakeBackScore;
    ASSERT_TRUE(stepUntil(AwardState::Done, 5));
    award.tearDown();
    EXPECT_EQ(points.points, 500);
    EXPECT_EQ(knots(), 0);

    // The replay plays as well as the first try.
    score.count = 10;
    timer.remaining = 601;
    EXPECT_EQ(ZQ::GameController::scoreLevel(), grade);
    EXPECT_EQ(points.points, scored);
    EXPECT_EQ(knots(), 1);
    EXPECT_EQ(points.tangles[grade], 1);
}

TEST_F(AwardControllerTest, TheReviewIsAskedForOnceFromTheFourthLevelOn) {
    for (int32_t level : {0, 2}) {
        solved(level, 2);
        award.setUp();
        award.state = AwardState::SkipPoints;
        step(2);
        EXPECT_FALSE(preferences.isAppRated()) << level;
        award.state = AwardState::StartExit;
        ASSERT_TRUE(stepUntil(AwardState::Done, 5));
        award.tearDown();
    }
    solved(3, 2);
    award.setUp();
    award.state = AwardState::SkipPoints;
    step(2);
    EXPECT_TRUE(preferences.isAppRated());
    award.tearDown();
}

TEST_F(AwardControllerTest, TearingDownTwiceLeavesEveryModelOnce) {
    award.setUp();
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        EXPECT_EQ(std::count(model->getListeners().begin(), model->getListeners().end(), &award), 1);
    }
    award.tearDown();
    award.tearDown();
    award.setUp();
    award.setUp();
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        EXPECT_EQ(std::count(model->getListeners().begin(), model->getListeners().end(), &award), 1)
            << "a second set-up does not listen twice";
    }
    award.tearDown();
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        EXPECT_TRUE(model->getListeners().empty());
    }
}

} // namespace
