#include "FlowStage.h"

#include "cords/Grasp.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/Preferences.h"
#include "game/TutorialHints.h"
#include "game/TutorialSceneCollection.h"
#include "game/TutorialSteps.h"
#include "overlays/FlowSteps.h"
#include "overlays/TimerModel.h"
#include "render/RenderProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using ZQ::TutorialNode;

class TutorialNodeTest : public FlowStage {
protected:
    void SetUp() override {
        FlowStage::SetUp();
        ZQ::gGlobals.timerModel = &timer;
        timer.setUp();
    }
    void TearDown() override {
        timer.tearDown();
        FlowStage::TearDown();
    }

    // One frame of the tutorial controller's play for the step: its update,
    // then the models.
    void play(TutorialNode& node) {
        node.update();
        frame();
    }
    // Frames of play until the step reaches `status`; the frames played.
    int playUntil(TutorialNode& node, int32_t status, int limit = 2000) {
        int n = 0;
        while (node.status != status && n < limit) {
            play(node);
            ++n;
        }
        return n;
    }

    ZQ::TimerModel timer;
    ZQ::SlideGrasp slide{0, 1, PVRTVec2(1.0f, 0.0f), {0, 1, 2}};
    ZQ::DragGrasp drag{{0}, 0, 0, PVRTVec2(0.0f, 0.0f)};
    ZQ::RotateGrasp rotate{PVRTMat4::identity()};
};

TEST_F(TutorialNodeTest, AStepWithoutGoalEventsLeavesWhenItsLinesHaveRunTheirHold) {
    generator->texts["tutorial_TNSingleKnot_1"] = "A knot here";
    generator->texts["tutorial_TNSingleKnot_2"] = "Part it";
    ZQ::TNSingleKnot node;
    EXPECT_FALSE(node.canDrag() || node.canSlide() || node.canRotate());
    EXPECT_EQ(node.captionKey(), "tutorial_TNSingleKnot");
    // New, armed, running: one status a call.
    play(node);
    EXPECT_EQ(node.status, TutorialNode::kArmed);
    play(node);
    ASSERT_EQ(node.status, TutorialNode::kRunning);
    ASSERT_EQ(node.groups.size(), 2u);
    EXPECT_GE(flowOf("tutorial_TNSingleKnot_1"), 0);
    EXPECT_GE(flowOf("tutorial_TNSingleKnot_2"), 0);

    // After the 60-frame entry the end letters are pinned either side of the
    // centre, 0.5625 world units a letter, at the rows' heights (give or
    // take the link that pulls each pinned end in).
    for (int i = 0; i < 62; ++i) {
        play(node);
    }
    const float rows[2] = {0.8f, 0.3f};
    for (int line = 0; line < 2; ++line) {
        const std::vector<ZQ::FlowInstance*> letters = lettersOf(node.groups[line]);
        const float half = static_cast<float>(letters.size()) * 0.5625f / ZQ::gGlobals.worldScale;
        EXPECT_NEAR(letters.front()->layout.position.x, 0.5f * w - half, 0.06f * w) << line;
        EXPECT_NEAR(letters.back()->layout.position.x, 0.5f * w + half, 0.06f * w) << line;
        EXPECT_NEAR(letters.front()->layout.position.y, rows[line] * h, 0.02f * h) << line;
    }

    // The goal 180 frames after the lines were handed over, when no other
    // letters are busy.
    const int goal = 64 + playUntil(node, TutorialNode::kGoalReached);
    EXPECT_GE(goal, 180);
    EXPECT_LE(goal, 184);
    // Flung off in 30 frames; done once the letters are idle, and the lines
    // are removed.
    const int leaving = playUntil(node, TutorialNode::kDone);
    EXPECT_GE(leaving, 30);
    EXPECT_LE(leaving, 36);
    framesUntil([&] { return flows.letters.empty(); }, 5, nullptr);
    EXPECT_TRUE(flows.letters.empty());
    EXPECT_TRUE(flows.queue.empty());
}

// A line of more letters than the screen holds at the pinned spacing is
// pinned just inside the edges, so that both its ends can be read.
TEST_F(TutorialNodeTest, ALongLineIsPinnedInsideTheScreen) {
    generator->texts["tutorial_TNSingleKnot_1"] = "Part it until no strand touches another.";
    generator->texts["tutorial_TNSingleKnot_2"] = "Short";
    ZQ::TNSingleKnot node;
    for (int i = 0; i < 64; ++i) {
        play(node);
    }
    ASSERT_EQ(node.groups.size(), 2u);
    const std::vector<ZQ::FlowInstance*> longLine = lettersOf(node.groups[0]);
    ASSERT_GT(static_cast<float>(longLine.size()) * 0.5625f / ZQ::gGlobals.worldScale, 0.5f * w)
        << "at the spacing alone it would reach past the edges";
    EXPECT_NEAR(longLine.front()->layout.position.x, 0.05f * w, 0.06f * w);
    EXPECT_NEAR(longLine.back()->layout.position.x, 0.95f * w, 0.06f * w);
    // A short line stays about the centre, well inside.
    const std::vector<ZQ::FlowInstance*> shortLine = lettersOf(node.groups[1]);
    EXPECT_NEAR(0.5f * (shortLine.front()->layout.position.x + shortLine.back()->layout.position.x), 0.5f * w,
                0.02f * w);
    EXPECT_LT(shortLine.back()->layout.position.x - shortLine.front()->layout.position.x, 0.4f * w);
}

TEST_F(TutorialNodeTest, KeptLinesStayUntilTheGoalEventAndOnlyARunningStepTakesIt) {
    ZQ::TNSlide node;
    EXPECT_TRUE(node.canSlide());
    EXPECT_FALSE(node.canDrag() || node.canRotate());
    node.onGrasp(&slide);
    EXPECT_EQ(node.status, TutorialNode::kNew) << "a goal before the step runs is ignored";
    play(node);
    play(node);
    ASSERT_EQ(node.status, TutorialNode::kRunning);
    EXPECT_TRUE(node.keep);
    for (int i = 0; i < 400; ++i) {
        play(node);
    }
    EXPECT_EQ(node.status, TutorialNode::kRunning);
    EXPECT_EQ(flowIds().size(), 2u) << "kept lines stay on screen";
    node.onGrasp(&drag);
    node.onGrasp(&rotate);
    EXPECT_EQ(node.status, TutorialNode::kRunning);
    node.onGrasp(&slide);
    EXPECT_EQ(node.status, TutorialNode::kGoalReached);
    play(node);
    EXPECT_EQ(node.status, TutorialNode::kLeaving);
    node.onGrasp(&slide);
    EXPECT_EQ(node.status, TutorialNode::kLeaving) << "statuses only move forward";
    EXPECT_LE(playUntil(node, TutorialNode::kDone), 40);
}

TEST_F(TutorialNodeTest, EachGestureStepTakesOnlyItsOwnGrasp) {
    struct Case {
        std::unique_ptr<TutorialNode> node;
        ZQ::Grasp* goal;
    };
    Case cases[] = {{std::make_unique<ZQ::TNSlide>(), &slide},
                    {std::make_unique<ZQ::TNDrag>(), &drag},
                    {std::make_unique<ZQ::TNRotate>(), &rotate}};
    for (Case& c : cases) {
        TutorialNode& node = *c.node;
        // The step allows exactly the gesture of the grasp it waits for.
        EXPECT_EQ(node.canSlide(), c.goal == &slide) << node.name();
        EXPECT_EQ(node.canDrag(), c.goal == &drag) << node.name();
        EXPECT_EQ(node.canRotate(), c.goal == &rotate) << node.name();
        play(node);
        play(node);
        for (ZQ::Grasp* other : {static_cast<ZQ::Grasp*>(&slide), static_cast<ZQ::Grasp*>(&drag),
                                 static_cast<ZQ::Grasp*>(&rotate)}) {
            if (other != c.goal) {
                node.onGrasp(other);
            }
        }
        EXPECT_EQ(node.status, TutorialNode::kRunning) << node.name();
        node.onGrasp(c.goal);
        EXPECT_EQ(node.status, TutorialNode::kGoalReached) << node.name();
        playUntil(node, TutorialNode::kDone);
        framesUntil([&] { return flows.letters.empty() && balloons.getBalloons().empty(); }, 60, nullptr);
    }
}

TEST_F(TutorialNodeTest, TheAttractorNeedsASecondDragGraspAndStartsTheTimer) {
    ZQ::Preferences::shared().userDefaults().remove(ZQ::Preferences::kGameModeKey);
    ZQ::TNAttractor node;
    play(node);
    play(node);
    ASSERT_EQ(node.status, TutorialNode::kRunning);
    EXPECT_EQ(balloons.getBalloons().size(), 2u);
    drag.id = 0;
    node.onGrasp(&drag);
    EXPECT_EQ(node.status, TutorialNode::kRunning) << "the first grasp of a touch";
    EXPECT_FALSE(timer.running);
    slide.id = 3;
    node.onGrasp(&slide);
    EXPECT_EQ(node.status, TutorialNode::kRunning);
    drag.id = 1;
    node.onGrasp(&drag);
    EXPECT_EQ(node.status, TutorialNode::kGoalReached);
    EXPECT_TRUE(timer.running) << "arcade mode starts the timer with the goal";
}

TEST_F(TutorialNodeTest, ATimeUpInThePlayersTryStartsTheTimerAgainWithTheExtraTimeMessage) {
    std::unique_ptr<TutorialNode> nodes[] = {std::make_unique<ZQ::TNTry>(),
                                             std::make_unique<ZQ::TNSeparate>()};
    for (std::unique_ptr<TutorialNode>& node : nodes) {
        node->status = TutorialNode::kRunning;
        timer.show();
        timer.remaining = 0;
        timer.running = false;
        node->onTimeUp();
        EXPECT_TRUE(timer.running) << node->name();
        EXPECT_GT(timer.remaining, 0) << node->name();
        const int extra = flowOf("messages_extratime");
        EXPECT_GE(extra, 0) << node->name();
        node->onSolved();
        EXPECT_EQ(node->status, TutorialNode::kGoalReached) << node->name();
        // Once the goal is reached a time-up changes nothing.
        timer.hide();
        node->onTimeUp();
        EXPECT_FALSE(timer.running) << node->name();
        framesUntil([&] { return flows.letters.empty(); }, 300, nullptr);
    }
}

TEST_F(TutorialNodeTest, TheEndStepWaitsForOtherLettersThenMarksTheTutorialCompletedInBothStores) {
    ZQ::Preferences& preferences = ZQ::Preferences::shared();
    preferences.userDefaults().remove(ZQ::Preferences::kTutorialCompletedKey);
    preferences.cloudStore().remove(ZQ::Preferences::kTutorialCompletedKey);
    ZQ::gGlobals.tutorialActive = true;
    // Letters another step left behind, busy for 50 more frames.
    int flow = 0;
    int letters = 0;
    flows.addFlow(box->getCaption("a"), &flow, &letters, 0.5f * w, 0.5f * h, 0.0f);
    flows.addSteps({new ZQ::FlowModel::Batch{new ZQ::FlowAnim(flow, 0, new ZQ::FlowStopAction(50)),
                                             new ZQ::FlowRemove(flow)}});

    ZQ::TNEnd node;
    const int frames = playUntil(node, TutorialNode::kGoalReached);
    EXPECT_TRUE(node.silent);
    EXPECT_GE(frames, 49);
    EXPECT_LE(frames, 53);
    EXPECT_TRUE(node.groups.empty());
    EXPECT_TRUE(ZQ::gGlobals.tutorialActive);
    play(node);
    EXPECT_EQ(node.status, TutorialNode::kLeaving);
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_TRUE(preferences.userDefaults().boolForKey(ZQ::Preferences::kTutorialCompletedKey));
    EXPECT_TRUE(preferences.cloudStore().boolForKey(ZQ::Preferences::kTutorialCompletedKey));
    EXPECT_LE(playUntil(node, TutorialNode::kDone), 2);
}

// A text left empty in some language: the step shows what it has, and with
// nothing to wait for finishes at once instead of waiting for letters that
// never come.
TEST_F(TutorialNodeTest, LinesWithoutLettersAreLeftOutAndAStepWithNoneFinishesAtOnce) {
    generator->texts["tutorial_TNSingleKnot_1"] = "";
    generator->texts["tutorial_TNSingleKnot_2"] = "";
    ZQ::TNSingleKnot empty;
    EXPECT_LE(playUntil(empty, TutorialNode::kDone), 6);
    EXPECT_TRUE(empty.groups.empty());

    generator->texts["tutorial_TNDrag_2"] = "";
    ZQ::TNDrag half;
    play(half);
    play(half);
    ASSERT_EQ(half.groups.size(), 1u);
    half.onGrasp(&drag);
    EXPECT_LE(playUntil(half, TutorialNode::kDone), 40);
}

TEST_F(TutorialNodeTest, ResetMakesTheStepNewAgainAndKeepsItsFlags) {
    ZQ::TNDrag node;
    playUntil(node, TutorialNode::kRunning);
    ASSERT_FALSE(node.groups.empty());
    node.reset();
    EXPECT_EQ(node.status, TutorialNode::kNew);
    EXPECT_TRUE(node.groups.empty());
    EXPECT_TRUE(node.rows.empty());
    EXPECT_TRUE(node.keep);
}

// The hints start where the Part's figures put them; the bottom hint sits
// where the screen's swipe band is: projecting it back gives 0.05 h.
TEST_F(TutorialNodeTest, HintsStartWhereTheyPointAndTheRotateHintSitsInTheSwipeBand) {
    ZQ::TutorialHints::showSlide();
    ZQ::TutorialHints::showDrag();
    ZQ::TutorialHints::showRotate();
    ZQ::TutorialHints::showAttractor();
    const auto& list = balloons.getBalloons();
    ASSERT_EQ(list.size(), 5u);
    const float yr = ZQ::TutorialHints::rotateHeight();
    const PVRTVec3 starts[5] = {{0.37f * w, 0.47f * h, 0.45f * h},
                                {0.5f * w, 0.5f * h, 0.45f * h},
                                {0.4f * w, yr, 0.45f * h},
                                {0.5f * w, 0.5f * h, 0.45f * h},
                                {0.48f * w, 0.48f * h, 0.45f * h}};
    int k = 0;
    for (const ZQ::BalloonInstance* balloon : list) {
        EXPECT_NEAR(balloon->layout.position.x, starts[k].x, 1e-3f) << k;
        EXPECT_NEAR(balloon->layout.position.y, starts[k].y, 1e-3f) << k;
        EXPECT_NEAR(balloon->layout.position.z, starts[k].z, 1e-3f) << k;
        EXPECT_EQ(balloon->layout.alpha, 0.0f) << k;
        ++k;
    }
    const PVRTVec2 ndc =
        ZQ::projectPoint(ZQ::RenderProgram::defaultView(), PVRTVec3(0.5f * w, yr, 0.45f * h), false);
    EXPECT_NEAR((ndc.y * 0.5f + 0.5f) * h, 0.05f * h, 0.5f);

    // They wait two seconds, then loop their strokes: the slide hint travels
    // to (0.51 w, 0.48 h) and back again every 33 frames.
    const ZQ::BalloonInstance* slideHint = list.front();
    float furthest = 0.0f;
    int visible = 0;
    for (int i = 0; i < 60 + 2 * 33; ++i) {
        frame();
        furthest = std::max(furthest, slideHint->layout.position.x);
        visible += slideHint->layout.alpha > 0.5f ? 1 : 0;
        if (i < 59) {
            ASSERT_EQ(slideHint->layout.alpha, 0.0f) << i;
        }
    }
    EXPECT_NEAR(furthest, 0.51f * w, 1e-2f);
    EXPECT_GT(visible, 10);
    balloons.easeAll();
    for (int i = 0; i < 16; ++i) {
        frame();
    }
    EXPECT_TRUE(balloons.getBalloons().empty());
}

// Each hint loops its stroke: it shows where it starts, moves to the point
// it shows the finger going to, fades there and starts again. Watched from
// the outside: the point furthest from its start is the figure's end point,
// and it is back at its start once a loop. A keyframe takes its frames, but
// each shares its first tick with the end of the one before.
TEST_F(TutorialNodeTest, EachHintLoopsItsStrokeToWhereItPoints) {
    struct Case {
        const char* name;
        void (*show)();
        std::vector<PVRTVec2> ends; // one a balloon, pixels
        std::vector<int> keys;      // the frames of each keyframe
    };
    const float yr = ZQ::TutorialHints::rotateHeight();
    const Case cases[] = {
        {"slide", &ZQ::TutorialHints::showSlide, {{0.51f * w, 0.48f * h}}, {1, 7, 10, 15}},
        {"drag", &ZQ::TutorialHints::showDrag, {{0.4f * w, 0.5f * h}}, {1, 7, 15, 15, 15}},
        {"rotate", &ZQ::TutorialHints::showRotate, {{0.6f * w, yr}}, {1, 7, 15, 15}},
        {"attractor",
         &ZQ::TutorialHints::showAttractor,
         {{0.6f * w, 0.6f * h}, {0.4f * w, 0.4f * h}},
         {1, 7, 30, 15}},
    };
    for (const Case& c : cases) {
        c.show();
        const std::vector<ZQ::BalloonInstance*> list(balloons.getBalloons().begin(),
                                                     balloons.getBalloons().end());
        ASSERT_EQ(list.size(), c.ends.size()) << c.name;
        int loop = 0;
        for (int keyFrames : c.keys) {
            loop += keyFrames - 1;
        }
        struct Track {
            PVRTVec3 start;
            PVRTVec3 furthest;
            float brightest = 0.0f;
            bool away = false;
            std::vector<int> backAt;
        };
        std::vector<Track> tracks(list.size());
        for (std::size_t b = 0; b < list.size(); ++b) {
            tracks[b].start = list[b]->layout.position;
            tracks[b].furthest = tracks[b].start;
        }
        for (int f = 0; f < 60 + 3 * loop; ++f) {
            frame();
            for (std::size_t b = 0; b < list.size(); ++b) {
                Track& t = tracks[b];
                const PVRTVec3 at = list[b]->layout.position;
                t.brightest = std::max(t.brightest, list[b]->layout.alpha);
                if ((at - t.start).length() > (t.furthest - t.start).length()) {
                    t.furthest = at;
                }
                if (at == t.start && t.away) {
                    t.backAt.push_back(f);
                }
                t.away = !(at == t.start);
            }
        }
        for (std::size_t b = 0; b < list.size(); ++b) {
            const Track& t = tracks[b];
            EXPECT_NEAR(t.furthest.x, c.ends[b].x, 1e-2f) << c.name << " " << b;
            EXPECT_NEAR(t.furthest.y, c.ends[b].y, 1e-2f) << c.name << " " << b;
            EXPECT_NEAR(t.furthest.z, 0.45f * h, 1e-2f) << c.name << " " << b;
            EXPECT_FLOAT_EQ(t.brightest, 0.9f) << c.name << " " << b;
            ASSERT_GE(t.backAt.size(), 2u) << c.name << " " << b;
            EXPECT_EQ(t.backAt[1] - t.backAt[0], loop) << c.name << " " << b;
        }
        balloons.easeAll();
        framesUntil([&] { return balloons.getBalloons().empty(); }, 30, nullptr);
        ASSERT_TRUE(balloons.getBalloons().empty()) << c.name;
    }
}

} // namespace
