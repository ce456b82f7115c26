#include "GameProcess.h"
#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"
#include "platform/ZQDataFolderLock.h"
#include "platform/ZQDialogPresenter.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

// The real game started for a window on a bare X server (no window manager,
// no desktop), where a start it refuses must still be seen: a message box
// on the screen, inside its edges, with no game window, that a key closes,
// after which the game ends with status 1. A box past the screen's edge (a
// line SDL never wrapped) or no box at all (no X core fonts, or no notice)
// left a player who started the game from the desktop with nothing. The
// dialogs over the game are SDL boxes too, and must stay inside the screen.

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// What `command` prints on its standard output.
std::string commandOutput(const std::string& command) {
    return runShell(command + " 2>/dev/null").output;
}

// What the screen showed while the game waited, and how the game ended.
struct BoxRun {
    bool shown = false; // a window titled as the refusal's box was mapped
    int x = 0;          // its place and size on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool gameWindow = false; // the game's own window was there beside it
    bool duringBox = false;  // what `whileShown` answered
    int status = -1;
    std::string output;

    bool insideScreen() const {
        return shown && x >= 0 && y >= 0 && x + width <= kScreenWidth && y + height <= kScreenHeight;
    }
    // The run as one line, to cross from a player's process.
    std::string text() const {
        std::ostringstream line;
        line << shown << ' ' << x << ' ' << y << ' ' << width << ' ' << height << ' ' << gameWindow << ' '
             << duringBox << ' ' << status << '\n'
             << output;
        return line.str();
    }
    static BoxRun fromText(const std::string& text) {
        BoxRun run;
        std::istringstream in(text);
        in >> run.shown >> run.x >> run.y >> run.width >> run.height >> run.gameWindow >> run.duringBox >>
            run.status;
        run.output = in.good() ? text.substr(text.find('\n') + 1) : "no run: " + text;
        return run;
    }
};

// The ids of the screen's top windows named exactly `name`, from xwininfo's
// list (xdotool cannot read the UTF-8 name SDL's box gives itself).
std::vector<std::string> windowsNamed(const std::string& name) {
    std::vector<std::string> ids;
    std::istringstream lines(commandOutput("xwininfo -root -children"));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t quote = line.find(" \"" + name + "\":");
        if (quote != std::string::npos) {
            std::istringstream words(line);
            std::string id;
            words >> id;
            ids.push_back(id);
        }
    }
    return ids;
}

int xwininfoField(const std::string& info, const std::string& label) {
    const std::size_t at = info.find(label + ":");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + label.size() + 1);
}

// The place and size of the window with id `id`.
void placeOf(const std::string& id, BoxRun& run) {
    const std::string info = commandOutput("xwininfo -id " + id);
    run.x = xwininfoField(info, "Absolute upper-left X");
    run.y = xwininfoField(info, "Absolute upper-left Y");
    run.width = xwininfoField(info, "Width");
    run.height = xwininfoField(info, "Height");
}

// Starts the game with `arguments` on the display the environment names,
// waits for the refusal's box, calls `whileShown` while it is up, closes it
// with Return as a player would, and waits for the game to end. Patience
// only against a hang: the box comes before any GL is made.
BoxRun runToBox(const std::string& folder, const std::string& arguments,
                const std::function<bool()>& whileShown = {}) {
    BoxRun run;
    const std::string log = folder + "/game.log";
    const std::string command =
        std::string("exec '") + VELMORA_EXECUTABLE + "' " + arguments + " >'" + log + "' 2>&1";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t game = -1;
    if (posix_spawnp(&game, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        run.output = "the game could not be started";
        return run;
    }
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<std::string> boxes;
    while (boxes.empty() && !ended && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = waitpid(game, &status, WNOHANG) == game;
        boxes = windowsNamed("Velmora cannot start");
    }
    if (!boxes.empty()) {
        // SDL maps the box at its place: nothing moves it later on a bare server.
        run.shown = true;
        placeOf(boxes[0], run);
        run.gameWindow = !windowsNamed("Velmora").empty();
        run.duringBox = whileShown && whileShown();
        std::system(("xdotool key --window " + boxes[0] + " Return >/dev/null 2>&1").c_str());
    }
    const auto closing = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!ended && std::chrono::steady_clock::now() < closing) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = waitpid(game, &status, WNOHANG) == game;
    }
    if (!ended) {
        kill(game, SIGKILL);
        waitpid(game, &status, 0);
    }
    run.status = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = TempFolder::read(log);
    return run;
}

class FailureBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!XvfbDisplay::installed() || std::system("command -v xwininfo xdotool >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed (scripts/install-deps)";
        }
        std::string failure;
        ASSERT_TRUE(xvfb.start(kScreenWidth, kScreenHeight, failure)) << failure;
        environment.set("DISPLAY", xvfb.name());
        environment.unset("WAYLAND_DISPLAY");
        environment.set("SDL_VIDEODRIVER", "x11");
        // A client of the test's own holds the server to the end: an X
        // server resets whenever its last client leaves and drops what
        // connects meanwhile, and the xwininfo polls come and go.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        holding = true;
    }
    void TearDown() override {
        if (holding) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }

    XvfbDisplay xvfb;
    bool holding = false;
    ScopedEnvironment environment;
};

void expectABoxOnTheScreen(const BoxRun& run) {
    EXPECT_TRUE(run.shown) << run.output;
    EXPECT_TRUE(run.insideScreen()) << run.x << "," << run.y << " " << run.width << "x" << run.height
                                    << " on " << kScreenWidth << "x" << kScreenHeight;
    EXPECT_FALSE(run.gameWindow) << "a game window beside the box";
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
}

// Another game on the folder; and a bundle path of 150 characters, which
// SDL drew as one line, the box wider than the screen.
TEST_F(FailureBoxTest, AnotherGameOnTheFolderAndALongBundlePathAreBoxesOnTheScreen) {
    TempFolder data;
    ASSERT_TRUE(data.ok());
    const std::string folder = data.file("velmora");
    environment.set("XDG_DATA_HOME", data.path());
    {
        const ZQDataFolderLock first(folder, ZQ::OwnedFolder::open(folder, ZQ::OwnedFolder::Make::yes));
        ASSERT_FALSE(first.refused()) << first.refusal;
        const BoxRun run = runToBox(data.path(), "--frames 3");
        expectABoxOnTheScreen(run);
        EXPECT_NE(run.output.find("velmora: another game is playing on the data folder " + folder),
                  std::string::npos)
            << run.output;
    }
    std::string bundle = data.path();
    for (int i = 0; bundle.size() < 150; ++i) {
        bundle += "/a-folder-of-the-players-" + std::to_string(i);
    }
    std::filesystem::create_directories(bundle);
    environment.set("VELMORA_BUNDLE", bundle);
    const BoxRun run = runToBox(data.path(), "--frames 3");
    expectABoxOnTheScreen(run);
    EXPECT_NE(run.output.find("velmora: the bundle folder " + bundle + " lacks"), std::string::npos)
        << run.output;
}

// A store the player's game may not use stops it with a box, and the box
// is up with the data folder already let go: a second start while it is
// open must hear of the store, not of another game.
TEST_F(FailureBoxTest, AStoreTheGameMayNotUseIsABoxWhileTheFolderIsFree) {
    TempFolder home;
    ASSERT_TRUE(home.ok());
    const std::string folder = home.file("velmora");
    std::filesystem::create_directories(folder);
    const std::string defaults = folder + "/defaults.plist";
    TempFolder::write(defaults, "<plist version=\"1.0\"><dict/></plist>\n");
    ASSERT_TRUE(asplayer::handToPlayer(home.path()) && asplayer::handToPlayer(folder));
    // Root's file beside the player's; without root, a file of the tests'
    // own that its user may not open stands for it.
    ::chmod(defaults.c_str(), asplayer::testsRunAsRoot() ? 0644 : 0);
    environment.set("XDG_DATA_HOME", home.path());
    environment.set("HOME", home.path());

    const BoxRun run = BoxRun::fromText(asplayer::run([&] {
        return runToBox(home.path(), "--frames 3",
                        [&] {
                            const int lock = ::open((folder + "/.lock").c_str(), O_RDWR | O_CLOEXEC);
                            const bool free = lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0;
                            if (lock >= 0) {
                                ::close(lock);
                            }
                            return free;
                        })
            .text();
    }));
    ::chmod(defaults.c_str(), 0644);
    expectABoxOnTheScreen(run);
    EXPECT_NE(run.output.find("velmora: cannot keep progress in defaults.plist: "), std::string::npos)
        << run.output;
    EXPECT_TRUE(run.duringBox) << "the data folder was still locked while the box was up";
}

// A dialog over the game (the leaderboards, a share's outcome) while the
// game's window, away from the screen's corner, has the keyboard: SDL set a
// box with that parent at the parent's place counted twice, past the
// screen's right edge.
TEST_F(FailureBoxTest, ADialogOverTheGamesWindowIsInsideTheScreen) {
    SDL_Window* window = SDL_CreateWindow("Velmora", 400, 300, 200, 150, SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    std::vector<std::string> game;
    for (int tries = 0; tries < 200 && game.empty(); ++tries) {
        SDL_PumpEvents();
        game = windowsNamed("Velmora");
    }
    ASSERT_FALSE(game.empty());
    std::system(("xdotool windowfocus --sync " + game[0] + " >/dev/null 2>&1").c_str());
    for (int tries = 0; tries < 200 && SDL_GetKeyboardFocus() != window; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SDL_PumpEvents();
    }
    ASSERT_EQ(SDL_GetKeyboardFocus(), window) << "the window never had the keyboard";

    BoxRun seen;
    std::thread hand([&] {
        std::vector<std::string> boxes;
        for (int tries = 0; tries < 600 && boxes.empty(); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            boxes = windowsNamed("Leaderboards");
        }
        if (!boxes.empty()) {
            seen.shown = true;
            placeOf(boxes[0], seen);
            std::system(("xdotool key --window " + boxes[0] + " Return >/dev/null 2>&1").c_str());
        }
    });
    bool dismissed = false;
    ZQMessageBoxPresenter().present(
        {"Leaderboards", "Untied in one go: 12 knots, the best on 2026-12-09\nZen: 3 knots"},
        [&] { dismissed = true; });
    hand.join();
    SDL_DestroyWindow(window);
    EXPECT_TRUE(dismissed);
    EXPECT_TRUE(seen.shown) << "no box";
    EXPECT_TRUE(seen.insideScreen()) << seen.x << "," << seen.y << " " << seen.width << "x" << seen.height
                                     << " on " << kScreenWidth << "x" << kScreenHeight;
}

} // namespace
