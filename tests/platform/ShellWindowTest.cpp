#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "platform/ZQAppDelegate.h"
#include "platform/ZQApplication.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQView.h"
#include "platform/ZQWindowEvents.h"
#include "support/HeadlessGL.h"

#include "ShellRecorders.h"
#include "XvfbDisplay.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>

extern char** environ;

namespace {

constexpr const char* kTitle = "Velmora shell test";

// The game's window on a private X server, driven by xdotool as a player
// would drive it: the shell's own loop runs until the script is done.
class ShellWindowTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        if (!XvfbDisplay::installed() || system("command -v xdotool >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed (apt-get install xvfb xdotool)";
        }
        std::string failure;
        ASSERT_TRUE(xvfb.start(1024, 768, environment, failure)) << failure;
        ZQEGLContext::Options options;
        options.width = 750;
        options.height = 1334;
        options.title = kTitle;
        context = ZQEGLContext::create(options, failure);
        ASSERT_NE(context, nullptr) << failure;
    }

    void TearDown() override {
        view.reset();
        context.reset();
        if (ZQEGLContext* shared = HeadlessGL::context()) {
            shared->setCurrentContext();
        }
        HeadlessGLTest::TearDown();
    }

    // Runs the shell's window loop while `script` (sh) drives the window,
    // and a few frames more; false when it took longer than 20 s.
    bool play(const std::string& script) {
        view = std::make_unique<ZQView>(*context, ZQApplication::kFramePoints, 2.0f, ZQ::DeviceProfile::get(),
                                        &makeEngineModels<ZQPlainMaker>, &makeNoRenderPasses);
        ZQ::gGlobals.masterController = &input;
        delegate = std::make_unique<RecordingDelegate>(*view);
        ZQWindowEvents events(*view, *delegate, *context, ZQApplication::kFramePoints);
        delegate->applicationDidBecomeActive();

        const std::string command =
            "W=$(xdotool search --sync --name '" + std::string(kTitle) + "' | head -1); " + script;
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        pid_t pid = -1;
        if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int after = 0;
        bool running = true;
        ZQApplication::runWindowLoop(*view, events, [&] {
            if (running && waitpid(pid, nullptr, WNOHANG) == pid) {
                running = false;
            }
            // The events of the script's last steps arrive with the next frames.
            return (running || ++after < 10) && std::chrono::steady_clock::now() < deadline;
        });
        if (running) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            return false;
        }
        return true;
    }

    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::unique_ptr<ZQEGLContext> context;
    std::unique_ptr<ZQView> view;
    std::unique_ptr<RecordingDelegate> delegate;
    InputRecorder input;
};

TEST_F(ShellWindowTest, AMouseDragAndAClickArriveAsTouchesAndATap) {
    // The window is the 750 x 1334 screen shrunk to 388 x 691: a window pixel
    // is 750 / 388 screen pixels.
    // Each step waits longer than a slow frame (a software GL driver under
    // load), so the steps reach the game in separate frames as a hand's would.
    ASSERT_TRUE(
        play("xdotool windowfocus --sync $W; sleep 0.6; xdotool mousemove --window $W 100 200; sleep 0.6; "
             "xdotool mousedown 1; sleep 0.6; xdotool mousemove --window $W 100 230; sleep 0.6; "
             "xdotool mousemove --window $W 100 260; sleep 0.6; xdotool mouseup 1; sleep 0.6; "
             "xdotool mousemove --window $W 200 400; sleep 0.6; xdotool click 1; sleep 0.6"));
    const std::vector<std::string> calls = input.calls();
    std::string seen;
    for (const std::string& c : calls) {
        seen += c + " ";
    }
    ASSERT_GE(calls.size(), 6u) << seen;
    EXPECT_EQ(calls.front(), "touchBegan");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "touchMoved"), calls.end());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "touchEnded"), 2);
    ASSERT_EQ(calls.back(), "tap");
    // Where the click landed: window (200, 400) on the screen, y flipped.
    const float scale = 1334.0f / 691.0f;
    const PVRTVec2 tap = input.inputs.back().point;
    EXPECT_NEAR(tap.x, 200.0f * scale, 3.0f);
    EXPECT_NEAR(tap.y, 1334.0f - 400.0f * scale, 3.0f);
    EXPECT_EQ(input.inputs.back().value, ZQ::DeviceProfile::get().touchRadius);
    // Frames keep coming while the player plays; how many depends on the GL
    // driver's speed (a software one draws the room slowly).
    EXPECT_GT(ZQ::gGlobals.frameCount, 5) << "frames ran while the player played";
}

TEST_F(ShellWindowTest, FocusOutAndInStopsAndRestartsTheFrames) {
    ASSERT_TRUE(play("xdotool windowfocus --sync $W; sleep 0.3; "
                     "xdotool windowfocus $(xwininfo -root | awk '/Window id/{print $4}'); sleep 0.3; "
                     "xdotool windowfocus --sync $W; sleep 0.3"));
    const std::vector<std::string>& calls = delegate->calls;
    const auto resign = std::find(calls.begin(), calls.end(), "resignActive");
    ASSERT_NE(resign, calls.end());
    EXPECT_NE(std::find(resign, calls.end(), "becomeActive"), calls.end());
    EXPECT_TRUE(view->isAnimating()) << "active again at the end";
}

} // namespace
