#include "ViewPlayFixture.h"
#include "support/RecordingSoundGateway.h"

#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "cords/HeadModel.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "game/TutorialController.h"
#include "game/TutorialHints.h"
#include "game/TutorialNode.h"
#include "levels/LevelModel.h"
#include "overlays/TimerModel.h"
#include "stage/BalloonModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using ZQ::TutorialController;
using ZQ::TutorialNode;

// Counts the grasps the grasp model admits, by kind.
class GraspCount : public ZQ::EventListener {
public:
    void onGrasp(ZQ::Grasp* grasp) override { ++kinds[grasp->getType()]; }
    int of(ZQ::Grasp::Type kind) const { return kinds[kind]; }
    int kinds[4] = {};
};

// The tutorial as the shell runs it headless (ViewPlayTest), without
// drawing: the tutorial controller is the master controller (the tutorial
// flag set, as the menu's tutorial tile does), and touches and swipes go in
// through the view's own delivery.
class TutorialPlayTest : public ViewPlayTest {
protected:
    void SetUp() override {
        ViewPlayTest::SetUp();
        ZQ::Preferences::shared().setGameMode(ZQ::ArcadeMode);
        makeView(&makeNoRenderPasses);
        tutorial = std::make_unique<TutorialController>();
        ZQ::gGlobals.masterController = tutorial.get();
        ZQ::gGlobals.graspModel->addListener(&grasps);
    }

    void TearDown() override {
        tutorial->tearDown();
        ZQ::gGlobals.masterController = nullptr;
        tutorial.reset();
        ViewPlayTest::TearDown();
    }

    void startRoom(int room) {
        ZQ::gGlobals.tutorialActive = true;
        ZQ::gGlobals.levelModel->level = room;
        tutorial->setUp();
    }

    // One frame, then the input due after it; the steps seen are recorded.
    void frame() {
        view->drawView();
        ++drawn;
        const TutorialNode* node = tutorial->currentNode;
        if (node != nullptr && (steps.empty() || steps.back() != node->name())) {
            steps.push_back(node->name());
        }
        deliverInput();
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            frame();
        }
    }

    // Frames until the running step is `name` in `status`; whether it came.
    bool runUntil(const std::string& name, int32_t status, int limit = 2000) {
        for (int f = 0; f < limit; ++f) {
            const TutorialNode* node = tutorial->currentNode;
            if (node != nullptr && node->name() == name && node->status == status) {
                return true;
            }
            frame();
        }
        return false;
    }
    bool runUntilState(int32_t state, int limit = 2000) {
        for (int f = 0; f < limit && tutorial->state != state; ++f) {
            frame();
        }
        return tutorial->state == state;
    }

    // Where the middle particle of the cord is now, in points from the top left.
    static PVRTVec2 onCord() { return pointOf(ZQ::gGlobals.cordModel->count / 2); }
    // A finger held still on the cord for `n` frames.
    void hold(int n) {
        const PVRTVec2 at = onCord();
        input(touch(1, "began", at) + touch(1 + n, "ended", at));
        frames(n + 3);
    }
    // A short flick along the cord: three radii in two frames.
    void flick() {
        const PVRTVec2 at = onCord();
        const PVRTVec2 to(at.x + 1.5f * kRadius, at.y);
        input(touch(1, "began", at) + touch(2, "moved", PVRTVec2(at.x + 0.75f * kRadius, at.y)) +
              touch(3, "moved", to) + touch(4, "ended", to));
        frames(6);
    }
    // A swipe to the right along the bottom edge, where swipes turn the knot;
    // the string and drag effects it sounded.
    std::size_t swipe() {
        sounds.calls.clear();
        input("1 swipe 187 650 right\n");
        frames(3);
        return sounds.count("playStringEffect") + sounds.count("playDragEffect");
    }

    // Room 0 up to the player's try, each lesson done with its gesture.
    bool playToTry() {
        if (!runUntil("TNSlide", TutorialNode::kRunning)) {
            return false;
        }
        flick();
        if (!runUntil("TNDrag", TutorialNode::kRunning)) {
            return false;
        }
        hold(3);
        if (!runUntil("TNRotate", TutorialNode::kRunning)) {
            return false;
        }
        swipe();
        return runUntil("TNTry", TutorialNode::kRunning);
    }

    const ZQ::BalloonInstance& onlyBalloon() const {
        const auto& list = ZQ::gGlobals.balloonModel->getBalloons();
        EXPECT_EQ(list.size(), 1u);
        return *list.front();
    }

    // Installed before the view, which sets it up, is built.
    RecordingSoundGateway sounds;
    ScopedSoundGateway soundScope{&sounds};
    std::unique_ptr<TutorialController> tutorial;
    GraspCount grasps;
    std::vector<std::string> steps;
};

TEST_F(TutorialPlayTest, RoomZeroTeachesEachGestureAloneAndEndsOnTheSolve) {
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    startRoom(0);
    ASSERT_TRUE(runUntil("TNSingleKnot", TutorialNode::kRunning));
    // No gesture at all while the knot is shown; a refused swipe does not
    // even sound.
    hold(20);
    EXPECT_EQ(swipe(), 0u);
    flick();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Drag) + grasps.of(ZQ::Grasp::Slide) + grasps.of(ZQ::Grasp::Rotate), 0);

    ASSERT_TRUE(runUntil("TNSlide", TutorialNode::kRunning));
    const ZQ::BalloonInstance& slideHint = onlyBalloon();
    EXPECT_FLOAT_EQ(slideHint.layout.position.x, 0.37f * w);
    EXPECT_FLOAT_EQ(slideHint.layout.position.y, 0.47f * h);
    hold(20);
    EXPECT_EQ(swipe(), 0u);
    EXPECT_EQ(grasps.of(ZQ::Grasp::Drag) + grasps.of(ZQ::Grasp::Rotate), 0);
    EXPECT_EQ(tutorial->currentNode->status, TutorialNode::kRunning);
    flick();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Slide), 1);
    EXPECT_GE(tutorial->currentNode->status, TutorialNode::kGoalReached);

    ASSERT_TRUE(runUntil("TNDrag", TutorialNode::kRunning));
    const ZQ::BalloonInstance& dragHint = onlyBalloon();
    EXPECT_FLOAT_EQ(dragHint.layout.position.x, 0.5f * w);
    EXPECT_FLOAT_EQ(dragHint.layout.position.y, 0.5f * h);
    EXPECT_EQ(swipe(), 0u);
    EXPECT_EQ(grasps.of(ZQ::Grasp::Rotate), 0);
    EXPECT_EQ(tutorial->currentNode->status, TutorialNode::kRunning);
    // A flick starts with the finger on the cord: that is the drag the step
    // waits for, and the stroke itself makes no slide.
    flick();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Slide), 1);
    EXPECT_GE(grasps.of(ZQ::Grasp::Drag), 1);
    EXPECT_GE(tutorial->currentNode->status, TutorialNode::kGoalReached);

    ASSERT_TRUE(runUntil("TNRotate", TutorialNode::kRunning));
    const ZQ::BalloonInstance& rotateHint = onlyBalloon();
    EXPECT_FLOAT_EQ(rotateHint.layout.position.x, 0.4f * w);
    EXPECT_FLOAT_EQ(rotateHint.layout.position.y, ZQ::TutorialHints::rotateHeight());
    const int drags = grasps.of(ZQ::Grasp::Drag);
    hold(20);
    flick();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Drag), drags);
    EXPECT_EQ(grasps.of(ZQ::Grasp::Slide), 1);
    // The allowed swipe hums every string: its string and its drag effect.
    EXPECT_EQ(swipe(), 2u * static_cast<std::size_t>(ZQ::gGlobals.cordModel->stringCount()));
    EXPECT_EQ(grasps.of(ZQ::Grasp::Rotate), 1);
    EXPECT_GE(tutorial->currentNode->status, TutorialNode::kGoalReached);

    // The player's own try: the heads and the timer come, and every gesture.
    ASSERT_TRUE(runUntil("TNTry", TutorialNode::kRunning));
    EXPECT_FALSE(ZQ::gGlobals.headModel->heads.empty());
    EXPECT_TRUE(ZQ::gGlobals.timerModel->running);
    EXPECT_TRUE(ZQ::gGlobals.balloonModel->getBalloons().empty());
    flick();
    hold(12);
    swipe();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Slide), 2);
    EXPECT_EQ(grasps.of(ZQ::Grasp::Rotate), 2);
    // The cord reports the solve; the room is scored and ends as a level.
    ZQ::gGlobals.cordModel->notify(&ZQ::EventListener::onSolved);
    EXPECT_EQ(tutorial->currentNode->status, TutorialNode::kGoalReached);
    ASSERT_TRUE(runUntilState(TutorialController::Scoring, 200));
    EXPECT_EQ(tutorial->currentNode, nullptr);
    ASSERT_TRUE(runUntilState(TutorialController::Done, 600));
    const std::vector<std::string> expected = {"TNWait", "TNSingleKnot", "TNSlide",
                                               "TNDrag", "TNRotate",     "TNTry"};
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(ZQ::gGlobals.tutorialActive) << "room 1 is still to come";
}

TEST_F(TutorialPlayTest, RoomOneEndsTheTutorialInBothStores) {
    ZQ::Preferences& preferences = ZQ::Preferences::shared();
    preferences.userDefaults().remove(ZQ::Preferences::kTutorialCompletedKey);
    preferences.cloudStore().remove(ZQ::Preferences::kTutorialCompletedKey);
    startRoom(1);
    ASSERT_TRUE(runUntil("TNAttractor", TutorialNode::kRunning));
    EXPECT_EQ(ZQ::gGlobals.balloonModel->getBalloons().size(), 2u);
    swipe();
    flick();
    EXPECT_EQ(grasps.of(ZQ::Grasp::Slide) + grasps.of(ZQ::Grasp::Rotate), 0);
    // A touch too short for a second grasp while the first holds.
    hold(1);
    EXPECT_EQ(tutorial->currentNode->status, TutorialNode::kRunning);
    EXPECT_FALSE(ZQ::gGlobals.timerModel->running);
    hold(15);
    EXPECT_GE(tutorial->currentNode->status, TutorialNode::kGoalReached);
    EXPECT_TRUE(ZQ::gGlobals.timerModel->running) << "the timer starts with the pull";

    ASSERT_TRUE(runUntil("TNSeparate", TutorialNode::kRunning));
    EXPECT_FALSE(ZQ::gGlobals.headModel->heads.empty());
    ZQ::gGlobals.cordModel->notify(&ZQ::EventListener::onSolved);
    ASSERT_TRUE(runUntil("TNEnd", TutorialNode::kLeaving));
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_TRUE(preferences.userDefaults().boolForKey(ZQ::Preferences::kTutorialCompletedKey));
    EXPECT_TRUE(preferences.cloudStore().boolForKey(ZQ::Preferences::kTutorialCompletedKey));
    // Scoring starts in the frame in which the last step is done.
    while (tutorial->currentNode != nullptr) {
        EXPECT_EQ(tutorial->state, TutorialController::Play);
        frame();
    }
    EXPECT_EQ(tutorial->state, TutorialController::Scoring);
    ASSERT_TRUE(runUntilState(TutorialController::Done, 600));
    const std::vector<std::string> expected = {"TNWait", "TNAttractor", "TNSeparate", "TNEnd"};
    EXPECT_EQ(steps, expected);
}

// A step's limits last as long as the step: a pause and resume keep them,
// and a room left early (the pause menu's stop, restart or map) lets go of
// its step, so nothing limits or answers for it afterwards.
TEST_F(TutorialPlayTest, LeavingARoomEarlyLetsGoOfItsStep) {
    startRoom(0);
    ASSERT_TRUE(runUntil("TNSlide", TutorialNode::kRunning));
    tutorial->pause();
    tutorial->resume();
    hold(20);
    EXPECT_EQ(grasps.of(ZQ::Grasp::Drag), 0) << "the slide step still forbids drags";

    TutorialNode* step = tutorial->currentNode;
    tutorial->quit();
    frame();
    EXPECT_EQ(tutorial->currentNode, nullptr);
    for (ZQ::Model* source : tutorial->nodeSources) {
        const auto& listeners = source->getListeners();
        EXPECT_EQ(std::count(listeners.begin(), listeners.end(), step), 0);
    }
    ASSERT_TRUE(runUntilState(TutorialController::Done, 600));
    tutorial->tearDown();
    EXPECT_TRUE(tutorial->nodes.empty());

    // The same controller for another room starts with no step of the old one.
    startRoom(0);
    EXPECT_EQ(tutorial->currentNode, nullptr);
}

// In the player's try a time-up starts the timer again; once the room is
// left, a time-up of the next level is no longer the tutorial's to answer.
TEST_F(TutorialPlayTest, TheTrysTimeUpRestartsTheTimerOnlyWhileTheRoomRuns) {
    startRoom(0);
    ASSERT_TRUE(playToTry());
    ZQ::TimerModel& timer = *ZQ::gGlobals.timerModel;
    ASSERT_TRUE(timer.running);
    timer.remaining = 1;
    frame();
    EXPECT_TRUE(timer.running) << "the timer starts again";
    EXPECT_GT(timer.remaining, 30 * 20);
    EXPECT_EQ(tutorial->state, TutorialController::Play) << "a time-up never fails a tutorial room";

    tutorial->quit();
    ASSERT_TRUE(runUntilState(TutorialController::Done, 600));
    tutorial->tearDown();
    timer.show();
    timer.remaining = 1;
    frame();
    EXPECT_FALSE(timer.running) << "no step of the left room answers the next level's time-up";
    timer.hide();
}

} // namespace
