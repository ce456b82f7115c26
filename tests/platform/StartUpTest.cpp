#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct GameRun {
    int status = -1;
    std::string output; // standard output and error together
};

// Runs the game with `arguments` through the shell, in this process's environment.
GameRun runGame(const std::string& arguments) {
    GameRun run;
    const std::string command = std::string("'") + VELMORA_EXECUTABLE + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(StartUpTest, HeadlessRunsTheFramesItIsAskedFor) {
    const GameRun run = runGame("--headless --frames 3");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Using OpenGL ES 2.0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("3 frames drawn headless at 750 x 1334"), std::string::npos) << run.output;
}

TEST(StartUpTest, WithoutAContextTheGameStopsBeforeBuildingAnything) {
    ScopedEnvironment environment;
    environment.set("DISPLAY", ":4093");
    environment.unset("WAYLAND_DISPLAY");
    environment.unset("SDL_VIDEODRIVER");
    const GameRun run = runGame("--frames 3");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("No OpenGL ES 2.0 context, so the game cannot start: no display"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
}

TEST(StartUpTest, ABadCommandLineIsRefusedWithUsage) {
    GameRun run = runGame("--fast");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("unknown option \"--fast\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("usage: velmora"), std::string::npos) << run.output;

    run = runGame("--headless --frames many");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("--frames needs a whole number"), std::string::npos) << run.output;
}

TEST(StartUpTest, AWindowedRunPresentsFramesOnADisplay) {
    if (!XvfbDisplay::installed()) {
        GTEST_SKIP() << "Xvfb is not installed, so no window can be opened here (apt-get install xvfb)";
    }
    XvfbDisplay xvfb;
    std::string failure;
    ASSERT_TRUE(xvfb.start(1024, 768, failure)) << failure;
    ScopedEnvironment environment;
    environment.set("DISPLAY", xvfb.name());
    environment.unset("WAYLAND_DISPLAY");
    environment.set("SDL_VIDEODRIVER", "x11");
    const GameRun run = runGame("--frames 4");
    EXPECT_EQ(run.status, 0) << run.output;
    // 750 x 1334 shrunk to fit 90% of a 768-pixel-high screen.
    EXPECT_NE(run.output.find("4 frames drawn in a window at 388 x 691"), std::string::npos) << run.output;
}

} // namespace
