#include "LevelPlayFixture.h"

#include "cords/CordModel.h"
#include "cords/GraspFactory.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "game/TipNode.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "platform/ZQSnapshot.h"
#include "render/MeshInstance.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

using ZQ::GameController;

// The frames from the load to the first grasp's wait: the room turn and the
// cord's fade-in take a second and a half.
constexpr int kIntroFrames = 120;

TEST_F(LevelPlayTest, ASolvedLevelRunsTheStatesOfTheTableAndIsScoredOnce) {
    start(ZQ::ArcadeMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    EXPECT_FALSE(ZQ::gGlobals.tileModel->isEmpty()) << "the in-game buttons are shown with the room";
    // The state that waits for the grasp ignores the level's end events.
    controller->onSolved();
    controller->onTimeUp();
    EXPECT_EQ(controller->state, GameController::FirstGrasp);

    int played = 0;
    for (const ScriptedDrag& d : kLevelZeroSolution) {
        if (inPlay()) {
            drag(d);
            ++played;
        }
    }
    ASSERT_TRUE(runUntil(GameController::Done, 600)) << "the drags did not solve level 0";
    const std::vector<int> table = {0, 1, 2, 4, 5, 3, 9, 7, 10, 11};
    EXPECT_EQ(stateTrail(), table);

    // A drag counts its move on its finger's tenth frame of play: every drag
    // did but the one the solve cut short.
    const int moves = ZQ::gGlobals.scoreModel->count;
    EXPECT_TRUE(moves == played || moves == played - 1) << moves << " moves in " << played << " drags";
    const ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    EXPECT_EQ(points.basePoints, 1100);
    EXPECT_EQ(points.levelPoints, points.scorePoints + points.timePoints);
    EXPECT_EQ(points.points, points.levelPoints);
    int counted = 0;
    for (int grade = 0; grade < ZQ::PointsModel::kGrades; ++grade) {
        counted += points.tangles[grade];
    }
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(points.tangles[points.grade], 1);
    // Everything of the level is gone once it is done.
    EXPECT_EQ(ZQ::gGlobals.cordModel->count, 0);
    EXPECT_TRUE(ZQ::gGlobals.tileModel->isEmpty()) << "the scoring hid the in-game buttons";
    EXPECT_TRUE(ZQ::gGlobals.graspModel->grasps.empty());
    EXPECT_TRUE(controller->grasps().getDragFactories().empty());
}

// The grade after the solve, drawn: the picture goes into a temporary folder
// and into $VELMORA_SHOT_DIR when that is set, to be looked at.
TEST_F(LevelPlayTest, TheGradeOfASolvedLevelIsDrawnOverTheRoom) {
    start(ZQ::ArcadeMode, 0, &makeRenderPasses<ZQPlainMaker>);
    drawing = false; // the level is played undrawn; only the grade is drawn
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    for (const ScriptedDrag& d : kLevelZeroSolution) {
        if (inPlay()) {
            drag(d);
        }
    }
    ASSERT_TRUE(runUntil(GameController::TipRemoval, 600));
    // The grade's letters have swung in and the cord is turning into braids.
    for (int f = 0; f < 40; ++f) {
        frame();
    }
    drawing = true;
    frame();
    view->takeSnapshot();
    frame();
    ASSERT_TRUE(view->snapshotTaken());
    const ZQImage& image = *view->snapshotImage();
    EXPECT_EQ(image.width, 750);
    EXPECT_EQ(image.height, 1334);
    // Not one flat colour: the room, the letters and the braids are there.
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 3 < image.rgba.size() && colours.size() < 64; i += 4 * 97) {
        colours.insert(static_cast<uint32_t>(image.rgba[i]) << 16 |
                       static_cast<uint32_t>(image.rgba[i + 1]) << 8 | image.rgba[i + 2]);
    }
    EXPECT_GE(colours.size(), 16u);
    TempFolder folder;
    std::string error;
    EXPECT_TRUE(writePng(folder.file("grade.png"), image, error)) << error;
    if (const char* dir = std::getenv("VELMORA_SHOT_DIR")) {
        EXPECT_TRUE(writePng(std::string(dir) + "/level0-grade.png", image, error)) << error;
    }
}

// A tip's lines hang pinned about the screen's centre: once both have swung
// in, the first and last letters of each are on the screen, readable.
TEST_F(LevelPlayTest, ATipsLinesHangWithBothEndsOnTheScreen) {
    start(ZQ::ArcadeMode, 2, &makeRenderPasses<ZQPlainMaker>);
    drawing = false;
    const ZQ::TipNode* tooltip = ZQ::gGlobals.levelModel->currentLevel().tip;
    ASSERT_NE(tooltip, nullptr);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    for (int f = 0; f < 200 && tooltip->groups.size() < 2; ++f) {
        frame();
    }
    ASSERT_EQ(tooltip->groups.size(), 2u) << "the idle spell shows the tip";
    // The second line waits 45 frames and swings in over 60; both then hold.
    for (int f = 0; f < 120; ++f) {
        frame();
    }
    const ZQ::FlowModel& flows = *ZQ::gGlobals.flowModel;
    const float w = ZQ::gGlobals.screenSize.x;
    for (const int line : tooltip->groups) {
        const int32_t letters = flows.letterCount(line);
        ASSERT_GT(letters, 1) << "line " << line;
        for (const int32_t end : {0, letters - 1}) {
            const ZQ::FlowInstance* letter = flows.findLetter(line, end);
            ASSERT_NE(letter, nullptr);
            const float x = letter->getPosition().x;
            EXPECT_GT(x, 0.0f) << "line " << line << " letter " << end;
            EXPECT_LT(x, w) << "line " << line << " letter " << end;
        }
    }
    drawing = true;
    frame();
    view->takeSnapshot();
    frame();
    ASSERT_TRUE(view->snapshotTaken());
    if (const char* dir = std::getenv("VELMORA_SHOT_DIR")) {
        std::string error;
        EXPECT_TRUE(writePng(std::string(dir) + "/level2-tip.png", *view->snapshotImage(), error)) << error;
    }
}

TEST_F(LevelPlayTest, TimeUpInTheTimedModeFailsAndLaysTheSameLevelAgain) {
    start(ZQ::ArcadeMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    hold(14, 3);
    ASSERT_TRUE(runUntil(GameController::Play, 5));
    EXPECT_TRUE(ZQ::gGlobals.timerModel->running);
    EXPECT_EQ(ZQ::gGlobals.timerModel->remaining + ZQ::gGlobals.timerModel->elapsed,
              (ZQ::gGlobals.levelModel->timeLimit() - 1) * 30);
    // The last second of the level.
    ZQ::gGlobals.timerModel->remaining = 30;
    ASSERT_TRUE(runUntil(GameController::Fail, 40));
    frame();
    EXPECT_EQ(controller->state, GameController::Reload);
    EXPECT_NE(ZQ::gGlobals.captionModel->findCaption("messages_timeup"), nullptr);
    EXPECT_FALSE(ZQ::gGlobals.timerModel->running);
    EXPECT_TRUE(ZQ::gGlobals.tileModel->isEmpty());
    // A finger that comes down while the level fails never pulls.
    const size_t before = grasps.kinds.size();
    hold(14, 12);
    EXPECT_EQ(grasps.kinds.size(), before);

    ASSERT_TRUE(runUntil(GameController::FirstGrasp, 400));
    const std::vector<int> table = {0, 1, 2, 4, 5, 3, 8, 6, 0, 1, 2, 4};
    EXPECT_EQ(stateTrail(), table);
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 0);
    EXPECT_EQ(ZQ::gGlobals.cordModel->count, 28);
    EXPECT_EQ(ZQ::gGlobals.scoreModel->count, 0);
}

TEST_F(LevelPlayTest, TheCalmModeHasNoTimeUp) {
    start(ZQ::ZenMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    hold(14, 3);
    ASSERT_TRUE(runUntil(GameController::Play, 5));
    EXPECT_FALSE(ZQ::gGlobals.timerModel->running);
    for (int f = 0; f < 32 * 30; ++f) {
        frame();
    }
    EXPECT_EQ(controller->state, GameController::Play);
}

// Level 0 solved in the calm mode: as each string's energy comes down its
// heads calm, and the calm-strings number follows them; the solve hides a
// clock that never ran.
TEST_F(LevelPlayTest, TheCalmStringsFollowTheStringsDownToACalmSolve) {
    start(ZQ::ZenMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    const ZQ::StringScoreModel& calm = *ZQ::gGlobals.stringScoreModel;
    const ZQ::HeadModel& heads = *ZQ::gGlobals.headModel;
    int32_t most = 0;
    for (const ScriptedDrag& d : kLevelZeroSolution) {
        if (!inPlay()) {
            break;
        }
        drag(d);
        EXPECT_FALSE(ZQ::gGlobals.timerModel->running);
        EXPECT_EQ(ZQ::gGlobals.timerModel->timerCaption, nullptr);
        if (controller->state != GameController::Play) {
            continue;
        }
        int32_t calmHeads = 0;
        for (const ZQ::HeadInstance* head : heads.heads) {
            calmHeads += head->calm ? 1 : 0;
        }
        EXPECT_EQ(calm.count, calmHeads / 2);
        ASSERT_NE(calm.caption, nullptr);
        EXPECT_EQ(calm.caption->entry->name, "timer_" + std::to_string(calm.count));
        most = std::max(most, calm.count);
    }
    ASSERT_TRUE(runUntil(GameController::Done, 600)) << "the drags did not solve level 0";
    EXPECT_GE(std::max(most, calm.count), 1) << "no string was counted calm on the way to the solve";

    // The points show's time part takes the displays down: the calm number
    // and picture, and the clock the calm mode never showed.
    ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    points.flowId = -1;
    points.done = 0;
    points.animPoints(points.levelPoints);
    for (int f = 0; f < 1000 && points.done == 0; ++f) {
        frame();
    }
    ASSERT_EQ(points.done, 1);
    for (int f = 0; f < 11; ++f) {
        frame();
    }
    EXPECT_EQ(calm.caption, nullptr);
    EXPECT_EQ(ZQ::gGlobals.captionModel->findCaption("zen"), nullptr);
    EXPECT_EQ(ZQ::gGlobals.captionModel->findCaption("hourglass"), nullptr);
    EXPECT_EQ(ZQ::gGlobals.captionModel->findCaption("timer_" + std::to_string(calm.count)), nullptr);
}

TEST_F(LevelPlayTest, AQuitFromThePauseMenuBeforeTheFirstGraspEndsTheLevel) {
    for (int quitAt : {GameController::RoomReady, GameController::FirstGrasp}) {
        SCOPED_TRACE(quitAt);
        start(ZQ::ArcadeMode);
        ASSERT_TRUE(runUntil(quitAt, kIntroFrames));
        states.clear();
        ASSERT_TRUE(controller->isPausable());
        EXPECT_TRUE(static_cast<const ZQ::Controller&>(*controller).isPausable()) << "as the master asks";
        controller->pause();
        EXPECT_TRUE(ZQ::gGlobals.timerModel->isPaused());
        controller->quit();
        ASSERT_TRUE(runUntil(GameController::Done, 200));
        const std::vector<int> table = {0, 12, 7, 10, 11};
        std::vector<int> trail = stateTrail();
        trail.front() = 0;
        EXPECT_EQ(trail, table);
        // The quit resumed what the pause stopped.
        EXPECT_FALSE(ZQ::gGlobals.timerModel->isPaused());
        EXPECT_FALSE(ZQ::gGlobals.particleSystem1->isPaused());
        EXPECT_EQ(ZQ::gGlobals.cordModel->count, 0);
        TearDown();
        SetUp();
    }
}

// The level's tip hooked to the models by the controller: a tooltip shows
// when the player idles and its lines go at the first grasp; a tip still
// showing when the time runs out goes with the level. Neither leaves a flow
// step without its letter.
TEST_F(LevelPlayTest, TheLevelsTipComesAndGoesWithThePlayersEvents) {
    start(ZQ::ArcadeMode, 2);
    const ZQ::TipNode* tooltip = ZQ::gGlobals.levelModel->currentLevel().tip;
    ASSERT_NE(tooltip, nullptr);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    EXPECT_FALSE(tooltip->closed);
    // Five seconds idle.
    for (int f = 0; f < 160; ++f) {
        frame();
    }
    EXPECT_TRUE(tooltip->closed);
    ASSERT_EQ(tooltip->groups.size(), 2u);
    const std::vector<int> lines = tooltip->groups;
    testing::internal::CaptureStderr();
    hold(14, 3);
    EXPECT_TRUE(tooltip->groups.empty());
    for (int f = 0; f < 60; ++f) {
        frame();
    }
    for (int line : lines) {
        EXPECT_EQ(ZQ::gGlobals.flowModel->letterCount(line), 0) << "line " << line << " still shown";
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("dropped"), std::string::npos);

    // Level 10's tip shows when a head calms down; the time runs out while
    // its lines hold.
    TearDown();
    SetUp();
    start(ZQ::ArcadeMode, 10);
    const ZQ::TipNode* idle = ZQ::gGlobals.levelModel->currentLevel().tip;
    ASSERT_NE(idle, nullptr);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    hold(0, 3);
    for (int f = 0; f < 30; ++f) {
        frame();
    }
    // A head calms down, as the head model reports it.
    ZQ::HeadModel& heads = *ZQ::gGlobals.headModel;
    ASSERT_FALSE(heads.heads.empty());
    heads.notify(&ZQ::EventListener::onHeadReleased, heads.heads.front());
    ASSERT_EQ(idle->groups.size(), 2u);
    for (int f = 0; f < 50; ++f) {
        frame();
    }
    ZQ::gGlobals.timerModel->remaining = 2;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(runUntil(GameController::LoadCords, 400));
    EXPECT_TRUE(ZQ::gGlobals.flowModel->letters.empty() || ZQ::gGlobals.flowModel->isReady());
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("dropped"), std::string::npos);
    EXPECT_FALSE(idle->closed) << "re-armed for the next attempt";
}

// Level 5's tip shows when the cord is almost solved after an idle spell;
// the solve comes while its lines hold, and they go with the level without
// a flow step missing its letter.
TEST_F(LevelPlayTest, ATipShowingAtTheSolveGoesWithTheLevel) {
    start(ZQ::ArcadeMode, 5);
    const ZQ::TipNode* rotate = ZQ::gGlobals.levelModel->currentLevel().tip;
    ASSERT_NE(rotate, nullptr);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    ZQ::gGlobals.timerModel->notify(&ZQ::EventListener::onIdle);
    hold(0, 3);
    ASSERT_TRUE(runUntil(GameController::Play, 5));
    ZQ::CordModel& cord = *ZQ::gGlobals.cordModel;
    cord.notify(&ZQ::EventListener::onAlmostSolved);
    ASSERT_EQ(rotate->groups.size(), 2u);
    for (int f = 0; f < 50; ++f) {
        frame();
    }
    testing::internal::CaptureStderr();
    cord.notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(controller->state, GameController::Scoring);
    EXPECT_TRUE(rotate->groups.empty());
    ASSERT_TRUE(runUntil(GameController::Done, 600));
    EXPECT_TRUE(ZQ::gGlobals.flowModel->letters.empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("dropped"), std::string::npos);
    EXPECT_FALSE(rotate->closed) << "re-armed when taken off the models";
}

// The level is ended as solved by the cord's own event, with the move count
// and the time left of the worked example.
class LevelScoreThroughControllerTest : public LevelPlayTest {
protected:
    void solveWith(int moves, int framesLeft) {
        ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
        hold(14, 3);
        ASSERT_TRUE(runUntil(GameController::Play, 5));
        // Scoring waits for the flowing letters (the knot's name) to rest.
        for (int f = 0; f < 300 && !ZQ::gGlobals.flowModel->isReady(); ++f) {
            frame();
        }
        ZQ::gGlobals.scoreModel->count = moves;
        ZQ::gGlobals.timerModel->remaining = framesLeft + 1; // the timer counts one more frame down
        ZQ::gGlobals.cordModel->notify(&ZQ::EventListener::onSolved);
        EXPECT_EQ(controller->state, GameController::Scoring);
        EXPECT_FALSE(controller->isPausable());
        ASSERT_TRUE(runUntil(GameController::TipRemoval, 200));
    }
};

TEST_F(LevelScoreThroughControllerTest, TenMovesWithTwentySecondsLeftScore816AndGolden) {
    start(ZQ::ArcadeMode);
    solveWith(10, 600);
    const ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    EXPECT_EQ(points.scorePoints, 792);
    EXPECT_EQ(points.timePoints, 24);
    EXPECT_EQ(points.levelPoints, 816);
    EXPECT_EQ(points.grade, 0);
    EXPECT_EQ(points.tangles[0], 1);
    // A pause now would lose the result: none comes, and the game's master
    // is told the level may not pause, so it shows no pause menu either.
    controller->pause();
    EXPECT_FALSE(ZQ::gGlobals.timerModel->isPaused());
    EXPECT_FALSE(ZQ::gGlobals.particleSystem1->isPaused());
    EXPECT_FALSE(static_cast<const ZQ::Controller&>(*controller).isPausable());
    ASSERT_TRUE(runUntil(GameController::Done, 400));

    // A retry from the award screen takes the solve back; the replay's own
    // solve then counts once.
    GameController::takeBackLevelScore();
    EXPECT_EQ(points.points, 0);
    EXPECT_EQ(points.tangles[0], 0);
}

TEST_F(LevelScoreThroughControllerTest, ACalmSolveTakesATenthOfTheTimePoints) {
    start(ZQ::ZenMode);
    solveWith(10, 0);
    const ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    EXPECT_EQ(points.scorePoints, 792);
    EXPECT_EQ(points.timePoints, 11); // trunc(110 / 5 x 0.5)
    EXPECT_EQ(points.levelPoints, 803);
}

TEST_F(LevelPlayTest, MovesSaturateAt150AndAFingerCursorGoesWithItsTouch) {
    start(ZQ::ArcadeMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    hold(14, 3);
    ASSERT_TRUE(runUntil(GameController::Play, 5));
    ZQ::gGlobals.scoreModel->count = 149;
    hold(14, 12);
    EXPECT_EQ(ZQ::gGlobals.scoreModel->count, 150);
    hold(14, 12);
    EXPECT_EQ(ZQ::gGlobals.scoreModel->count, 150);

    // A finger held long enough for its cursor, then dropped by the level
    // (as a pause or the tutorial does) rather than lifted.
    const PVRTVec2 at = pointOf(14);
    input(touch(1, "began", at));
    for (int f = 0; f < 8; ++f) {
        frame();
    }
    ASSERT_EQ(controller->grasps().getDragFactories().size(), 1u);
    const ZQ::MeshInstance* marker = controller->grasps().getDragFactories().front()->marker;
    ASSERT_NE(marker, nullptr);
    controller->resetGrasps();
    for (int f = 0; f < 20; ++f) {
        frame();
    }
    for (const ZQ::MeshInstance* disc : ZQ::gGlobals.cursorModel->discs) {
        EXPECT_NE(disc, marker) << "the dropped touch's cursor is still shown";
    }
    // Its finger lifts later: nothing is left to end.
    input(touch(1, "ended", at));
    frame();
    frame();
    EXPECT_TRUE(controller->grasps().getDragFactories().empty());
}

TEST_F(LevelPlayTest, AHeldFingerLiftedWhileAnotherIsNewerMakesNoSlide) {
    start(ZQ::ArcadeMode);
    ASSERT_TRUE(runUntil(GameController::FirstGrasp, kIntroFrames));
    hold(14, 3);
    ASSERT_TRUE(runUntil(GameController::Play, 5));
    // Finger 1 holds particle 5 for 30 frames and then travels three radii;
    // finger 2 comes down on particle 22 just before finger 1 lifts, and so
    // stands at the front of the touches with a count below ten.
    const PVRTVec2 a = pointOf(5);
    const PVRTVec2 b = pointOf(22);
    const PVRTVec2 away = a + PVRTVec2(3.0f * kRadius / kScale, 0.0f);
    input(touch(1, "began", a, 1) + touch(31, "moved", away, 1) + touch(33, "began", b, 2) +
          touch(34, "ended", away, 1) + touch(40, "ended", b, 2));
    const int slidesBefore = grasps.count(ZQ::Grasp::Slide);
    for (int f = 0; f < 45; ++f) {
        frame();
    }
    EXPECT_EQ(grasps.count(ZQ::Grasp::Slide), slidesBefore) << "a held drag counted as a stroke";
    EXPECT_TRUE(controller->grasps().getDragFactories().empty());
}

} // namespace
