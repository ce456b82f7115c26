#include "GameProcess.h"
#include "platform/ZQDataFolderLock.h"
#include "support/KillProbe.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A backup restored over the data folder, a sync tool's swap, a folder moved
// away and made anew: the game held the folder it opened at start, and every
// later save failed ("a new file cannot be made"), or went into the folder
// moved away, while a good folder stood at the path. The game walks the way
// again, takes the lock there as at start, and saves in the folder there.
// A fault that passed (the folder shut for a while, swapped for a FIFO and
// back) lost the session: the folder found again was locked anew, against
// the game's own lock, and the game said it was replaced.

namespace {

namespace fs = std::filesystem;

// The road's first run: the story, the tutorial, its first save once the
// tutorial is done (some 2,200 frames in).
std::string firstRunOfTheRoad() {
    std::ifstream road(VELMORA_ROAD_FILE);
    std::string events;
    int runs = 0;
    for (std::string line; std::getline(road, line);) {
        runs += line.starts_with("#@ run") ? 1 : 0;
        if (runs == 1 && !line.starts_with("#") && !line.empty()) {
            events += line + "\n";
        }
    }
    return events;
}

// The game on `data` (XDG_DATA_HOME), its frames on a pipe of one page.
// `atFrame` sees each frame's number while the game is stopped (SIGSTOP), so
// what it does falls between two frames however fast the game runs: a full
// pipe holds the game at most some thousand frames past the one read.
// Returns the exit status and what the game said on standard error.
GameRun playStopping(const std::string& data, const std::string& input,
                     const std::function<void(long frame)>& atFrame) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::fcntl(out[0], F_SETPIPE_SZ, 4096) < 0) {
        return {};
    }
    const std::string errors = data + "/../game-errors.txt";
    const int errorsFile = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t game =
        killprobe::spawnOn({"/usr/bin/env", "-u", "VELMORA_CLOUD_DIR", "-u", "VELMORA_BUNDLE",
                            "XDG_DATA_HOME=" + data, VELMORA_EXECUTABLE, "--headless", "--draw-shots-only",
                            "--print-frames", "--seed", "35", "--frames", "2300", "--input", input},
                           out[1], -1, errorsFile);
    ::close(out[1]);
    ::close(errorsFile);
    GameRun run;
    FILE* frames = ::fdopen(out[0], "r");
    char line[64];
    while (game > 0 && std::fgets(line, sizeof line, frames) != nullptr) {
        ::kill(game, SIGSTOP);
        atFrame(std::atol(line));
        ::kill(game, SIGCONT);
    }
    std::fclose(frames);
    int status = 0;
    if (game > 0 && ::waitpid(game, &status, 0) == game) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.output = TempFolder::read(errors);
    return run;
}

// Whether a game holds the folder at `velmora`, by its lock file or its
// mark: a lock taken now is turned away.
bool lockHeld(const std::string& velmora) {
    const ZQDataFolderLock probe(velmora, ZQ::OwnedFolder::open(velmora, ZQ::OwnedFolder::Make::no));
    return probe.refused() &&
           ZQ::line(*probe.refusal).find("playing on the data folder") != std::string::npos;
}

TEST(ReplacedFolderTest, AFolderReplacedWhileTheGamePlaysIsWhereItSavesOnceItHoldsItsLock) {
    const std::string events = firstRunOfTheRoad();
    ASSERT_FALSE(events.empty());
    const struct {
        const char* how;
        const char* replace; // run in the data folder once the game has started
        const char* undo;    // a fault that passes: run once the game met it, when given
        bool lockedByAnother;
        bool secondGame; // one started once the folder is the game's again is turned away
    } cases[] = {
        {"restored from a copy", "cp -a velmora copy && mv velmora moved && mv copy velmora", "", false,
         false},
        {"removed and made anew", "rm -r velmora && mkdir -m 0700 velmora", "", false, false},
        {"made anew while another game holds it", "mv velmora moved && mkdir -m 0700 velmora", "", true,
         false},
        {"swapped for a FIFO and back", "mv velmora aside && mkfifo velmora",
         "rm velmora && mv aside velmora", false, true},
        {"shut for a while", "chmod 000 velmora", "chmod 700 velmora", false, true},
        {"its old lock file made anew",
         "rm -f velmora/.lock && touch velmora/.lock velmora/new && mv velmora/new "
         "velmora/.lock",
         "", false, true},
        {"its lock file made anew",
         "rm -f velmora/.game.lock && touch velmora/new && chmod 600 velmora/new && mv velmora/new "
         "velmora/.game.lock",
         "", false, true},
    };
    for (const auto& replacement : cases) {
        SCOPED_TRACE(replacement.how);
        // Root may enter a folder of mode 000: a player meets the fault.
        if (std::string(replacement.undo).starts_with("chmod") && ::geteuid() == 0) {
            std::printf("skipped: a folder shut for a while shuts out only a plain user\n");
            continue;
        }
        TempFolder folder;
        const std::string data = folder.file("data");
        const std::string velmora = data + "/velmora";
        fs::create_directories(data);
        TempFolder::write(folder.file("input.txt"), events);
        std::optional<ZQDataFolderLock> another;
        bool replaced = false;
        bool undone = replacement.undo[0] == '\0';
        bool heldWhenSaved = false;
        std::optional<GameRun> second;
        const GameRun run = playStopping(data, folder.file("input.txt"), [&](long) {
            if (!replaced) {
                replaced = runShell("cd '" + data + "' && " + replacement.replace).status == 0;
                if (replacement.lockedByAnother) {
                    another.emplace(velmora, ZQ::OwnedFolder::open(velmora, ZQ::OwnedFolder::Make::no));
                }
            } else if (!undone &&
                       TempFolder::read(folder.file("game-errors.txt")).find("plays on without it") !=
                           std::string::npos) {
                // The cloud's look walked the way while the fault stood.
                undone = runShell("cd '" + data + "' && " + replacement.undo).status == 0;
            } else if (undone && replacement.secondGame && !second) {
                second = runShell("env -u VELMORA_CLOUD_DIR XDG_DATA_HOME='" + data + "' '" +
                                  VELMORA_EXECUTABLE + "' --headless --frames 1");
            } else if (std::error_code shut;
                       !heldWhenSaved && fs::exists(velmora + "/defaults.plist", shut)) {
                heldWhenSaved = lockHeld(velmora);
            }
        });
        ASSERT_TRUE(replaced);
        ASSERT_TRUE(undone);
        if (replacement.lockedByAnother) {
            EXPECT_FALSE(another->refused());
            another.reset();
            EXPECT_EQ(run.status, 1) << run.output;
            EXPECT_NE(run.output.find("another game is playing on the data folder " + velmora),
                      std::string::npos)
                << run.output;
            EXPECT_FALSE(fs::exists(velmora + "/defaults.plist"));
            continue;
        }
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(heldWhenSaved) << "the game saved in the folder without its lock";
        EXPECT_NE(TempFolder::read(velmora + "/defaults.plist").find("zr_tutorial_completed"),
                  std::string::npos)
            << run.output;
        EXPECT_NE(TempFolder::read(velmora + "/leaderboards.plist").find("<key>player</key>"),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(data + "/moved/defaults.plist")) << "saved in the folder moved away";
        if (replacement.secondGame) {
            ASSERT_TRUE(second.has_value());
            EXPECT_EQ(second->status, 1) << second->output;
            EXPECT_NE(second->output.find("playing on the data folder " + velmora), std::string::npos)
                << second->output;
            // Said only of a folder that was replaced, which this one was not.
            EXPECT_EQ(run.output.find("is no longer the one the game opened"), std::string::npos)
                << run.output;
        }
    }
}

} // namespace
