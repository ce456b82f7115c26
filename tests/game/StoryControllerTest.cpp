#include "FlowStage.h"

#include "engine/Action.h"
#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "game/StoryController.h"
#include "overlays/CaptionInstance.h"
#include "render/MeshInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using ZQ::StoryController;

class StoryControllerTest : public FlowStage {
protected:
    void TearDown() override {
        story.tearDown();
        FlowStage::TearDown();
    }

    // The story as the master controller opens it: set up, skip allowed or
    // not, and stepped in the same frame.
    void open(bool skip) {
        story.setUp();
        story.skipAllowed = skip;
        frame(&story);
    }

    // Frames until the story reaches `state`; the frames run.
    int runUntil(int32_t state, int limit = 1000) {
        return framesUntil([&] { return story.state == state; }, limit, &story);
    }

    float lineHeight(int line) const { return (0.9f - 0.08f * static_cast<float>(line)) * h; }

    StoryController story;
};

TEST_F(StoryControllerTest, FirstStartShowsThePrologueTheSlateAndTenLinesForAbout540Frames) {
    open(false);
    ASSERT_EQ(story.state, StoryController::kShowing);

    // The prologue in the lower right corner, fading in.
    ASSERT_EQ(captions.captions.size(), 1u);
    ZQ::CaptionInstance* prologue = captions.captions.front();
    EXPECT_EQ(prologue->entry->name, "small_prologue");
    EXPECT_FLOAT_EQ(prologue->layout.position.x, 0.8f * w);
    EXPECT_FLOAT_EQ(prologue->layout.position.y, 0.025f * h);
    EXPECT_FLOAT_EQ(prologue->layout.position.z, ZQ::DeviceProfile::get().hudDepth);
    EXPECT_LT(prologue->layout.alpha, 0.5f);

    // At the first start the slate is in place from the first frame.
    ASSERT_EQ(cursors.discs.size(), 1u);
    const ZQ::MeshInstance* slate = cursors.discs.front();
    EXPECT_EQ(slate->materialIndex, 4);
    EXPECT_FLOAT_EQ(slate->layout.scale, 0.6f * h);
    EXPECT_FLOAT_EQ(slate->layout.alpha, 1.0f);
    EXPECT_FLOAT_EQ(slate->layout.position.z, 0.5f * h);

    // One flow per story line, every letter of every caption.
    std::size_t letters = 0;
    for (int line = 1; line <= StoryController::kLineCount; ++line) {
        letters += generator->textOf("story_" + std::to_string(line)).size();
        EXPECT_GE(flowOf("story_" + std::to_string(line)), 0) << line;
    }
    EXPECT_EQ(flowIds().size(), 10u);
    EXPECT_EQ(flows.letters.size(), letters);

    for (int i = 0; i < 40; ++i) {
        frame(&story);
    }
    EXPECT_FLOAT_EQ(prologue->layout.alpha, 1.0f);
    // No skip at the first start: a double tap changes nothing.
    story.doubleTap(PVRTVec2(10.0f, 10.0f));
    frame(&story);
    EXPECT_EQ(captions.captions.size(), 1u);
    EXPECT_FLOAT_EQ(prologue->layout.alpha, 1.0f);
    EXPECT_EQ(flowIds().size(), 10u);

    // The prologue's 450 frames, then the slate's 90.
    const int showing = 42 + runUntil(StoryController::kClosing);
    EXPECT_GE(showing, 448);
    EXPECT_LE(showing, 455);
    EXPECT_TRUE(captions.captions.empty());
    const int closing = runUntil(StoryController::kDone);
    EXPECT_GE(closing, 89);
    EXPECT_LE(closing, 94);
    EXPECT_TRUE(story.isDone());
    EXPECT_TRUE(cursors.discs.empty());
    // The lines ended on their own before and the flow model removed them.
    EXPECT_TRUE(flows.letters.empty());
}

TEST_F(StoryControllerTest, LinesSwingInStretchAcrossTheScreenAndLeaveOnTime) {
    open(false);
    std::vector<int> flow(StoryController::kLineCount);
    std::vector<float> startX(StoryController::kLineCount);
    for (int line = 0; line < StoryController::kLineCount; ++line) {
        flow[line] = flowOf("story_" + std::to_string(line + 1));
        ASSERT_GE(flow[line], 0);
    }
    // The driven letter that leads the line in: letter 0 of an even line
    // (from the right), the last letter of an odd one (from the left).
    const auto lead = [&](int line) {
        std::vector<ZQ::FlowInstance*> letters = lettersOf(flow[line]);
        return line % 2 == 0 ? letters.front() : letters.back();
    };
    const auto trailing = [&](int line) {
        std::vector<ZQ::FlowInstance*> letters = lettersOf(flow[line]);
        return line % 2 == 0 ? letters.back() : letters.front();
    };
    for (int line = 0; line < StoryController::kLineCount; ++line) {
        startX[line] = lead(line)->layout.position.x;
        EXPECT_GT(std::fabs(startX[line] - 0.5f * w), 0.5f * w) << "line " << line << " starts off screen";
    }

    // Line 0 starts at once; the others are held where they start for 45
    // frames (give or take what the links pull) and then all start together.
    for (int i = 0; i < 40; ++i) {
        frame(&story);
    }
    EXPECT_LT(lead(0)->layout.position.x, startX[0] - 0.3f * w);
    for (int line = 1; line < StoryController::kLineCount; ++line) {
        EXPECT_NEAR(lead(line)->layout.position.x, startX[line], 0.05f * w) << line;
    }
    for (int i = 0; i < 40; ++i) {
        frame(&story);
    }
    for (int line = 1; line < StoryController::kLineCount; ++line) {
        EXPECT_GT(std::fabs(lead(line)->layout.position.x - startX[line]), 0.1f * w) << line;
    }

    // Stretched across the screen at its own height: the lead letter at the
    // far edge, the trailing one at the near edge (frame 280 is inside
    // every line's hold). The chain pulls each pinned end in by up to a link,
    // and neighbouring lines jostle.
    for (int played = 81; played < 280; ++played) {
        frame(&story);
    }
    for (int line = 0; line < StoryController::kLineCount; ++line) {
        const bool even = line % 2 == 0;
        EXPECT_NEAR(lead(line)->layout.position.x, even ? 0.0f : w, 0.1f * w) << line;
        EXPECT_NEAR(trailing(line)->layout.position.x, even ? w : 0.0f, 0.1f * w) << line;
        EXPECT_NEAR(lead(line)->layout.position.y, lineHeight(line), 0.04f * h) << line;
        EXPECT_NEAR(trailing(line)->layout.position.y, lineHeight(line), 0.04f * h) << line;
    }

    // The longest letter sequence is 521 frames; the lines leave the screen
    // before it ends and are removed when it has.
    const int start = 280;
    const int gone = framesUntil([&] { return flows.letters.empty(); }, 600, &story);
    EXPECT_GE(start + gone, 510);
    EXPECT_LE(start + gone, 528);
    EXPECT_EQ(flowWorld->getParticleCount(), 0);
}

TEST_F(StoryControllerTest, FromTheMenuTheSlateGrowsAndADoubleTapSendsEverythingAway) {
    open(true);
    ASSERT_EQ(cursors.discs.size(), 1u);
    const ZQ::MeshInstance* slate = cursors.discs.front();
    EXPECT_LT(slate->layout.scale, 0.3f * h);
    for (int i = 0; i < 60; ++i) {
        frame(&story);
    }
    EXPECT_FLOAT_EQ(slate->layout.scale, 0.6f * h);

    story.doubleTap(PVRTVec2(100.0f, 100.0f));
    EXPECT_EQ(story.state, StoryController::kShowing);
    EXPECT_TRUE(flows.queue.empty()) << "the queued removals went with the skip";
    const int frames = runUntil(StoryController::kDone, 400);
    EXPECT_GT(frames, 90);
    EXPECT_LT(frames, 130) << "a little over 100 frames after the skip";
    EXPECT_TRUE(captions.captions.empty());
    EXPECT_TRUE(cursors.discs.empty());
    EXPECT_TRUE(flows.letters.empty());
}

TEST_F(StoryControllerTest, ADoubleTapWhileClosingChangesNothing) {
    open(true);
    runUntil(StoryController::kClosing);
    ASSERT_EQ(cursors.discs.size(), 1u);
    const ZQ::Action* turning = cursors.discs.front()->getAction();
    story.doubleTap(PVRTVec2(100.0f, 100.0f));
    EXPECT_EQ(cursors.discs.front()->getAction(), turning);
    EXPECT_GE(runUntil(StoryController::kDone), 88);
}

// A skip fades the slate in 15 frames; a caption of another screen that
// outlives it holds the story in its showing state, which then ends with no
// slate to turn away.
TEST_F(StoryControllerTest, TheStoryEndsWhenTheSlateHasGoneBeforeTheCaptions) {
    open(true);
    for (int i = 0; i < 5; ++i) {
        frame(&story);
    }
    story.doubleTap(PVRTVec2(100.0f, 100.0f));
    frame(&story);
    captions.addCaption("a", new ZQ::WaitAction(100));
    runUntil(StoryController::kClosing, 300);
    EXPECT_TRUE(cursors.discs.empty());
    EXPECT_LE(runUntil(StoryController::kDone, 10), 2);
    EXPECT_TRUE(story.isDone());
}

// A text left empty in some language has no letters: that line is left
// out, the others play and the story ends as usual.
TEST_F(StoryControllerTest, ALineWithoutLettersIsLeftOut) {
    generator->texts["story_4"] = "";
    generator->texts["story_7"] = "x";
    open(false);
    EXPECT_EQ(flowOf("story_4"), -1);
    EXPECT_EQ(flowIds().size(), 9u);
    EXPECT_EQ(lettersOf(flowOf("story_7")).size(), 1u);
    runUntil(StoryController::kDone);
    EXPECT_TRUE(story.isDone());
    EXPECT_TRUE(flows.letters.empty());
}

TEST_F(StoryControllerTest, TheStoryListensToEveryModelOnlyWhileItRuns) {
    const auto count = [&](const ZQ::Model* model) {
        const auto& listeners = model->getListeners();
        return std::count(listeners.begin(), listeners.end(), &story);
    };
    story.setUp();
    for (const ZQ::Model* model : ZQ::gGlobals.models) {
        EXPECT_EQ(count(model), 1);
    }
    story.tearDown();
    for (const ZQ::Model* model : ZQ::gGlobals.models) {
        EXPECT_EQ(count(model), 0);
    }
    story.setUp();
}

} // namespace
