#include "GameWindow.h"

#include "platform/ZQApplication.h"
#include "platform/ZQWindowEvents.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

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

// Waits up to `frames` frames for the picture to reach both sides of the
// window: most pixels of its first and last tenth of columns lit. One laid
// out for a larger window shows a strip of itself and leaves the rest
// black, as do the game's first frames (the cleared room).
bool waitForFilledWindow(GameWindow& game, long frames, ZQImage& image) {
    for (long waited = 0; waited <= frames; ++waited) {
        const int band = game.readWindow(image) ? image.width / 10 : 0;
        const auto lit = [&](int x, int y) {
            const uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
            return p[0] != 0 || p[1] != 0 || p[2] != 0 ? 1 : 0;
        };
        long left = 0;
        long right = 0;
        for (int y = 0; y < image.height && band > 0; ++y) {
            for (int x = 0; x < band; ++x) {
                left += lit(x, y);
                right += lit(image.width - 1 - x, y);
            }
        }
        const long half = static_cast<long>(band) * image.height / 2;
        if (band > 0 && left > half && right > half) {
            return true;
        }
        if (!game.waitFrames(1)) {
            return false;
        }
    }
    return false;
}

// The game in its window on a private X server, from a fresh profile.
class GameWindowTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string missing = GameWindow::missingTools();
        if (!missing.empty()) {
            GTEST_SKIP() << missing;
        }
        std::string failure;
        ASSERT_TRUE(game.start("", failure)) << failure;
    }

    GameWindow game;
};

TEST_F(GameWindowTest, AHandsTapsAndDragsReachTheGameInItsWindow) {
    // The hand's points land where the game reads them back.
    for (const PVRTVec2 point : {PVRTVec2(0.0f, 0.0f), PVRTVec2(187.5f, 333.5f), PVRTVec2(375.0f, 667.0f)}) {
        const PVRTVec2 back =
            ZQWindowEvents::toPoints(game.windowPixel(point), game.windowSize(), ZQApplication::kFramePoints);
        EXPECT_NEAR(back.x, point.x, 1e-3f);
        EXPECT_NEAR(back.y, point.y, 1e-3f);
    }

    ASSERT_TRUE(game.tap(PVRTVec2(187.0f, 333.0f)));
    ASSERT_TRUE(game.drag(PVRTVec2(100.0f, 300.0f), PVRTVec2(260.0f, 420.0f), 5));
    // Away to the desktop and back: the game goes on taking the hand's input.
    ASSERT_TRUE(game.leaveWindow());
    ASSERT_TRUE(game.returnToWindow());
    ASSERT_TRUE(game.tap(PVRTVec2(300.0f, 100.0f)));

    // What the window shows, kept beside the test for a look. (Until a
    // level or a screen is laid the game's frame is the cleared room, black
    // as the screen around it, so the picture is not checked here.)
    ZQImage screen;
    ASSERT_TRUE(game.readScreen(screen));
    std::string error;
    EXPECT_TRUE(writePng("game-window.png", screen, error)) << error;

    ASSERT_TRUE(game.running()) << "the game ended by itself";
    const GameRun run = game.stop();
    EXPECT_EQ(run.status, 0) << run.output;
    // Frames kept coming while the hand played: at least one a step (each
    // frame drawn in the window is presented there).
    EXPECT_GE(framesDrawn(run.output), 10) << run.output;
    InputReport input;
    ASSERT_TRUE(readInputReport(run.output, input)) << run.output;
    EXPECT_EQ(input.began, 3) << run.output;
    EXPECT_EQ(input.ended, 3);
    EXPECT_EQ(input.cancelled, 0);
    EXPECT_GE(input.moved, 5);
    EXPECT_EQ(input.taps, 2);
    EXPECT_EQ(input.doubleTaps, 0);
}

// A bare X server has no window manager to grant a full screen: F11 leaves
// the window its size, while SDL records the display's. The picture and the
// hand must follow the window's real size, before and after a second F11
// takes the game back to a window.
TEST_F(GameWindowTest, ARefusedFullScreenKeepsThePictureAndTheHandOnTheWindow) {
    const PVRTVec2 size = game.windowSize();
    ZQImage picture;
    ASSERT_TRUE(waitForFilledWindow(game, 300, picture)) << "the story never covered the window";

    for (const char* press : {"full screen", "back to the window", "full screen again"}) {
        ASSERT_TRUE(game.key("F11")) << press;
        EXPECT_TRUE(waitForFilledWindow(game, 30, picture))
            << press << ": the picture left part of the window";
    }
    std::string error;
    EXPECT_TRUE(writePng("refused-full-screen.png", picture, error)) << error;

    // Near the window's left edge: a hand placed by the display's size would
    // fall left of the view.
    ASSERT_TRUE(game.tap(PVRTVec2(20.0f, 333.5f)));
    const GameRun run = game.stop();
    EXPECT_EQ(run.status, 0) << run.output;
    // The window kept its size (the refusal) and the game drew for it.
    char window[64];
    std::snprintf(window, sizeof window, "in a window of %d x %d.", static_cast<int>(size.x),
                  static_cast<int>(size.y));
    EXPECT_NE(run.output.find(window), std::string::npos) << run.output;
    InputReport input;
    ASSERT_TRUE(readInputReport(run.output, input)) << run.output;
    EXPECT_EQ(input.began, 1);
    EXPECT_EQ(input.taps, 1);
}

} // namespace
