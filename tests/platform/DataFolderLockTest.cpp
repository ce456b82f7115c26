#include "GameProcess.h"
#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/FileCallHook.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>

// One game a data folder of the game's user that it can write. Whatever stands
// at ".lock" that the game cannot lock as its own turns it away, untouched.

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
    const struct stat lock = lstatOf(data + "/.lock");
    EXPECT_EQ(lock.st_mode & 07777, 0600u);
    EXPECT_EQ(lock.st_size, 0);
    EXPECT_EQ(folder.entries("data"), std::vector<std::string>{".lock"});
}

TEST(DataFolderLockTest, ALockFileTheGameCannotUseStopsItAndStaysAsItIs) {
    std::optional<TempFolder> folder; // each case's own
    std::string lock;
    std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"a folder", [&] { fs::create_directories(lock + "/inside"); }},
        {"a FIFO", [&] { ::mkfifo(lock.c_str(), 0600); }},
        {"a dangling link", [&] { fs::create_symlink(folder->file("nowhere"), lock); }},
        {"a link to a file", [&] { fs::create_symlink(folder->file("elsewhere.txt"), lock); }},
        {"a file the player may not open",
         [&] {
             TempFolder::write(lock, "");
             ::chmod(lock.c_str(), 0);
         }},
    };
    if (asplayer::testsRunAsRoot()) {
        cases.emplace_back("another user's file", [&] {
            TempFolder::write(lock, "");
            ::chown(lock.c_str(), asplayer::kPlayer, asplayer::kPlayer);
        });
    } else {
        std::printf("skipped: a lock file of another user needs root to make\n");
    }
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        folder.emplace();
        const std::string data = folder->file("data");
        lock = data + "/.lock";
        fs::create_directories(data);
        TempFolder::write(folder->file("elsewhere.txt"), "kept");
        make();
        const bool played = what == "a file the player may not open";
        // Root may open any file: the player meets that one.
        if (played) {
            ASSERT_TRUE(asplayer::handToPlayer(folder->path()) && asplayer::handToPlayer(data) &&
                        asplayer::handToPlayer(lock));
        }
        const std::string before = treeOf(folder->path());
        const std::string refusal = played ? asplayer::run([&] { return refusalOn(data); }) : refusalOn(data);
        EXPECT_THAT(refusal, HasSubstr("the lock file " + lock));
        const std::string mend =
            what == "a folder" ? "mv '" + lock + "' '" + lock + ".kept'" : "rm '" + lock + "'";
        EXPECT_TRUE(refusal.ends_with(": " + mend)) << refusal;
        EXPECT_EQ(treeOf(folder->path()), before);
    }
}

// A ".lock" folder holding a file was met with rm -r, which took the file too.
TEST(DataFolderLockTest, ALockFolderIsClearedKeepingWhatItHolds) {
    for (const bool holds : {true, false}) {
        SCOPED_TRACE(holds ? "holding a file" : "empty");
        TempFolder folder;
        const std::string data = folder.file("data");
        fs::create_directories(data + "/.lock");
        fs::create_directories(data + "/.lock.kept");
        if (holds) {
            TempFolder::write(data + "/.lock/notes.txt", "kept");
        }
        const std::string refusal = refusalOn(data);
        const std::size_t command = refusal.rfind(": ");
        ASSERT_NE(command, std::string::npos) << refusal;
        EXPECT_TRUE(refusal.substr(command + 2).starts_with(holds ? "mv " : "rmdir ")) << refusal;
        ASSERT_EQ(runShell(refusal.substr(command + 2)).status, 0) << refusal;
        EXPECT_EQ(refusalOn(data), "");
        EXPECT_EQ(TempFolder::read(data + "/.lock.kept-2/notes.txt"), holds ? "kept" : "");
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

// A lock readable by all let any user hold every game off with flock.
TEST(DataFolderLockTest, TheLockIsTheGamesAloneAndOneThatCannotBeMadeIsNotToBeRemoved) {
    TempFolder folder;
    TempFolder::write(folder.file(".lock"), "");
    ::chmod(folder.file(".lock").c_str(), 0644);
    EXPECT_EQ(refusalOn(folder.path()), "");
    EXPECT_EQ(fs::status(folder.file(".lock")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::remove(folder.file(".lock"));
    {
        const FileCallHook hook([](const auto& call, const auto& entry, const auto&, unsigned flags) {
            return call == "openat" && entry == ".lock" && (flags & O_CREAT) != 0 ? ENOSPC : 0;
        });
        EXPECT_THAT(refusalOn(folder.path()), HasSubstr("(No space left on device); free some space"));
    }
    // One that is there and cannot be opened is to be removed: room is no mend.
    TempFolder::write(folder.file(".lock"), "");
    const FileCallHook broken([](const auto& call, const auto& entry, const auto&, unsigned) {
        return call == "openat" && entry == ".lock" ? EIO : 0;
    });
    const std::string refused = refusalOn(folder.path());
    EXPECT_THAT(refused, HasSubstr(".lock cannot be opened (Input/output error)"));
    EXPECT_THAT(refused, HasSubstr(": rm '" + folder.file(".lock") + "'"));
    EXPECT_THAT(refused, testing::Not(HasSubstr("free some space")));
}

// Some FUSE mounts make no file opened read-only (EIO), so no game could start.
TEST(DataFolderLockTest, TheLockIsMadeWhereNoFileOpenedForReadingAloneCanBe) {
    TempFolder folder;
    {
        const FileCallHook writeCache([](const auto& call, const auto& entry, const auto&, unsigned flags) {
            const bool readOnly = (flags & O_ACCMODE) == O_RDONLY;
            return call == "openat" && entry == ".lock" && (flags & O_CREAT) != 0 && readOnly ? EIO : 0;
        });
        EXPECT_EQ(refusalOn(folder.path()), "");
    }
    ASSERT_EQ(::chmod(folder.file(".lock").c_str(), 0400), 0);
    ASSERT_TRUE(asplayer::handToPlayer(folder.path()) && asplayer::handToPlayer(folder.file(".lock")));
    EXPECT_EQ(asplayer::run([&] { return refusalOn(folder.path()) + "locked"; }), "locked");
    EXPECT_EQ(fs::status(folder.file(".lock")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
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
