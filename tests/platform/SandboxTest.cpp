#include "GameProcess.h"
#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

// Flatpak and game runtimes start games under bubblewrap, and a user
// namespace may sit inside another (bubblewrap makes one so, as does
// unshare -r unshare --user): / and every owner the sandbox does not map
// show the overflow id, and uid_map's outside column names the parent's
// ids. Every start there was refused at /. The player's game plays and
// saves in each, its data folder in the home and outside it.

namespace {

// The plain user a test run as root hands the game to: not nobody, whose id
// is the overflow id itself, which would make the sandbox's / look like the
// player's own.
constexpr uid_t kSandboxPlayer = 54321;

TEST(SandboxTest, ThePlayersGamePlaysAndSavesUnderBubblewrapAndInNestedNamespaces) {
    if (runShell("command -v bwrap").status != 0) {
        GTEST_SKIP() << "bubblewrap is not installed (scripts/install-deps)";
    }
    TempFolder folder;
    const std::string home = folder.file("home");
    const std::string data = folder.file("data");
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(data);
    const bool root = asplayer::testsRunAsRoot();
    for (const std::string& entry : {folder.path(), home, data}) {
        ASSERT_TRUE(!root || ::chown(entry.c_str(), kSandboxPlayer, kSandboxPlayer) == 0);
    }
    const std::string id = std::to_string(kSandboxPlayer);
    const std::string player = root ? "setpriv --reuid=" + id + " --regid=" + id + " --clear-groups " : "";
    const std::string bwrap = "bwrap --ro-bind / / --dev /dev --proc /proc --bind " + folder.path() + " " +
                              folder.path() + " -- env ";
    const std::string inHome = home + "/.local/share/velmora";
    const std::string game = "env -u VELMORA_CLOUD_DIR -u XDG_CONFIG_HOME -u XDG_CACHE_HOME "
                             "-u MESA_SHADER_CACHE_DIR HOME=" +
                             home + " ";
    // With no map written (unshare -U) every owner, the game's own too, shows
    // the overflow id: another user's links and folders passed for the
    // player's. The game trusts none there, and writes nothing.
    const GameRun unmapped =
        runShell(player + game + "unshare -U env -u XDG_DATA_HOME '" + VELMORA_EXECUTABLE + "' --headless");
    if (!unmapped.output.starts_with("unshare: ")) {
        EXPECT_EQ(unmapped.status, 1) << unmapped.output;
        EXPECT_NE(unmapped.output.find("maps no account"), std::string::npos) << unmapped.output;
        EXPECT_NE(unmapped.output.find("unshare --map-current-user"), std::string::npos) << unmapped.output;
        EXPECT_FALSE(std::filesystem::exists(home + "/.local")) << unmapped.output;
    }
    const struct {
        const char* sandbox;
        std::string command;
        std::string stores;
    } runs[] = {
        {"bubblewrap, the data folder in the home", bwrap + "-u XDG_DATA_HOME", inHome},
        {"bubblewrap, the data folder outside the home", bwrap + "XDG_DATA_HOME=" + data, data + "/velmora"},
        {"a namespace in a namespace", "unshare -r unshare --user --map-user=1234 env -u XDG_DATA_HOME",
         inHome},
        {"unshare mapping the player's account", "unshare --map-current-user env XDG_DATA_HOME=" + data,
         data + "/velmora"},
    };
    for (const auto& [sandbox, command, stores] : runs) {
        SCOPED_TRACE(sandbox);
        // The tests' own folders are root's when root runs them: the player's
        // game takes its home's.
        const GameRun run =
            runShell(player + game + command + " '" + VELMORA_EXECUTABLE + "' --headless --frames 3");
        if (run.output.starts_with("bwrap: ") || run.output.starts_with("unshare: ")) {
            GTEST_SKIP() << "this machine makes no such sandbox for a plain user: " << run.output;
        }
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("frames drawn"), std::string::npos) << run.output;
        EXPECT_NE(TempFolder::read(stores + "/leaderboards.plist").find("<key>player</key>"),
                  std::string::npos)
            << run.output;
    }
    // A game outside holds the data folder by its lock file: one in a sandbox
    // that sees none of the processes outside is refused all the same, and
    // says what it knows of the holder.
    const int held = ::open((data + "/velmora/" + ZQDataFolderLock::kLockFile).c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const GameRun inside =
        runShell(player + game + "bwrap --unshare-pid " + bwrap.substr(std::string("bwrap ").size()) +
                 "XDG_DATA_HOME=" + data + " '" + VELMORA_EXECUTABLE + "' --headless --frames 3");
    ::close(held);
    EXPECT_EQ(inside.status, 1) << inside.output;
    EXPECT_NE(inside.output.find("another game is playing on the data folder " + data +
                                 "/velmora, in a process this one cannot see"),
              std::string::npos)
        << inside.output;
}

// The bubblewrap and unshare -r commands a sandbox of `folder` is made with.
std::vector<std::string> sandboxesOf(const std::string& folder) {
    return {"bwrap --ro-bind / / --dev /dev --proc /proc --bind " + folder + " " + folder + " -- ",
            "unshare -r "};
}

// The game of the sandbox player, with `home`, in `sandbox` (or none), for 3
// frames; `variables` are set for it.
GameRun playIn(const std::string& home, const std::string& sandbox, const std::string& variables = "") {
    const std::string id = std::to_string(kSandboxPlayer);
    return runShell(
        "setpriv --reuid=" + id + " --regid=" + id +
        " --clear-groups env -u VELMORA_CLOUD_DIR -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME "
        "-u MESA_SHADER_CACHE_DIR HOME=" +
        home + " " + variables + " " + sandbox + " '" + VELMORA_EXECUTABLE + "' --headless --frames 3");
}

// Why a test that hands its folders to the sandbox player as root cannot run
// here (`rootFor` says what root makes), or "" when it can.
std::string whyNoRootSandbox(const std::string& rootFor) {
    return !asplayer::testsRunAsRoot()                ? "needs root: " + rootFor
           : runShell("command -v bwrap").status != 0 ? "bubblewrap is not installed (scripts/install-deps)"
                                                      : "";
}

// Gives `entries` to the sandbox player.
void giveToPlayer(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        ASSERT_EQ(::chown(entry.c_str(), kSandboxPlayer, kSandboxPlayer), 0) << entry;
    }
}

// A data folder a game run with sudo left to root is one refusal outside a
// sandbox, with one command. Seen from one, root shows the overflow id, as
// every account outside does: the start said "run the game as nobody". It
// says whose it cannot tell, and to start once outside, where the owner is
// known; that start's command, run blind, lets every sandbox play again.
TEST(SandboxTest, AFolderRootLeftSeenFromASandboxIsSentOutsideWhereItsOneCommandMendsIt) {
    if (const std::string why =
            whyNoRootSandbox("the data folder is left to root as a game run with sudo leaves it");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    TempFolder folder;
    const std::string home = folder.file("home");
    const std::string data = home + "/.local/share/velmora";
    std::filesystem::create_directories(data);
    giveToPlayer({folder.path(), home, home + "/.local", home + "/.local/share"});
    TempFolder::write(data + "/defaults.plist", "");
    const std::vector<std::string> sandboxes = sandboxesOf(folder.path());
    for (const std::string& sandbox : sandboxes) {
        SCOPED_TRACE(sandbox);
        const GameRun run = playIn(home, sandbox);
        if (run.output.starts_with("bwrap: ") || run.output.starts_with("unshare: ")) {
            GTEST_SKIP() << "this machine makes no such sandbox for a plain user: " << run.output;
        }
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find("belongs to an account outside this sandbox"), std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find("start the game once outside the sandbox"), std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("run the game as"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("chown"), std::string::npos) << run.output;
    }
    const GameRun outside = playIn(home, "");
    const std::string mend = "sudo chown -R " + std::to_string(kSandboxPlayer) + " '" + data + "'";
    ASSERT_NE(outside.output.find(mend), std::string::npos) << outside.output;
    ASSERT_EQ(runShell(mend.substr(5)).status, 0);
    for (const std::string& sandbox : sandboxes) {
        SCOPED_TRACE(sandbox);
        const GameRun run = playIn(home, sandbox);
        EXPECT_EQ(run.status, 0) << run.output;
    }
}

// The kernel follows a link in a sticky folder shared by all only when it is
// the follower's or the folder owner's. In a sandbox another user's link at
// cloud.plist there showed the overflow id, was followed, and the player's
// file it named was set aside as damage and written over with the record.
TEST(SandboxTest, AnotherUsersLinkInASharedCloudFolderIsNeverFollowedInASandbox) {
    if (const std::string why = whyNoRootSandbox("the link of another user is made with lchown");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    TempFolder folder;
    const std::string home = folder.file("home");
    const std::string shared = folder.file("shared");
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(shared);
    TempFolder::write(home + "/notes.txt", "mine");
    giveToPlayer({folder.path(), home, home + "/notes.txt"});
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    std::filesystem::create_symlink(home + "/notes.txt", shared + "/cloud.plist");
    ASSERT_EQ(::lchown((shared + "/cloud.plist").c_str(), 4321, 4321), 0);
    for (const std::string& sandbox : sandboxesOf(folder.path())) {
        SCOPED_TRACE(sandbox);
        const GameRun run = playIn(home, sandbox, "VELMORA_CLOUD_DIR=" + shared);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("the link " + shared + "/cloud.plist belongs to"), std::string::npos)
            << run.output;
        EXPECT_EQ(TempFolder::read(home + "/notes.txt"), "mine");
        for (const std::string& entry : folder.entries("home")) {
            EXPECT_FALSE(entry.starts_with("notes.txt.")) << "set aside as damage: " << entry;
        }
    }
}

} // namespace
