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

TEST(GameWindowTest, AHandsTapsAndDragsReachTheGameInItsWindow) {
    const std::string missing = GameWindow::missingTools();
    if (!missing.empty()) {
        GTEST_SKIP() << missing;
    }
    GameWindow game;
    std::string failure;
    ASSERT_TRUE(game.start("", failure)) << failure;

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

} // namespace
