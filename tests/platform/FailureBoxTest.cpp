#include "GameProcess.h"
#include "XvfbDisplay.h"
#include "platform/ZQDataFolderLock.h"
#include "platform/ZQDialogPresenter.h"
#include "support/AsPlayer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

// The real game started for a window on a bare X server (no window manager,
// no desktop), where a start it refuses must still be seen: a message box
// inside the screen's edges, with no game window, that a key closes, after
// which the game ends with status 1. A box past the screen's edge (a line
// SDL never wrapped, a parent's place counted twice) or no box at all left a
// player who started the game from the desktop with nothing.

namespace {

// The id of a top window named exactly `name`, or "" (xdotool cannot read
// the UTF-8 name SDL's box gives itself).
std::string windowNamed(const std::string& name) {
    return runShell("xwininfo -root -children 2>/dev/null | grep -F ' \"" + name +
                    "\":' | awk 'NR == 1 { printf $1 }'")
        .output;
}

// However busy the machine, a game shows its box and ends within minutes:
// only a hang takes longer.
constexpr int kHangMinutes = 5;

// Waits until no window is titled `title`: false when one still is after
// kHangMinutes, a hang.
bool waitUntilGone(const std::string& title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(kHangMinutes);
    while (!windowNamed(title).empty()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Waits for the box titled `title` until `ended`, asks `whileShown` while it
// is up and closes it with `key` as a player would. Returns what was wrong
// ("" when nothing): no box, one past the 640x480 screen's edge, the game's
// window beside it.
std::string closeBox(const std::string& title, const std::atomic<bool>& ended,
                     const std::function<std::string()>& whileShown = {}, const std::string& key = "Return") {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(kHangMinutes);
    std::string box;
    while (box.empty() && !ended && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        box = windowNamed(title);
    }
    if (box.empty()) {
        return ended ? "no box; " : "no box in " + std::to_string(kHangMinutes) + " minutes: a hang; ";
    }
    std::string faults = runShell("eval $(xdotool getwindowgeometry --shell " + box +
                                  ") && [ $X -ge 0 -a $Y -ge 0 -a $((X + WIDTH)) -le 640 -a $((Y + HEIGHT)) "
                                  "-le 480 ] || printf 'box at %s,%s %sx%s; ' $X $Y $WIDTH $HEIGHT")
                             .output;
    faults += windowNamed("Velmora").empty() ? "" : "a game window beside the box; ";
    faults += whileShown ? whileShown() : "";
    runShell("xdotool key --window " + box + " " + key);
    return faults;
}

// The game started for a window, its refusal's box closed as closeBox does:
// what was wrong ("" when nothing), and then what the game printed. The
// timeout only guards against a hang.
std::string runToBox(const std::string& words, const std::function<std::string()>& whileShown = {}) {
    std::atomic<bool> ended = false;
    std::string faults;
    std::thread player([&] { faults = closeBox("Velmora cannot start", ended, whileShown); });
    const GameRun run =
        runShell("timeout " + std::to_string(kHangMinutes) + "m '" + VELMORA_EXECUTABLE + "' --frames 3");
    ended = true;
    player.join();
    faults += run.status == 1     ? ""
              : run.status == 124 ? "no end in " + std::to_string(kHangMinutes) + " minutes: a hang; "
                                  : "status " + std::to_string(run.status) + "; ";
    faults += run.output.find("frames drawn") == std::string::npos ? "" : "frames drawn; ";
    faults += run.output.find("velmora: " + words) != std::string::npos ? "" : "not said; ";
    return faults.empty() ? "" : faults + "\n" + run.output;
}

class FailureBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!XvfbDisplay::installed() || std::system("command -v xwininfo xdotool >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed (scripts/install-deps)";
        }
        std::string failure;
        ASSERT_TRUE(xvfb.start(640, 480, environment, failure)) << failure;
        // A client of the test's own holds the server to the end: an X
        // server resets whenever its last client leaves and drops what
        // connects meanwhile, and the xwininfo polls come and go.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    // Harmless when SetUp stopped before SDL was started.
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    XvfbDisplay xvfb;
    ScopedEnvironment environment;
};

// Another game on the folder; and a bundle path of 150 characters, which
// SDL drew as one line, the box wider than the screen.
TEST_F(FailureBoxTest, AnotherGameOnTheFolderAndALongBundlePathAreBoxesOnTheScreen) {
    TempFolder data;
    ASSERT_TRUE(data.ok());
    const std::string folder = data.file("velmora");
    environment.set("XDG_DATA_HOME", data.path());
    {
        const ZQDataFolderLock first(folder, ZQ::OwnedFolder::open(folder, ZQ::OwnedFolder::Make::yes));
        ASSERT_FALSE(first.refused());
        EXPECT_EQ(runToBox("another game is playing on the data folder " + folder), "");
    }
    const std::string bundle = data.file("players/" + std::string(130, 'b'));
    std::filesystem::create_directories(bundle);
    environment.set("VELMORA_BUNDLE", bundle);
    EXPECT_EQ(runToBox("the bundle folder " + bundle + " lacks"), "");
}

// A store the player's game may not use (root's, beside the player's; without
// root, one its user may not open) stops it with a box, and the box is up
// with the data folder already let go: a second start while it is open must
// hear of the store, not of another game.
TEST_F(FailureBoxTest, AStoreTheGameMayNotUseIsABoxWhileTheFolderIsFree) {
    TempFolder home;
    ASSERT_TRUE(home.ok());
    const std::string folder = home.file("velmora");
    std::filesystem::create_directories(folder);
    const std::string defaults = folder + "/defaults.plist";
    TempFolder::write(defaults, "<plist version=\"1.0\"><dict/></plist>\n");
    ASSERT_TRUE(asplayer::handToPlayer(home.path()) && asplayer::handToPlayer(folder));
    ::chmod(defaults.c_str(), asplayer::testsRunAsRoot() ? 0644 : 0);
    environment.set("XDG_DATA_HOME", home.path());
    environment.set("HOME", home.path());

    const std::string run = asplayer::run([&] {
        return runToBox("cannot keep progress in defaults.plist: ", [&] {
            const ZQDataFolderLock probe(folder, ZQ::OwnedFolder::open(folder, ZQ::OwnedFolder::Make::no));
            return probe.refused() ? "the data folder held while the box was up: " + ZQ::line(*probe.refusal)
                                   : std::string();
        });
    });
    ::chmod(defaults.c_str(), 0644);
    EXPECT_EQ(run, "");
}

// A dialog over the game (the leaderboards, a share's outcome) while the
// game's window, away from the screen's corner, has the keyboard: SDL set a
// box with that parent at the parent's place counted twice.
TEST_F(FailureBoxTest, ADialogOverTheGamesWindowIsInsideTheScreen) {
    SDL_Window* window = SDL_CreateWindow("the game", 400, 300, 200, 150, SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    // SDL has mapped the window before it returns it; the focus reaches SDL
    // as an event, late on a busy machine, never lost.
    const GameRun focused = runShell("xdotool search --name '^the game$' windowfocus --sync");
    ASSERT_EQ(focused.status, 0) << focused.output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(kHangMinutes);
    while (SDL_GetKeyboardFocus() != window && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SDL_PumpEvents();
    }
    ASSERT_EQ(SDL_GetKeyboardFocus(), window)
        << "the window never had the keyboard (" << kHangMinutes << " minutes: a hang)";

    const std::atomic<bool> never = false;
    std::string seen;
    std::thread player([&] { seen = closeBox("Leaderboards", never); });
    ZQMessageBoxPresenter().present({"Leaderboards", "Zen: 3 knots"}, [] {});
    player.join();
    SDL_DestroyWindow(window);
    EXPECT_EQ(seen, "");
}

// A signal while a dialog over the game is up (its window's SDL video, and
// SDL's handlers, in this process) closes the dialog at once and is then
// SDL's, whose quit ends the game as the window's close button does: the
// session's end, its report, its status. SDL held it until a player closed
// the dialog.
TEST_F(FailureBoxTest, ASignalClosesADialogOverTheGameAndEndsItAsTheCloseButtonDoes) {
    std::string seen;
    const std::atomic<bool> never = false;
    std::thread player([&] {
        // Found as closeBox finds it, and gone by itself once the signal
        // came; if not, its Return lets the test go on.
        seen = closeBox("Leaderboards", never, [] {
            ::kill(::getpid(), SIGTERM);
            return waitUntilGone("Leaderboards") ? "" : "the box outlived the signal; ";
        });
    });
    bool dismissed = false;
    testing::internal::CaptureStderr();
    ZQMessageBoxPresenter().present({"Leaderboards", "Zen: 3 knots"}, [&] { dismissed = true; });
    const std::string said = testing::internal::GetCapturedStderr();
    player.join();
    EXPECT_EQ(seen, "");
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(said, "velmora: SIGTERM closed the box \"Leaderboards\"\n");
    EXPECT_TRUE(SDL_QuitRequested()) << "the signal was not handed on to SDL";
    SDL_FlushEvent(SDL_QUIT);
}

// A question's keys, on which the could-not-save box's two answers rest:
// Return takes the first answer (try again), Escape the last (quit without
// saving), whatever order SDL lays the buttons in.
TEST_F(FailureBoxTest, AQuestionTakesItsFirstAnswerOnReturnAndItsLastOnEscape) {
    for (const auto& [key, answer] : {std::pair<const char*, std::size_t>("Return", 0), {"Escape", 2}}) {
        const std::atomic<bool> never = false;
        std::string seen;
        std::thread player([&, key = key] { seen = closeBox("Which one", never, {}, key); });
        const std::size_t chosen =
            ZQMessageBoxPresenter().ask({"Which one", "Choose"}, {"First", "Second", "Third"});
        player.join();
        EXPECT_EQ(seen, "") << key;
        EXPECT_EQ(chosen, answer) << key;
    }
}

} // namespace
