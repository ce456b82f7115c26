#include "GameProcess.h"
#include "XvfbDisplay.h"
#include "support/ScopedEnvironment.h"

#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// The script's status when no tmpfs could be mounted here.
constexpr int kNoMount = 97;

// The game with `arguments`, its XDG_DATA_HOME `folder` a filled 64 KiB tmpfs
// in a mount namespace of its own, so that every write of a store fails with
// ENOSPC. It leads a process group, which SDL's box process joins, and gets
// SIGINT back as a terminal gives it (sh ignores it in a background job). The
// output ends with the leaderboards file the game left there. `atFrame3` gets
// the game's process id once it has printed frame 3 (--print-frames).
GameRun runOnFullDisk(const std::string& folder, const std::string& arguments,
                      const std::function<void(pid_t)>& atFrame3) {
    static constexpr const char* kScript =
        "d=$1; shift\n"
        "mount -t tmpfs -o size=64k,mode=0700 velmora-full \"$d\" || exit 97\n"
        "head -c 65536 /dev/zero > \"$d/filler\" 2>/dev/null\n"
        "setsid env --default-signal=INT -u VELMORA_CLOUD_DIR -u VELMORA_BUNDLE XDG_DATA_HOME=\"$d\" \"$@\" "
        "2>&1 &\n"
        "game=$!; echo \"game $game\"; wait $game; status=$?\n"
        "echo \"leaderboards after the run:\"; cat \"$d/velmora/leaderboards.plist\" 2>/dev/null\n"
        "exit $status\n";
    const std::string command = "unshare --mount sh -c '" + std::string(kScript) + "' sh '" + folder + "' '" +
                                VELMORA_EXECUTABLE + "' " + arguments + " 2>&1";
    GameRun run;
    FILE* pipe = popen(command.c_str(), "r");
    pid_t game = -1;
    char line[1024];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
        run.output += line;
        if (game < 0) {
            std::sscanf(line, "game %d", &game);
        } else if (std::strcmp(line, "3\n") == 0) {
            atFrame3(game);
        }
    }
    const int status = pipe == nullptr ? -1 : pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Closes the box titled as the report's, as a player would, once it has come
// over the game's window; true when the game has ended after that. A box the
// test could not find or close would hold the game: its whole group goes.
// However busy the machine, the box comes, or the game ends, and a closed
// box ends the game, within minutes: only a hang takes longer.
bool closeTheBox(pid_t game) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    const auto waiting = [&] { return std::chrono::steady_clock::now() < deadline && kill(game, 0) == 0; };
    std::string box;
    while (box.empty() && waiting()) {
        usleep(100000);
        box = runShell("xwininfo -root -children | awk -v ORS= '/ \"Velmora could not save your progress\":/ "
                       "{print $1}'")
                  .output;
    }
    bool closed = false;
    if (!box.empty() && runShell("xdotool key --window " + box + " Return").status == 0) {
        while (waiting()) {
            usleep(100000);
        }
        closed = kill(game, 0) != 0;
    }
    if (!closed) {
        kill(-game, SIGKILL);
    }
    return closed;
}

// Each way a run ends reaches the report: the leaderboards the game could not
// save are named, in a box too over a window, and the run fails; unless room
// was made on the disk before the end, when the last try saves them.
TEST(FullDiskRun, EachWayARunEndsNamesWhatItCouldNotSave) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: mounts a full disk in a mount namespace of the game's own";
    }
    if (!XvfbDisplay::installed() || std::system("command -v xwininfo xdotool >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed (scripts/install-deps)";
    }
    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    std::string failure;
    ASSERT_TRUE(xvfb.start(1024, 768, environment, failure)) << failure;
    const char* const endless = "--headless --frames 1000000 --print-frames";
    const struct {
        const char* ending;
        const char* arguments;
        int signal;
        bool makeRoom;
    } endings[] = {{"the last frame", "--headless --frames 4", 0, false},
                   {"SIGINT", endless, SIGINT, false},
                   {"SIGTERM after room was made", endless, SIGTERM, true},
                   {"a window's last frame", "--frames 5 --print-frames", 0, false}};
    for (const auto& [ending, arguments, signal, makeRoom] : endings) {
        SCOPED_TRACE(ending);
        TempFolder data;
        ASSERT_TRUE(data.ok());
        const bool window = std::string(arguments).find("--headless") == std::string::npos;
        bool boxClosed = false;
        const GameRun run =
            runOnFullDisk(data.path(), arguments, [&, signal = signal, makeRoom = makeRoom](pid_t game) {
                // The game's own mount namespace, seen through its root.
                const std::string filler = "/proc/" + std::to_string(game) + "/root" + data.file("filler");
                EXPECT_TRUE(!makeRoom || ::unlink(filler.c_str()) == 0);
                if (window) {
                    boxClosed = closeTheBox(game);
                } else {
                    kill(game, signal);
                }
            });
        if (run.status == kNoMount) {
            GTEST_SKIP() << "no tmpfs can be mounted here: " << run.output;
        }
        EXPECT_EQ(run.status, makeRoom ? 0 : 1) << run.output;
        EXPECT_EQ(boxClosed, window) << "the box over the window was not found and closed\n" << run.output;
        const std::size_t named = run.output.find(
            "velmora: this session's progress is not saved in " + data.file("velmora/leaderboards.plist") +
            ": write failed: No space left on device; free some space on its disk, then play again\n");
        EXPECT_EQ(named != std::string::npos, !makeRoom) << run.output;
        EXPECT_TRUE(makeRoom || named > run.output.find("frames drawn")) << run.output;
        const std::size_t after = run.output.find("leaderboards after the run:");
        EXPECT_EQ(run.output.find("<key>player</key>", after) != std::string::npos, makeRoom) << run.output;
    }
}

} // namespace
