#include "GameProcess.h"
#include "GameWindow.h"
#include "support/ScopedEnvironment.h"

#include "game/MasterStates.h"
#include "platform/ZQFlowLines.h"
#include "platform/ZQSnapshot.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The first minute of a player's road, in the game's window under a private
// X server, played with the mouse through xdotool from a fresh profile: the
// first start's story, the first-run menu's tutorial tile, then the
// tutorial's first lessons, each gesture made once its lesson runs (the
// game prints its flow's states and the tutorial's steps as they change).
// The game runs at its own pace, 30 frames a second when the machine allows
// it, so every wait is for frames or for a line the game prints, never for
// a time alone.

// Points of the 375 x 667 point screen, from the top-left corner.
const PVRTVec2 kTutorialTile(187.5f, 400.0f);
// The lower loop of the tutorial's first knot, which runs across the screen
// there once the knot has settled, long before its first lesson.
const PVRTVec2 kFlickFrom(170.0f, 385.0f);
const PVRTVec2 kFlickTo(215.0f, 385.0f);
const PVRTVec2 kHoldAt(185.0f, 385.0f);
// The flick is a stroke for the game when it travels more than a touch
// radius (36 points) and a swipe when it travels 50 points or more: 45
// points is a stroke alone, however fast the hand.
constexpr int kFlickMoves = 2;
// A swipe to the right along the bottom edge, where swipes turn the knot:
// 50 points of travel make it one when fast enough.
const PVRTVec2 kSwipeFrom(127.0f, 650.0f);
const PVRTVec2 kSwipeTo(247.0f, 650.0f);
constexpr int kSwipeMoves = 4;
// The tiles take a few dozen frames to come in and settle; a tap on a tile
// still moving is lost, so the hand waits like a player who reads the
// screen first.
constexpr long kMenuSettleFrames = 95;
// A lesson's message flows in letter by letter after the lesson starts;
// the hand reads it before it plays.
constexpr long kReadingFrames = 60;
// A press held this long is a hold, never a tap, whatever the frame rate.
constexpr auto kHoldTime = std::chrono::milliseconds(600);

// Each change of the flow's state the game printed, in order.
std::vector<MasterState> stateTrail(const std::string& output) {
    std::vector<MasterState> trail;
    for (const auto& [frame, state] : readStateTrail(output)) {
        trail.push_back(static_cast<MasterState>(state));
    }
    return trail;
}

// The number of frames in the game's closing line, or -1.
long framesDrawn(const std::string& output) {
    const std::size_t at = output.find("Velmora: ");
    long frames = -1;
    if (at == std::string::npos ||
        std::sscanf(output.c_str() + at, "Velmora: %ld frames drawn at", &frames) != 1) {
        return -1;
    }
    return frames;
}

// The share of the picture's pixels that are not near black.
double litShare(const ZQImage& image) {
    long lit = 0;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        if (image.rgba[i] > 24 || image.rgba[i + 1] > 24 || image.rgba[i + 2] > 24) {
            ++lit;
        }
    }
    return image.rgba.empty() ? 0.0 : static_cast<double>(lit) / static_cast<double>(image.rgba.size() / 4);
}

// The share of pixels in which two pictures of one size differ by more than
// a little in some channel.
double changedShare(const ZQImage& a, const ZQImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgba.empty()) {
        return 0.0;
    }
    long changed = 0;
    for (std::size_t i = 0; i < a.rgba.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (std::abs(a.rgba[i + c] - b.rgba[i + c]) > 8) {
                ++changed;
                break;
            }
        }
    }
    return static_cast<double>(changed) / static_cast<double>(a.rgba.size() / 4);
}

// What the window shows now, kept in the build folder for a look.
ZQImage keepWindow(const GameWindow& game, const std::string& name) {
    ZQImage image;
    EXPECT_TRUE(game.readWindow(image)) << name;
    std::error_code ignored;
    std::filesystem::create_directories(VELMORA_WINDOW_SHOTS, ignored);
    std::string error;
    EXPECT_TRUE(writePng(std::string(VELMORA_WINDOW_SHOTS) + "/" + name + ".png", image, error)) << error;
    return image;
}

// A gesture made until the game prints `line` within `frames` frames, at
// most three times: a tap lost to a busy moment, or a stroke read too slowly
// to count, is made again, as a player would. Each gesture made is counted
// in `made`. The frame of the line, or -1 when no try took or a gesture
// could not be sent.
template <typename Gesture>
long madeUntil(GameWindow& game, const std::string& line, int frames, long& made, Gesture gesture) {
    long at = -1;
    for (int attempt = 0; attempt < 3 && at < 0; ++attempt) {
        if (!gesture()) {
            ADD_FAILURE() << "a gesture waiting for \"" << line << "\" could not be sent";
            return -1;
        }
        ++made;
        at = game.waitForLine(line, frames);
    }
    return at;
}

TEST(WindowRoadTest, TheFirstMinuteFromAFreshProfilePlayedWithTheMouse) {
    const std::string missing = GameWindow::missingTools();
    if (!missing.empty()) {
        GTEST_SKIP() << missing;
    }
    TempFolder data;
    ASSERT_TRUE(data.ok());
    ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", data.path());
    environment.unset("VELMORA_CLOUD_DIR");
    environment.unset("VELMORA_BUNDLE");

    GameWindow game;
    std::string failure;
    ASSERT_TRUE(game.start("--print-states --seed 35", failure)) << failure;
    long taps = 0;
    long strokes = 0; // flicks along the string
    long holds = 0;   // presses that stayed put

    // The first start's story, presented as it plays: two moments of it
    // differ, and neither is a black window.
    ASSERT_EQ(game.waitForLine(ZQFlowLines::masterState(MasterState::StoryRuns), 30), 0) << game.output();
    ASSERT_TRUE(game.waitFrames(60));
    const ZQImage storyEarly = keepWindow(game, "window-1-story");
    ASSERT_TRUE(game.waitFrames(30));
    const ZQImage storyLater = keepWindow(game, "window-2-story-later");
    EXPECT_GT(litShare(storyEarly), 0.3);
    EXPECT_GT(changedShare(storyEarly, storyLater), 0.01);
    // The first time it cannot be skipped: a tap does not end it.
    ASSERT_TRUE(game.tap(PVRTVec2(187.5f, 333.5f)));
    ++taps;
    const long tapped = game.lastFrame();
    const long storyEnd = game.waitForLine(ZQFlowLines::masterState(MasterState::ShowMenu), 1200);
    ASSERT_GT(storyEnd, 0) << game.output();
    EXPECT_GT(storyEnd, 400);
    EXPECT_GT(storyEnd - tapped, 200);

    // The first-run menu: the tutorial tile alone. A tap on it starts the
    // tutorial.
    ASSERT_GT(game.waitForLine(ZQFlowLines::masterState(MasterState::Menu), 30), 0) << game.output();
    ASSERT_TRUE(game.waitFrames(kMenuSettleFrames));
    const ZQImage menu = keepWindow(game, "window-3-first-menu");
    EXPECT_GT(litShare(menu), 0.5);
    EXPECT_GT(changedShare(storyLater, menu), 0.2);
    const long tutorial = madeUntil(game, ZQFlowLines::masterState(MasterState::StartTutorial), 60, taps,
                                    [&] { return game.tap(kTutorialTile); });
    ASSERT_GT(tutorial, 0) << game.output();
    ASSERT_GT(game.waitForLine(ZQFlowLines::masterState(MasterState::LevelRuns), 60), tutorial)
        << game.output();

    // The slide lesson: a flick along the string.
    ASSERT_GT(game.waitForLine("step TNSlide 2", 600), tutorial) << game.output();
    ASSERT_TRUE(game.waitFrames(kReadingFrames));
    const ZQImage slideLesson = keepWindow(game, "window-4-slide-lesson");
    EXPECT_GT(litShare(slideLesson), 0.5);
    EXPECT_GT(changedShare(menu, slideLesson), 0.2);
    const long slid = madeUntil(game, "step TNSlide 4", 30, strokes,
                                [&] { return game.flick(kFlickFrom, kFlickTo, kFlickMoves); });
    ASSERT_GT(slid, 0) << game.output();

    // The drag lesson: a finger held on the string.
    ASSERT_GT(game.waitForLine("step TNDrag 2", 200), slid) << game.output();
    const long dragged = madeUntil(game, "step TNDrag 4", 30, holds, [&] {
        if (!game.press(kHoldAt) || !game.waitFrames(8)) {
            return false;
        }
        game.rest(kHoldTime);
        return game.release();
    });
    ASSERT_GT(dragged, 0) << game.output();

    // The rotation lesson: a swipe along the bottom edge. Whether a stroke
    // is a swipe depends on its speed, which a machine too busy to read
    // the moves in time can spoil.
    ASSERT_GT(game.waitForLine("step TNRotate 2", 200), dragged) << game.output();
    ASSERT_TRUE(game.waitFrames(kReadingFrames));
    const ZQImage rotateLesson = keepWindow(game, "window-5-rotate-lesson");
    EXPECT_GT(litShare(rotateLesson), 0.5);
    EXPECT_GT(changedShare(slideLesson, rotateLesson), 0.05);
    long swipeStrokes = 0;
    const long turned = madeUntil(game, "step TNRotate 4", 30, swipeStrokes,
                                  [&] { return game.flick(kSwipeFrom, kSwipeTo, kSwipeMoves); });
    ASSERT_GT(turned, 0) << game.output();

    // The player's own try, the knot to untie with the timer running.
    ASSERT_GT(game.waitForLine("step TNTry 2", 300), turned) << game.output();
    ASSERT_TRUE(game.waitFrames(kReadingFrames));
    EXPECT_GT(litShare(keepWindow(game, "window-6-try")), 0.5);

    ASSERT_TRUE(game.running()) << "the game ended by itself";
    const long seen = game.lastFrame();
    const GameRun run = game.stop();
    EXPECT_EQ(run.status, 0) << run.output;
    // The master's states as on the headless road: the story, the menu,
    // the tutorial loaded, its first room started and running.
    EXPECT_EQ(stateTrail(run.output),
              (std::vector<MasterState>{MasterState::StoryRuns, MasterState::ShowMenu, MasterState::Menu,
                                        MasterState::StartTutorial, MasterState::LoadedLevel,
                                        MasterState::StartLevel, MasterState::LevelRuns}))
        << run.output;
    EXPECT_GE(framesDrawn(run.output), seen);
    // Every press and lift reached the game, each stroke's moves with it;
    // no flick along the string was taken for a swipe, no hold for a tap.
    InputReport input;
    ASSERT_TRUE(readInputReport(run.output, input)) << run.output;
    const long presses = taps + strokes + holds + swipeStrokes;
    EXPECT_EQ(input.began, presses) << run.output;
    EXPECT_EQ(input.ended, presses);
    EXPECT_EQ(input.cancelled, 0);
    EXPECT_EQ(input.moved, strokes * kFlickMoves + swipeStrokes * kSwipeMoves);
    EXPECT_EQ(input.taps, taps);
    EXPECT_EQ(input.doubleTaps, 0);
    // The last swipe stroke turned the knot; one before it may have been
    // read too slowly to be a swipe.
    EXPECT_GE(input.swipes, 1);
    EXPECT_LE(input.swipes, swipeStrokes);
}

} // namespace
