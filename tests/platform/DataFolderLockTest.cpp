#include "GameProcess.h"
#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>

// One game a data folder of the game's user that it can write, locked whole.

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

// The lock's refusal on `data` in words, or "" when the game may play.
std::string refusalOn(const std::string& data) {
    const ZQDataFolderLock lock(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
    return lock.refused() ? ZQ::line(*lock.refusal) : "";
}

// What lstat says of every entry below `root`, so that any change shows.
std::string treeOf(const std::string& root) {
    std::string tree;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        const struct stat info = lstatOf(entry.path());
        tree += entry.path().string() + " " + std::to_string(info.st_mode) + " " +
                std::to_string(info.st_uid) + " " + std::to_string(info.st_size) + " " +
                std::to_string(info.st_mtim.tv_nsec) + "\n";
    }
    return tree;
}

// A second game on one folder wrote the record it held over the other's.
TEST(DataFolderLockTest, OneGameAtATimePlaysOnAFolderAndNoneWaits) {
    TempFolder folder;
    const std::string data = folder.file("data");
    {
        const ZQDataFolderLock first(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        EXPECT_FALSE(first.refused());
        EXPECT_EQ(refusalOn(data), "another game is playing on the data folder " + data +
                                       "; close it first, or start this one with another XDG_DATA_HOME");
    }
    EXPECT_EQ(refusalOn(data), "");
    EXPECT_EQ(folder.entries("data"), std::vector<std::string>{});
}

// The lock was a file in the folder, ".lock": one made anew under a running
// game (a restore into the folder) let a second game in, and whatever else
// stood at that name (a folder, a FIFO, a link) stopped the game with a mend
// that moved or removed it. The folder itself is locked now: what stands at
// that name, or comes there, is left as it is and lets no second game in.
TEST(DataFolderLockTest, NothingAtAnEarlierLockFilesNameTakesOrLetsGoOfTheLock) {
    std::optional<TempFolder> folder; // each case's own
    std::string lock;
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"a folder holding a file",
         [&] {
             fs::create_directories(lock);
             TempFolder::write(lock + "/notes.txt", "kept");
         }},
        {"a FIFO", [&] { ::mkfifo(lock.c_str(), 0600); }},
        {"a dangling link", [&] { fs::create_symlink(folder->file("nowhere"), lock); }},
        {"a link to a file", [&] { fs::create_symlink(folder->file("elsewhere.txt"), lock); }},
        {"a file no one may open",
         [&] {
             TempFolder::write(lock, "");
             ::chmod(lock.c_str(), 0);
         }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        folder.emplace();
        const std::string data = folder->file("data");
        lock = data + "/.lock";
        fs::create_directories(data);
        fs::permissions(data, fs::perms::owner_all);
        TempFolder::write(folder->file("elsewhere.txt"), "kept");
        make();
        const std::string before = treeOf(folder->path());
        const ZQDataFolderLock first(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        EXPECT_FALSE(first.refused()) << ZQ::line(*first.refusal);
        EXPECT_EQ(treeOf(folder->path()), before);
        // Removed and made anew, then a file renamed over it.
        fs::remove_all(lock);
        TempFolder::write(lock, "");
        TempFolder::write(data + "/new", "");
        fs::rename(data + "/new", lock);
        EXPECT_THAT(refusalOn(data), HasSubstr("another game is playing on the data folder " + data));
    }
}

// A folder the game could not write lost the whole run's progress with status 0.
TEST(DataFolderLockTest, AFolderTheGameMayNotWriteTurnsItAwayAndIsLeftAsItWas) {
    TempFolder folder;
    const std::string readOnly = folder.file("read-only");
    const std::string velmora = readOnly + "/velmora";
    fs::create_directories(velmora);
    for (const std::string& made : {folder.path(), readOnly, velmora}) {
        ASSERT_TRUE(asplayer::handToPlayer(made));
    }
    const std::string before = treeOf(folder.path());
    ::chmod(velmora.c_str(), 0555);
    const std::string unwritable = asplayer::run([&] { return refusalOn(velmora); });
    ::chmod(velmora.c_str(), 0755);
    EXPECT_THAT(unwritable,
                HasSubstr("cannot play on the data folder " + velmora +
                          ", where no progress could be saved: the folder " + velmora +
                          " cannot be written (Permission denied); let its owner use it: chmod u+rwx '" +
                          velmora + "'; or to play elsewhere"));
    ::chmod(readOnly.c_str(), 0555);
    const std::string unmade = asplayer::run([&] { return refusalOn(readOnly + "/new"); });
    ::chmod(readOnly.c_str(), 0755);
    EXPECT_THAT(unmade, HasSubstr("the folder " + readOnly + " cannot be written (Permission denied)"));
    EXPECT_EQ(treeOf(folder.path()), before);
}

// A lock any user could open let them hold every game off with flock: the
// folder the game locks is opened by no one else.
TEST(DataFolderLockTest, TheLockIsTheGamesAlone) {
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    EXPECT_EQ(refusalOn(folder.path()), "");
    EXPECT_EQ(fs::status(folder.path()).permissions(),
              fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
}

// sudo -E had root's game make its lock and stores in the player's folder, root's alone.
TEST(DataFolderLockTest, AGameRunAsRootOnAPlayersFolderStopsBeforeItsFirstFrameAndWritesNothing) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the test plays a game of root's on a folder of another user";
    }
    TempFolder home;
    fs::create_directories(home.file(".local/share/velmora"));
    TempFolder::write(home.file(".local/share/velmora/defaults.plist"), "<plist><dict/></plist>");
    for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
        ::lchown(entry.path().c_str(), asplayer::kPlayer, asplayer::kPlayer);
    }
    ::chown(home.path().c_str(), asplayer::kPlayer, asplayer::kPlayer);
    const std::string before = treeOf(home.path());
    for (const std::string& data :
         {std::string("-u XDG_DATA_HOME"), "XDG_DATA_HOME=" + home.file(".local/share")}) {
        SCOPED_TRACE(data);
        const GameRun run =
            runShell("env -u VELMORA_CLOUD_DIR -u XDG_CONFIG_HOME -u XDG_CACHE_HOME " + data +
                     " HOME=" + home.path() + " '" + VELMORA_EXECUTABLE + "' --headless --frames 1");
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_THAT(run.output,
                    HasSubstr("velmora: cannot play on the data folder " + home.file(".local/share/velmora") +
                              ", where no progress could be saved: the folder " + home.path() +
                              " belongs to nobody (uid 65534), and the game runs as root (uid 0); run the "
                              "game as nobody (uid 65534); or to play elsewhere"));
        EXPECT_THAT(run.output, testing::Not(HasSubstr("frames drawn")));
        EXPECT_EQ(treeOf(home.path()), before);
    }
}

} // namespace
