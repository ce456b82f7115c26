#include "FlowStage.h"

#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "engine/Random.h"
#include "game/OutroController.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using ZQ::OutroController;

class OutroControllerTest : public FlowStage {
protected:
    void TearDown() override {
        outro.tearDown();
        FlowStage::TearDown();
    }

    void open() {
        outro.setUp();
        frame(&outro);
    }

    int runUntilDone(int limit = 1000) {
        return framesUntil([&] { return outro.isDone(); }, limit, &outro);
    }

    float lineHeight(int line) const { return (0.8f - 0.08f * static_cast<float>(line)) * h; }

    OutroController outro;
};

TEST_F(OutroControllerTest, BackgroundEpilogueAndNineLinesLast540Frames) {
    open();
    ASSERT_EQ(outro.state, OutroController::kShowing);
    ASSERT_EQ(captions.captions.size(), 2u);
    const ZQ::CaptionInstance* background = captions.captions.front();
    const ZQ::CaptionInstance* epilogue = captions.captions.back();
    EXPECT_EQ(background->entry->name, "story_bg_1px");
    EXPECT_EQ(epilogue->entry->name, "small_epilogue");
    const float depth = ZQ::DeviceProfile::get().hudDepth;
    // The background covers the screen just behind the other overlays.
    EXPECT_FLOAT_EQ(background->layout.position.x, 0.5f * w);
    EXPECT_FLOAT_EQ(background->layout.position.y, 0.5f * h);
    EXPECT_FLOAT_EQ(background->layout.position.z, depth - 1.0f);
    EXPECT_FLOAT_EQ(background->layout.scale, std::max(w, h));
    EXPECT_EQ(flowIds().size(), static_cast<std::size_t>(OutroController::kLineCount));
    for (int line = 1; line <= OutroController::kLineCount; ++line) {
        EXPECT_GE(flowOf("outro_" + std::to_string(line)), 0) << line;
    }

    // Input of any kind changes nothing: the outro cannot be skipped.
    outro.doubleTap(PVRTVec2(10.0f, 10.0f));
    outro.tap(PVRTVec2(10.0f, 10.0f), 20.0f);
    outro.touchBegan(PVRTVec2(10.0f, 10.0f), 20.0f);
    outro.touchEnded(PVRTVec2(10.0f, 10.0f), 20.0f);
    EXPECT_EQ(captions.captions.size(), 2u);
    EXPECT_EQ(flowIds().size(), static_cast<std::size_t>(OutroController::kLineCount));

    for (int i = 0; i < 100; ++i) {
        frame(&outro);
    }
    EXPECT_FLOAT_EQ(background->layout.alpha, 1.0f);
    // The epilogue waits half a second, then fades in in the lower right corner.
    EXPECT_FLOAT_EQ(epilogue->layout.alpha, 1.0f);
    EXPECT_FLOAT_EQ(epilogue->layout.position.x, 0.8f * w);
    EXPECT_FLOAT_EQ(epilogue->layout.position.y, 0.025f * h);
    EXPECT_FLOAT_EQ(epilogue->layout.position.z, depth);

    const int frames = 101 + runUntilDone();
    EXPECT_GE(frames, 539);
    EXPECT_LE(frames, 545);
    EXPECT_TRUE(captions.captions.empty());
    // The lines' last pulls end after the outro has been left (570 frames);
    // the flow model removes them on its own.
    EXPECT_FALSE(flows.letters.empty());
    const int gone = frames + framesUntil([&] { return flows.letters.empty(); }, 100, nullptr);
    EXPECT_GE(gone, 565);
    EXPECT_LE(gone, 580);
}

// Each line alone (the others' texts empty), so that no other line's letters
// jostle it: where its two driven letters are pinned.
TEST_F(OutroControllerTest, EachLineRisesIntoItsPlaceAndIsStretchedAcrossTheScreen) {
    for (int line = 0; line < OutroController::kLineCount; ++line) {
        for (int other = 0; other < OutroController::kLineCount; ++other) {
            generator->texts["outro_" + std::to_string(other + 1)] =
                other == line ? std::string(24, 'x') : std::string();
        }
        box->tearDown();
        box->setUp();
        OutroController alone;
        alone.setUp();
        frame(&alone);
        const int flow = flowOf("outro_" + std::to_string(line + 1));
        ASSERT_GE(flow, 0);
        // It starts beyond an edge, low on the screen.
        const float x = lettersOf(flow).front()->layout.position.x;
        EXPECT_TRUE(line % 2 == 0 ? x < 0.0f : x > w) << line;
        // Hung for two seconds, then risen: letter 0 at half the width, the
        // last letter at 0.64 w, at the line's height.
        for (int played = 1; played < 122; ++played) {
            frame(&alone);
        }
        std::vector<ZQ::FlowInstance*> letters = lettersOf(flow);
        EXPECT_NEAR(letters.front()->layout.position.x, 0.5f * w, 0.05f * w) << line;
        EXPECT_NEAR(letters.back()->layout.position.x, 0.64f * w, 0.05f * w) << line;
        EXPECT_NEAR(letters.front()->layout.position.y, lineHeight(line), 0.03f * h) << line;
        // Stretched over the full width and held; the slack chain pulls each
        // pinned end in by up to a link.
        for (int played = 122; played < 260; ++played) {
            frame(&alone);
        }
        letters = lettersOf(flow);
        EXPECT_NEAR(letters.front()->layout.position.x, 0.0f, 0.06f * w) << line;
        EXPECT_NEAR(letters.back()->layout.position.x, w, 0.06f * w) << line;
        EXPECT_NEAR(letters.back()->layout.position.y, lineHeight(line), 0.03f * h) << line;
        alone.tearDown();
        framesUntil([&] { return flows.letters.empty() && captions.captions.empty(); }, 800, nullptr);
    }
}

// Each line hangs two seconds and rises in two, then waits a second and 3
// frames more than the line above it before it is stretched, and holds as
// much less, so that every line leaves at the same frame. A pinned letter
// sets off at several pixels a frame; one held or let hang, settled after
// its rise, drifts by less than one.
TEST_F(OutroControllerTest, EachLineIsStretchedThreeFramesAfterTheOneAboveAndAllLeaveTogether) {
    open();
    const int lines = OutroController::kLineCount;
    std::vector<int> flow(lines);
    for (int line = 0; line < lines; ++line) {
        flow[line] = flowOf("outro_" + std::to_string(line + 1));
        ASSERT_GE(flow[line], 0);
    }
    const float setsOff = w / 250.0f;
    std::vector<int> stretched(lines, 0);
    std::vector<int> pulledOut(lines, 0);
    std::vector<PVRTVec2> was(lines);
    for (int played = 1; played < 500; ++played) {
        for (int line = 0; line < lines; ++line) {
            const std::vector<ZQ::FlowInstance*> letters = lettersOf(flow[line]);
            const PVRTVec2 x(letters.front()->layout.position.x, letters.back()->layout.position.x);
            // Letter 0 sets off for the left edge; later the line's exit
            // letter (the last one of an even line, letter 0 of an odd one)
            // for beyond its edge.
            if (played > 140 && stretched[line] == 0 && was[line].x - x.x > setsOff) {
                stretched[line] = played;
            }
            const float away = line % 2 == 0 ? x.y - was[line].y : was[line].x - x.x;
            if (played > 400 && pulledOut[line] == 0 && away > setsOff) {
                pulledOut[line] = played;
            }
            was[line] = x;
        }
        frame(&outro);
    }
    for (int line = 0; line < lines; ++line) {
        EXPECT_EQ(stretched[line] - stretched[0], 3 * line) << line;
        EXPECT_EQ(pulledOut[line], pulledOut[0]) << line;
    }
    // The pins take hold of a letter within a few frames.
    EXPECT_NEAR(stretched[0], 60 + 60 + 30, 3);
    EXPECT_NEAR(pulledOut[0], 60 + 60 + 30 + 30 + 300, 3);
}

TEST_F(OutroControllerTest, EachOutroRaisesTheDifficultyOneStepUpToTheLast) {
    ZQ::LevelModel& levels = *ZQ::gGlobals.levelModel;
    const int32_t cap = static_cast<int32_t>(levels.difficultyTable.back().first);
    ASSERT_EQ(levels.difficulty, 0);
    std::vector<int32_t> seen;
    for (int run = 0; run < cap + 2; ++run) {
        OutroController again;
        again.setUp();
        frame(&again);
        again.tearDown();
        seen.push_back(levels.difficulty);
    }
    for (int run = 0; run < cap + 2; ++run) {
        EXPECT_EQ(seen[run], std::min(run + 1, cap)) << run;
    }
}

TEST_F(OutroControllerTest, TheExitOffsetFollowsTheSignOfTheDraw) {
    EXPECT_FLOAT_EQ(OutroController::exitOffset(0u), -0.1f);
    EXPECT_FLOAT_EQ(OutroController::exitOffset(0xFFFFFFFFu), 0.1f);
    // Exactly level only where the draw is half the range.
    EXPECT_FLOAT_EQ(OutroController::exitOffset(0x80000000u), 0.0f);
    EXPECT_FLOAT_EQ(OutroController::exitOffset(0x80000000u - 0x1000u), -0.1f);
    EXPECT_FLOAT_EQ(OutroController::exitOffset(0x80000000u + 0x1000u), 0.1f);
}

TEST_F(OutroControllerTest, ALineWithoutLettersIsLeftOut) {
    generator->texts["outro_9"] = "";
    open();
    EXPECT_EQ(flowOf("outro_9"), -1);
    EXPECT_EQ(flowIds().size(), 8u);
    runUntilDone();
    EXPECT_TRUE(outro.isDone());
}

// Captions of other screens hold the outro up too.
TEST_F(OutroControllerTest, TheOutroWaitsForEveryCaption) {
    open();
    captions.addCaption("a", new ZQ::WaitAction(700));
    const int frames = runUntilDone();
    EXPECT_GE(frames, 699);
    EXPECT_LE(frames, 703);
}

} // namespace
