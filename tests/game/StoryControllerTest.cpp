#include "FlowStage.h"

#include "engine/Action.h"
#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "engine/physics/FxForce.h"
#include "game/StoryController.h"
#include "overlays/CaptionInstance.h"
#include "render/MeshInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

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

// How each line's two driven letters are pulled, step by step: even lines
// lead with letter 0 from the right, odd ones with the last letter from the
// left. The first line starts at once and hangs longer, so some of its
// steps take the values in the last two columns. A wiggling pull drags its
// letter along a straight path to x (a fraction of the width), swayed up
// or down by a fixed amount that flips every `period` frames, the first
// sway against `sign`; it pins the letter over the last tenth of the way.
// The sway and the path are read back from the pull it adds each frame:
// the pull on a letter at p is 270 (target - p) in world units.
TEST_F(StoryControllerTest, EveryDrivenLetterIsPulledWhenAndWhereItsStepSays) {
    enum Kind { stop, move, wiggle };
    struct Step {
        Kind kind;
        int frames;
        float x;
        int sign;
        int period;
        Kind firstKind;
        int firstFrames;
    };
    using Steps = std::vector<Step>;
    // clang-format off
    const Steps evenLead = {
        {stop,    45,  0.0f,  0, 0, stop,     0},
        {wiggle,  30,  0.8f,  1, 9, wiggle,  30},
        {stop,    45,  0.0f,  0, 0, stop,    15},
        {wiggle,  60,  0.0f, -1, 9, wiggle,  60},
        {stop,   165,  0.0f,  0, 0, stop,   210},
        {stop,    10,  0.0f,  0, 0, stop,     0},
        {wiggle,  30, 0.05f,  1, 5, stop,     0},
        {wiggle,  15,  0.1f,  1, 6, wiggle,  15},
        {stop,    10,  0.0f,  0, 0, stop,     0},
        {wiggle,  45, -1.0f, -1, 6, wiggle,  45},
        {stop,    30,  0.0f,  0, 0, stop,    60},
    };
    const Steps evenTrailing = {
        {stop,    45,  0.0f,  0, 0, stop,     0},
        {move,    30,  1.5f,  0, 0, move,    30},
        {stop,    45,  0.0f,  0, 0, stop,    15},
        {move,    60,  0.7f,  0, 0, move,    60},
        {move,    30,  1.0f,  0, 0, move,    30},
        {stop,   165,  0.0f,  0, 0, stop,   210},
        {stop,    10,  0.0f,  0, 0, stop,     0},
        {stop,    30,  0.0f,  0, 0, stop,     0},
        {move,    15,  0.7f,  0, 0, move,    15},
        {wiggle,  60, -0.2f,  1, 5, wiggle,  60},
        {stop,    30,  0.0f,  0, 0, stop,    60},
    };
    const Steps oddLead = {
        {stop,    45,  0.0f,  0, 0, stop,    45},
        {wiggle,  30,  0.1f,  1, 9, wiggle,  30},
        {stop,    45,  0.0f,  0, 0, stop,    45},
        {wiggle,  60,  1.0f, -1, 9, wiggle,  60},
        {stop,   165,  0.0f,  0, 0, stop,   165},
        {stop,    10,  0.0f,  0, 0, stop,    10},
        {wiggle,  30, 0.95f,  1, 5, wiggle,  30},
        {wiggle,  15,  1.3f,  1, 6, wiggle,  15},
        {stop,    10,  0.0f,  0, 0, stop,    10},
        {wiggle,  45,  2.0f, -1, 6, wiggle,  45},
        {stop,    30,  0.0f,  0, 0, stop,    30},
    };
    const Steps oddTrailing = {
        {stop,    45,  0.0f,  0, 0, stop,    45},
        {move,    30, -0.4f,  0, 0, move,    30},
        {stop,    45,  0.0f,  0, 0, stop,    45},
        {move,    60,  0.1f,  0, 0, move,    60},
        {move,    30,  0.0f,  0, 0, move,    30},
        {stop,   165,  0.0f,  0, 0, stop,   165},
        {stop,    10,  0.0f,  0, 0, stop,    10},
        {stop,    30,  0.0f,  0, 0, stop,    30},
        {move,    15,  0.3f,  0, 0, move,    15},
        {wiggle,  60,  1.3f,  1, 5, wiggle,  60},
        {stop,    30,  0.0f,  0, 0, stop,    30},
    };
    // clang-format on

    // What a letter was pulled by in each frame: where it was and the pull.
    struct Pulled {
        int frame;
        PVRTVec3 at;
        PVRTVec3 pull;
    };
    open(false);
    const int lines = StoryController::kLineCount;
    std::map<int32_t, std::vector<Pulled>> pulls;           // by particle
    std::map<int32_t, std::vector<PVRTVec3>> places;        // by particle, from frame 1
    std::vector<std::pair<int32_t, int32_t>> driven(lines); // (lead, trailing) particles
    for (int line = 0; line < lines; ++line) {
        const std::vector<ZQ::FlowInstance*> letters = lettersOf(flowOf("story_" + std::to_string(line + 1)));
        ASSERT_FALSE(letters.empty());
        const bool even = line % 2 == 0;
        driven[line] = {(even ? letters.front() : letters.back())->particle,
                        (even ? letters.back() : letters.front())->particle};
    }
    // The letters took their first steps in the first frame, which applied
    // them; a pull read after a frame is that frame's.
    for (int played = 1; !flows.letters.empty() && played < 600; ++played) {
        for (int32_t k = 0; k < flowWorld->getTmpForceCount(); ++k) {
            const auto* pull = dynamic_cast<const ZQ::Fx::ConstantForce*>(flowWorld->getTmpForce(k));
            if (pull != nullptr) {
                pulls[pull->i].push_back({played, flowWorld->getPosition(pull->i), pull->force});
            }
        }
        for (const auto& [lead, trailing] : driven) {
            places[lead].push_back(flowWorld->getPosition(lead));
            places[trailing].push_back(flowWorld->getPosition(trailing));
        }
        frame(&story);
    }

    const float s = ZQ::gGlobals.worldScale;
    const float sway = 0.04f * ZQ::gGlobals.worldSize.y;
    for (int line = 0; line < lines; ++line) {
        const bool even = line % 2 == 0;
        const float y = lineHeight(line) * s;
        for (const bool lead : {true, false}) {
            const Steps& steps = even ? (lead ? evenLead : evenTrailing) : (lead ? oddLead : oddTrailing);
            const std::vector<Pulled>& seen = pulls[lead ? driven[line].first : driven[line].second];
            std::size_t next = 0; // the first pull of the step being checked
            // The frame the step starts in: its last frame is the next
            // step's first, and a pull's fractions of the way, added up
            // frame by frame, may take it one frame longer.
            int start = 1;
            int late = 0;
            for (std::size_t k = 0; k < steps.size(); ++k) {
                const Kind kind = line == 0 ? steps[k].firstKind : steps[k].kind;
                const int frames = line == 0 ? steps[k].firstFrames : steps[k].frames;
                const std::string where = "line " + std::to_string(line) + (lead ? " lead" : " trailing") +
                                          ", step " + std::to_string(k + 1);
                if (kind != wiggle) {
                    start += std::max(frames, 1) - 1;
                    late += kind == move ? 1 : 0;
                    continue;
                }
                ASSERT_LT(next, seen.size()) << where;
                // Its pulls, one a frame for nine tenths of the way.
                std::size_t end = next + 1;
                while (end < seen.size() && seen[end].frame == seen[end - 1].frame + 1) {
                    ++end;
                }
                const int pulled = static_cast<int>(end - next);
                EXPECT_NEAR(pulled, frames * 9 / 10 + 1, 1) << where;
                const Pulled& first = seen[next];
                const Pulled& last = seen[end - 1];
                EXPECT_GE(first.frame, start) << where;
                EXPECT_LE(first.frame, start + late) << where;
                // The path from where the letter was to x, at the line's height.
                const PVRTVec3 from = first.at;
                if (k > 0 && (line == 0 ? steps[k - 1].firstKind : steps[k - 1].kind) == move) {
                    // Pinned on a line from where the held letter was
                    // towards x; the pull takes over two frames short of x.
                    const int moved = line == 0 ? steps[k - 1].firstFrames : steps[k - 1].frames;
                    const std::vector<PVRTVec3>& place =
                        places[lead ? driven[line].first : driven[line].second];
                    const float held = place[static_cast<std::size_t>(first.frame - moved - 3)].x / s;
                    const float to = steps[k - 1].x * w;
                    EXPECT_NEAR(from.x / s, to + (held - to) * 2.0f / static_cast<float>(moved), 0.03f * w)
                        << where;
                }
                const float t = static_cast<float>(pulled - 1) / static_cast<float>(frames);
                const float pathX = last.at.x + last.pull.x / 270.0f;
                EXPECT_NEAR(from.x + (pathX - from.x) / t, steps[k].x * w * s, 0.5f * s) << where;
                for (int j = 0; j < pulled; ++j) {
                    const Pulled& p = seen[next + static_cast<std::size_t>(j)];
                    const float u = static_cast<float>(j) / static_cast<float>(frames);
                    const float pathY = from.y + (y - from.y) * u;
                    const float swayed = p.at.y + p.pull.y / 270.0f - pathY;
                    // The sway flips at each period's first frame, the first
                    // time at once; exactly there it may come a frame late.
                    if (j % steps[k].period > 1) {
                        const int flips = j / steps[k].period + 1;
                        const float expected =
                            static_cast<float>(steps[k].sign * (flips % 2 == 0 ? 1 : -1)) * sway;
                        EXPECT_NEAR(swayed, expected, 0.05f * sway) << where << ", pull " << j;
                    }
                }
                next = end;
                start = first.frame + frames;
                late = 1;
            }
            // The last hold keeps the letter where its last pull left it;
            // then it hangs free and the chain moves it (unless the line
            // was removed first).
            const Step& hold = steps.back();
            const int holdFrames = line == 0 ? hold.firstFrames : hold.frames;
            const std::vector<PVRTVec3>& place = places[lead ? driven[line].first : driven[line].second];
            const auto yAt = [&](int f) { return place[static_cast<std::size_t>(f - 1)].y / s; };
            const int held = start - 2; // the hold's last frame but two
            const int let = start + 8;
            if (let <= static_cast<int>(place.size())) {
                const std::string where = "line " + std::to_string(line) + (lead ? " lead" : " trailing");
                EXPECT_NEAR(yAt(held), yAt(start - holdFrames + 3), 0.01f * h) << where;
                const PVRTVec3 moved =
                    place[static_cast<std::size_t>(let - 1)] - place[static_cast<std::size_t>(held - 1)];
                EXPECT_GT(moved.length() / s, 0.004f * h) << where;
            }
            EXPECT_EQ(next, seen.size()) << "no other pulls, line " << line << (lead ? " lead" : " trailing");
        }
    }
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
