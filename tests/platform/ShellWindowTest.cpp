#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "platform/ZQAppDelegate.h"
#include "platform/ZQApplication.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQView.h"
#include "platform/ZQWindowEvents.h"
#include "support/HeadlessGL.h"

#include "GameProcess.h"
#include "ShellRecorders.h"
#include "XvfbDisplay.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

extern char** environ;

namespace {

constexpr const char* kTitle = "Velmora shell test";
// Frames a step may take to bring what it waits for, while the loop draws.
constexpr int32_t kStepFrames = 100;

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

    // One step of the hand: a command (sh, the window's id in $W), then
    // `frames` frames drawn after it returned, so that the window loop has
    // read its events, and `until`, when given, holding.
    struct HandStep {
        HandStep(std::string command, int32_t frames = 2, std::function<bool()> until = {})
            : command(std::move(command)), frames(frames), until(std::move(until)) {}
        std::string command;
        int32_t frames;
        std::function<bool()> until;
    };

    // Runs the shell's window loop while the hand takes `steps` one after
    // another, each once the one before is done: so the steps reach the
    // loop in frames of their own, as a hand's would, however slowly a
    // software GL driver under load draws. False, saying why, when a
    // command failed or the loop went a minute without a frame or a step
    // (a hang).
    bool play(const std::vector<HandStep>& steps, std::string& why) {
        view = std::make_unique<ZQView>(*context, ZQApplication::kFramePoints, 2.0f, ZQ::DeviceProfile::get(),
                                        &makeEngineModels<ZQPlainMaker>, &makeNoRenderPasses);
        ZQ::gGlobals.masterController = &input;
        delegate = std::make_unique<RecordingDelegate>(*view);
        ZQWindowEvents events(*view, *delegate, *context, ZQApplication::kFramePoints);
        delegate->applicationDidBecomeActive();

        const std::string found = runShell("xdotool search --name '^" + std::string(kTitle) + "$'").output;
        const std::string window = found.substr(0, found.find('\n'));
        if (window.empty()) {
            why = "no window named " + std::string(kTitle);
            return false;
        }
        std::size_t next = 0;
        bool finished = false;
        pid_t hand = -1;
        int32_t returnedAt = -1; // the frame at which the last command returned
        int32_t seenFrame = ZQ::gGlobals.frameCount;
        auto lastProgress = std::chrono::steady_clock::now();
        ZQApplication::runWindowLoop(*view, events, [&] {
            const int32_t frame = ZQ::gGlobals.frameCount;
            if (frame != seenFrame) {
                seenFrame = frame;
                lastProgress = std::chrono::steady_clock::now();
            }
            int status = 0;
            if (hand > 0 && waitpid(hand, &status, WNOHANG) == hand) {
                hand = -1;
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                    why = "the hand's command failed: " + steps[next - 1].command;
                    return false;
                }
                returnedAt = frame;
                lastProgress = std::chrono::steady_clock::now();
            }
            const bool waited = next > 0 && hand < 0 && frame >= returnedAt + steps[next - 1].frames;
            const bool held = waited && (!steps[next - 1].until || steps[next - 1].until());
            if (waited && !held && frame >= returnedAt + kStepFrames) {
                why = "what the step waits for did not come in " + std::to_string(kStepFrames) +
                      " frames: " + steps[next - 1].command;
                return false;
            }
            if (next == 0 || held) {
                if (next == steps.size()) {
                    finished = true;
                    return false;
                }
                const std::string command = "W=" + window + "; " + steps[next++].command;
                const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
                if (posix_spawnp(&hand, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
                    0) {
                    why = "cannot start sh";
                    return false;
                }
                lastProgress = std::chrono::steady_clock::now();
            }
            if (std::chrono::steady_clock::now() - lastProgress > std::chrono::minutes(1)) {
                why = "no frame and no step for a minute: the window loop hangs";
                return false;
            }
            return true;
        });
        if (hand > 0) {
            kill(hand, SIGTERM);
            waitpid(hand, nullptr, 0);
        }
        if (why.empty() && !finished) {
            why = "the window loop ended before the hand's last step";
        }
        return why.empty();
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
    std::string why;
    ASSERT_TRUE(play({{"xdotool windowfocus --sync $W"},
                      {"xdotool mousemove --window $W 100 200"},
                      {"xdotool mousedown 1"},
                      {"xdotool mousemove --window $W 100 230"},
                      {"xdotool mousemove --window $W 100 260"},
                      {"xdotool mouseup 1"},
                      {"xdotool mousemove --window $W 200 400"},
                      {"xdotool click 1"}},
                     why))
        << why;
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
    // The frames stop while the window is away: its steps wait for the
    // delegate's calls instead.
    const auto resigned = [this](const char* then) {
        const std::vector<std::string>& calls = delegate->calls;
        const auto resign = std::find(calls.begin(), calls.end(), "resignActive");
        return resign != calls.end() &&
               (then == nullptr || std::find(resign, calls.end(), then) != calls.end());
    };
    std::string why;
    ASSERT_TRUE(play({{"xdotool windowfocus --sync $W"},
                      {"xdotool windowfocus $(xwininfo -root | awk '/Window id/{print $4}')", 0,
                       [&] { return resigned(nullptr); }},
                      {"xdotool windowfocus --sync $W", 2, [&] { return resigned("becomeActive"); }}},
                     why))
        << why;
    const std::vector<std::string>& calls = delegate->calls;
    const auto resign = std::find(calls.begin(), calls.end(), "resignActive");
    ASSERT_NE(resign, calls.end());
    EXPECT_NE(std::find(resign, calls.end(), "becomeActive"), calls.end());
    EXPECT_TRUE(view->isAnimating()) << "active again at the end";
}

} // namespace
