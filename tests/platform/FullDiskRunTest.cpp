#include "GameProcess.h"
#include "XvfbDisplay.h"
#include "engine/Refusal.h"
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
#include <vector>

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

// The id of the report's box when one is up, shown by a process of SDL's
// that the game started and that is not `shown`, else "". The X server
// gives a new box the id of one just closed; a process id comes back only
// after the whole range.
std::string newReportBox(pid_t game, std::string& shown) {
    const std::string box =
        runShell("xwininfo -root -children | awk -v ORS= '/ \"Velmora could not save your "
                 "progress\":/ {print $1; exit}'")
            .output;
    const std::string process = runShell("pgrep -P " + std::to_string(game) + " | tr -d '\\n'").output;
    if (box.empty() || process.empty() || process == shown) {
        return {};
    }
    shown = process;
    return box;
}

// Answers the report's box with each key of `keys` in turn, as a player
// would, each once a new box has come over the game's window; before a key
// `beforeKey` runs with its index. Returns the number of boxes answered, or
// -1 unless the game has ended after the last. A box the test could not find
// or answer would hold the game: its whole group goes. However busy the
// machine, a box comes, or the game ends, within minutes: only a hang takes
// longer.
int answerTheBoxes(pid_t game, const std::vector<std::string>& keys,
                   const std::function<void(std::size_t)>& beforeKey) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    const auto waiting = [&] { return std::chrono::steady_clock::now() < deadline && kill(game, 0) == 0; };
    std::string shown;
    std::size_t answered = 0;
    for (; answered < keys.size(); ++answered) {
        std::string box;
        while (box.empty() && waiting()) {
            usleep(100000);
            box = newReportBox(game, shown);
        }
        if (box.empty()) {
            break;
        }
        beforeKey(answered);
        if (runShell("xdotool key --window " + box + " " + keys[answered]).status != 0) {
            break;
        }
    }
    while (answered == keys.size() && waiting()) {
        usleep(100000);
    }
    const bool ended = answered == keys.size() && kill(game, 0) != 0;
    if (!ended) {
        kill(-game, SIGKILL);
    }
    return ended ? static_cast<int>(answered) : -1;
}

// Each way a run ends reaches the report: the leaderboards the game could not
// save are named, in a box too over a window, and the run fails; unless room
// was made on the disk before the end, when the last try saves them, or,
// over a window, while the box was up, when its try again does. Try again
// while the disk is still full asks again; Escape quits without saving.
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
    const char* const window = "--frames 5 --print-frames";
    enum class Room { never, beforeTheEnd, atTheSecondBox };
    const struct {
        const char* ending;
        const char* arguments;
        int signal;
        Room room;
        std::vector<std::string> keys; // the answers to the window's boxes
    } endings[] = {{"the last frame", "--headless --frames 4", 0, Room::never, {}},
                   {"SIGINT", endless, SIGINT, Room::never, {}},
                   {"SIGTERM after room was made", endless, SIGTERM, Room::beforeTheEnd, {}},
                   {"a window's box, quit", window, 0, Room::never, {"Escape"}},
                   {"a window's box, tried again", window, 0, Room::atTheSecondBox, {"Return", "Return"}}};
    for (const auto& [ending, arguments, signal, room, keys] : endings) {
        SCOPED_TRACE(ending);
        TempFolder data;
        ASSERT_TRUE(data.ok());
        int answered = 0;
        const GameRun run = runOnFullDisk(
            data.path(), arguments, [&, signal = signal, room = room, &keys = keys](pid_t game) {
                // The game's own mount namespace, seen through its root.
                const std::string filler = "/proc/" + std::to_string(game) + "/root" + data.file("filler");
                const auto makeRoom = [&] { EXPECT_EQ(::unlink(filler.c_str()), 0) << filler; };
                if (room == Room::beforeTheEnd) {
                    makeRoom();
                }
                if (keys.empty()) {
                    kill(game, signal);
                    return;
                }
                answered = answerTheBoxes(game, keys, [&](std::size_t key) {
                    if (room == Room::atTheSecondBox && key == 1) {
                        makeRoom();
                    }
                });
            });
        if (run.status == kNoMount) {
            GTEST_SKIP() << "no tmpfs can be mounted here: " << run.output;
        }
        const bool saved = room != Room::never;
        EXPECT_EQ(run.status, saved ? 0 : 1) << run.output;
        EXPECT_EQ(answered, static_cast<int>(keys.size())) << "the boxes were not all found and answered\n"
                                                           << run.output;
        // Said once a try fails, before each box.
        const std::size_t named = run.output.find(
            "velmora: this session's progress is not saved in " + data.file("velmora/leaderboards.plist") +
            ": write failed: No space left on device; " + ZQ::freeSpace().advice + "\n");
        EXPECT_EQ(named != std::string::npos, room != Room::beforeTheEnd) << run.output;
        EXPECT_TRUE(named == std::string::npos || named > run.output.find("frames drawn")) << run.output;
        EXPECT_EQ(run.output.find("velmora: the progress named above is saved now") != std::string::npos,
                  room == Room::atTheSecondBox)
            << run.output;
        const std::size_t after = run.output.find("leaderboards after the run:");
        EXPECT_EQ(run.output.find("<key>player</key>", after) != std::string::npos, saved) << run.output;
    }
}

} // namespace
