#include "GameProcess.h"
#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"

#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace {

// Said by the script below when the disk could not be made, or not full.
constexpr int kNoMount = 97;
constexpr int kNotFull = 98;

// The game headless on a full disk: in a mount namespace of its own, a
// 64 KiB tmpfs mounted over `folder` (its XDG_DATA_HOME) and filled, so that
// every write of a store fails with ENOSPC. The script prints the game's
// process id first, and the leaderboards file the game left on that disk
// once it has ended. `arguments` say --headless for a run without a window.
// The game leads a process group of its own, which the processes it starts
// join. `atFrame3`, when given, runs with
// the process id once the game has printed frame 3 (--print-frames).
GameRun runOnFullDisk(const std::string& folder, const std::string& arguments,
                      const std::function<void(pid_t)>& atFrame3 = {}) {
    static constexpr const char* kScript =
        "d=$1; shift\n"
        "mount -t tmpfs -o size=64k,mode=0700 velmora-full \"$d\" || exit 97\n"
        "head -c 65536 /dev/zero > \"$d/filler\" 2>/dev/null\n"
        "if printf x > \"$d/probe\" 2>/dev/null; then exit 98; fi\n"
        "rm -f \"$d/probe\"\n"
        "setsid env -u VELMORA_CLOUD_DIR -u VELMORA_BUNDLE XDG_DATA_HOME=\"$d\" \"$@\" 2>&1 &\n"
        "game=$!\n"
        "echo \"game $game\"\n"
        "wait $game\n"
        "status=$?\n"
        "echo \"leaderboards after the run:\"\n"
        "cat \"$d/velmora/leaderboards.plist\" 2>/dev/null\n"
        "exit $status\n";
    const std::string command = "unshare --mount sh -c '" + std::string(kScript) + "' sh '" + folder + "' '" +
                                VELMORA_EXECUTABLE + "' " + arguments + " 2>&1";
    GameRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    pid_t game = -1;
    bool acted = false;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        run.output += line;
        char* end = nullptr;
        const long frame = std::strtol(line, &end, 10);
        if (game < 0 && std::sscanf(line, "game %d", &game) == 1) {
            continue;
        }
        if (end != line && *end == '\n' && frame >= 3 && !acted && atFrame3 && game > 0) {
            acted = true;
            atFrame3(game);
        }
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The centre of SDL's message box button (its default colours), once the
// box is on the screen; nothing when it has not come within 20 seconds.
std::optional<std::pair<int, int>> boxButton(const XvfbDisplay& display) {
    constexpr uint8_t kButton[3] = {105, 102, 99};
    for (int look = 0; look < 200; ++look, usleep(100000)) {
        ZQImage screen;
        if (!display.readScreen(screen)) {
            continue;
        }
        int left = screen.width, right = -1, top = screen.height, bottom = -1;
        for (int y = 0; y < screen.height; ++y) {
            for (int x = 0; x < screen.width; ++x) {
                const uint8_t* p = screen.pixel(x, y);
                if (p[0] == kButton[0] && p[1] == kButton[1] && p[2] == kButton[2]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        if (right - left > 20 && bottom - top > 10) {
            return std::pair((left + right) / 2, (top + bottom) / 2);
        }
    }
    return std::nullopt;
}

std::string unsavedLine(const std::string& path) {
    return "velmora: this session's progress is not saved in " + path +
           ": write failed: No space left on device\n";
}

// Every way a headless run ends (its last frame, SIGINT, SIGTERM) on a disk
// where the game's sign-in to its leaderboards could not be saved: the
// summary, then the store named with why, then what to do, and status 1.
TEST(FullDiskRun, AHeadlessRunWhoseProgressCouldNotBeSavedNamesTheStoreAndFails) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: mounts a full disk in a mount namespace of the game's own";
    }
    const std::pair<const char*, int> endings[] = {
        {"the last frame", 0}, {"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}};
    for (const auto& [ending, signal] : endings) {
        SCOPED_TRACE(ending);
        TempFolder data;
        ASSERT_TRUE(data.ok());
        const GameRun run = signal == 0
                                ? runOnFullDisk(data.path(), "--headless --frames 4")
                                : runOnFullDisk(data.path(), "--headless --frames 1000000 --print-frames",
                                                [signal = signal](pid_t game) { kill(game, signal); });
        if (run.status == kNoMount) {
            GTEST_SKIP() << "no tmpfs can be mounted here: " << run.output;
        }
        ASSERT_NE(run.status, kNotFull) << run.output;
        EXPECT_EQ(run.status, 1) << run.output;
        const std::size_t summary = run.output.find("frames drawn headless");
        const std::size_t named = run.output.find(unsavedLine(data.file("velmora/leaderboards.plist")));
        const std::size_t advice = run.output.find("velmora: free some space on the disk");
        ASSERT_NE(summary, std::string::npos) << run.output;
        ASSERT_NE(named, std::string::npos) << run.output;
        EXPECT_LT(summary, named) << run.output;
        EXPECT_LT(named, advice) << run.output;
        EXPECT_NE(advice, std::string::npos) << run.output;
    }
}

// Room made on the disk while the game runs: the save that failed at the
// start is made by the end's last try, which counts as made.
TEST(FullDiskRun, ARunWhoseDiskHasRoomAgainBeforeItEndsSavesAndEndsWithStatusZero) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: mounts a full disk in a mount namespace of the game's own";
    }
    TempFolder data;
    ASSERT_TRUE(data.ok());
    const std::string filler = data.file("filler");
    const GameRun run =
        runOnFullDisk(data.path(), "--headless --frames 1000000 --print-frames", [&](pid_t game) {
            // The game's mount namespace, seen through its root.
            EXPECT_EQ(::unlink(("/proc/" + std::to_string(game) + "/root" + filler).c_str()), 0);
            kill(game, SIGTERM);
        });
    if (run.status == kNoMount) {
        GTEST_SKIP() << "no tmpfs can be mounted here: " << run.output;
    }
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("progress is not saved"), std::string::npos) << run.output;
    const std::size_t after = run.output.find("leaderboards after the run:");
    ASSERT_NE(after, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("<key>player</key>", after), std::string::npos)
        << "the last try did not write the leaderboards\n"
        << run.output;
}

// In a window the box comes over it when the last frame is drawn, and the
// game waits for the player to close it; then it ends with status 1.
TEST(FullDiskRun, AWindowWhoseProgressCouldNotBeSavedShowsABoxBeforeItGoes) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: mounts a full disk in a mount namespace of the game's own";
    }
    if (!XvfbDisplay::installed() || std::system("command -v xdotool >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Xvfb or xdotool is not installed (apt-get install xvfb xdotool)";
    }
    XvfbDisplay xvfb;
    std::string failure;
    ASSERT_TRUE(xvfb.start(1024, 768, failure)) << failure;
    ScopedEnvironment environment;
    environment.set("DISPLAY", xvfb.name());
    environment.unset("WAYLAND_DISPLAY");
    environment.set("SDL_VIDEODRIVER", "x11");
    TempFolder data;
    ASSERT_TRUE(data.ok());
    bool shown = false;
    bool closed = false;
    const GameRun run = runOnFullDisk(data.path(), "--frames 5 --print-frames", [&](pid_t game) {
        const std::optional<std::pair<int, int>> button = boxButton(xvfb);
        shown = button.has_value();
        if (shown && std::system(("xdotool mousemove " + std::to_string(button->first) + " " +
                                  std::to_string(button->second) + " click 1")
                                     .c_str()) == 0) {
            for (int look = 0; look < 100 && !closed; ++look, usleep(100000)) {
                closed = kill(game, 0) != 0;
            }
        }
        // A box the test could not find or close would hold the game, and
        // SDL shows it from a process of its own: the whole group goes.
        if (!closed) {
            kill(-game, SIGKILL);
        }
    });
    if (run.status == kNoMount) {
        GTEST_SKIP() << "no tmpfs can be mounted here: " << run.output;
    }
    EXPECT_TRUE(shown) << "no box came over the window\n" << run.output;
    EXPECT_TRUE(closed) << "the game did not end once its box was closed\n" << run.output;
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(unsavedLine(data.file("velmora/leaderboards.plist"))), std::string::npos)
        << run.output;
}

} // namespace
