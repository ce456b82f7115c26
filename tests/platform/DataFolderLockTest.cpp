#include "GameProcess.h"
#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/KillProbe.h"
#include "support/StoreFiles.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// One game a data folder of the game's user that it can write, held by its lock file and its mark.

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

// The lock's refusal on `data` in words, or "" when the game may play.
std::string refusalOn(const std::string& data) {
    const ZQDataFolderLock lock(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
    return lock.refused() ? ZQ::line(*lock.refusal) : "";
}

// What lstat says of every entry below `root`, so that any change shows;
// without `folderTimes`, each folder's time is left out, which moves when the
// lock file is made in it.
std::string treeOf(const std::string& root, bool folderTimes = true) {
    std::string tree;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        const struct stat info = lstatOf(entry.path());
        tree += entry.path().string() + " " + std::to_string(info.st_mode) + " " +
                std::to_string(info.st_uid) + " " + std::to_string(info.st_size) + " " +
                std::to_string(S_ISDIR(info.st_mode) && !folderTimes ? 0 : info.st_mtim.tv_nsec) + "\n";
    }
    return tree;
}

// A lock another program takes on the folder `path` through an open file of
// its own, held in a child process (as the account `owner`, when root runs
// the test) until the object goes: `how` is "flock-shared",
// "flock-exclusive", "posix" or "ofd" (a read lock on `length` bytes from
// `start`, 0 for all).
struct ForeignLock {
    ForeignLock(const std::string& path, const std::string& how, long long start = 0, long long length = 0,
                uid_t owner = ::geteuid()) {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            return;
        }
        child = ::fork();
        if (child == 0) {
            ::close(release[1]);
            if (owner != ::geteuid() && (::setgid(owner) != 0 || ::setuid(owner) != 0)) {
                ::_exit(1);
            }
            const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
            struct flock range {};
            range.l_type = F_RDLCK;
            range.l_start = start;
            range.l_len = length;
            const bool held = how == "flock-shared"      ? ::flock(fd, LOCK_SH | LOCK_NB) == 0
                              : how == "flock-exclusive" ? ::flock(fd, LOCK_EX | LOCK_NB) == 0
                              : how == "posix"           ? ::fcntl(fd, F_SETLK, &range) == 0
                                                         : ::fcntl(fd, F_OFD_SETLK, &range) == 0;
            char byte = held ? 'y' : 'n';
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(release[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 'n';
        held = ::read(ready[0], &byte, 1) == 1 && byte == 'y';
        ::close(ready[0]);
    }
    ~ForeignLock() {
        ::close(release[1]);
        ::waitpid(child, nullptr, 0);
    }
    int release[2] = {-1, -1};
    pid_t child = -1;
    bool held = false;
};

// A second game on one folder wrote the record it held over the other's.
TEST(DataFolderLockTest, OneGameAtATimePlaysOnAFolderAndNoneWaits) {
    TempFolder folder;
    const std::string data = folder.file("data");
    {
        const ZQDataFolderLock first(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        EXPECT_FALSE(first.refused());
        EXPECT_EQ(refusalOn(data), "another game is playing on the data folder " + data + ", in process " +
                                       std::to_string(::getpid()) + " of " + ZQ::accountName(::geteuid()) +
                                       "; close it first, or start this one with another XDG_DATA_HOME");
    }
    EXPECT_EQ(refusalOn(data), "");
    EXPECT_EQ(folder.entries("data"), std::vector<std::string>{ZQDataFolderLock::kLockFile});
    EXPECT_EQ(lstatOf(data + "/" + ZQDataFolderLock::kLockFile).st_mode & 07777, 0600u);
}

// What may stand at a name in the data folder that no game put there, made
// at `at`; its links lead to `elsewhere`, a file beside the folder.
using Stranger = std::function<void(const std::string& at, const std::string& elsewhere)>;
const std::vector<std::pair<std::string, Stranger>> kStrangers = {
    {"a folder holding a file",
     [](const std::string& at, const std::string&) {
         fs::create_directories(at);
         TempFolder::write(at + "/notes.txt", "kept");
     }},
    {"a FIFO", [](const std::string& at, const std::string&) { ::mkfifo(at.c_str(), 0600); }},
    {"a dangling link", [](const std::string& at,
                           const std::string& elsewhere) { fs::create_symlink(elsewhere + ".gone", at); }},
    {"a link to a file",
     [](const std::string& at, const std::string& elsewhere) { fs::create_symlink(elsewhere, at); }},
    {"a file others may open",
     [](const std::string& at, const std::string&) {
         TempFolder::write(at, "");
         ::chmod(at.c_str(), 0644);
     }},
    {"a file no one may open",
     [](const std::string& at, const std::string&) {
         TempFolder::write(at, "");
         ::chmod(at.c_str(), 0);
     }},
};

// The lock was a file in the folder, ".lock": one made anew under a running
// game (a restore into the folder) let a second game in, and whatever else
// stood at that name (a folder, a FIFO, a link) stopped the game with a mend
// that moved or removed it. What stands at that name is left as it is now;
// and the game's lock file, removed or made anew under a game, lets no second
// game in either: the folder bears the game's mark.
TEST(DataFolderLockTest, NothingDoneToANameInTheFolderLetsASecondGameIn) {
    for (const auto& [what, make] : kStrangers) {
        SCOPED_TRACE(what);
        TempFolder folder;
        const std::string data = folder.file("data");
        const std::string lock = data + "/.lock";
        fs::create_directories(data);
        fs::permissions(data, fs::perms::owner_all);
        TempFolder::write(folder.file("elsewhere.txt"), "kept");
        make(lock, folder.file("elsewhere.txt"));
        const std::string before = treeOf(folder.path(), false);
        const ZQDataFolderLock first(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        EXPECT_FALSE(first.refused()) << ZQ::line(*first.refusal);
        fs::remove(data + "/" + ZQDataFolderLock::kLockFile);
        EXPECT_EQ(treeOf(folder.path(), false), before);
        // Each name removed and made anew, then a file renamed over it.
        for (const std::string& name : {lock, data + "/" + ZQDataFolderLock::kLockFile}) {
            SCOPED_TRACE(name);
            fs::remove_all(name);
            EXPECT_THAT(refusalOn(data), HasSubstr("playing on the data folder " + data));
            TempFolder::write(name, "");
            fs::permissions(name, fs::perms::owner_read | fs::perms::owner_write);
            EXPECT_THAT(refusalOn(data), HasSubstr("playing on the data folder " + data));
            TempFolder::write(data + "/new", "");
            fs::permissions(data + "/new", fs::perms::owner_read | fs::perms::owner_write);
            fs::rename(data + "/new", name);
            EXPECT_THAT(refusalOn(data), HasSubstr("playing on the data folder " + data));
        }
    }
}

// Another user who opened a data folder made 0755 by hand and locked it held
// every game of the player's off ("another game is playing"). Only a game's
// lock file and mark keep a game out: a lock of another program, of any
// shape, is named in the log and the game plays, while a second game is
// still refused.
TEST(DataFolderLockTest, AnotherProgramsLockOnTheFolderKeepsNoGameOut) {
    for (const std::string how : {"flock-shared", "flock-exclusive", "posix", "ofd"}) {
        SCOPED_TRACE(how);
        TempFolder folder;
        const std::string data = folder.file("data");
        fs::create_directories(data);
        const ForeignLock other(data, how);
        ASSERT_TRUE(other.held);
        std::optional<ZQDataFolderLock> first;
        const std::string log =
            logOf([&] { first.emplace(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes)); });
        EXPECT_FALSE(first->refused()) << ZQ::line(*first->refusal);
        // A lock through an open file names no process.
        EXPECT_THAT(log, HasSubstr("The data folder " + data + " is locked by " +
                                   (how == "ofd" ? std::string("a program holding it through an open file")
                                                 : "process " + std::to_string(other.child) + " of " +
                                                       ZQ::accountName(::geteuid()))))
            << log;
        EXPECT_THAT(refusalOn(data), HasSubstr("another game is playing on the data folder " + data));
    }
}

// A game's mark with no game's lock file held behind it (a program that
// mimics it, or a game in a namespace whose lock file was made anew) cannot
// be told from a game: the start is refused, and its mend, run as printed,
// gives the game a copy of the folder that no program holds, keeping the
// folder itself.
TEST(DataFolderLockTest, AMarkNoLockFileBacksIsRefusedWithACopyToPlayOn) {
    TempFolder folder;
    const std::string data = folder.file("data");
    fs::create_directories(data);
    TempFolder::write(data + "/defaults.plist", "<plist version=\"1.0\"><dict/></plist>\n");
    std::string refusal;
    {
        const ForeignLock mimic(data, "ofd", ZQDataFolderLock::kMarkByte, 1);
        ASSERT_TRUE(mimic.held);
        const ZQDataFolderLock lock(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        ASSERT_TRUE(lock.refused());
        refusal = ZQ::line(*lock.refusal);
        EXPECT_THAT(refusal, HasSubstr("another game may be playing on the data folder " + data +
                                       ": the folder bears another game's mark while its lock file is free"));
        const std::string copy = lock.refusal->mends.back().command;
        const ZQDataFolderLock third(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes));
        EXPECT_TRUE(third.refused()) << "a refused start kept the lock file";
        EXPECT_EQ(runShell(copy).status, 0) << copy;
        EXPECT_EQ(refusalOn(data), "");
    }
    EXPECT_EQ(TempFolder::read(data + "/defaults.plist"), "<plist version=\"1.0\"><dict/></plist>\n");
    const std::vector<std::string> kept = folder.entries();
    ASSERT_EQ(kept.size(), 2u) << refusal;
    EXPECT_TRUE(kept[1].starts_with("data.held-"));
    EXPECT_EQ(TempFolder::read(folder.file(kept[1] + "/defaults.plist")),
              TempFolder::read(data + "/defaults.plist"));
}

// Whatever stood at the lock file's name that others could have opened and
// locked (a FIFO, a link, a file with bits for others) kept the game out or
// made it wait. The player's own is made anew, a link's target untouched; a
// folder there is the player's to move, with the command that does it.
TEST(DataFolderLockTest, ALockFileOnlyTheGameCouldHoldTakesTheNameOfAnyOther) {
    for (const auto& [what, make] : kStrangers) {
        SCOPED_TRACE(what);
        TempFolder folder;
        const std::string data = folder.file("data");
        const std::string name = data + "/" + ZQDataFolderLock::kLockFile;
        fs::create_directories(data);
        TempFolder::write(folder.file("elsewhere.txt"), "kept");
        make(name, folder.file("elsewhere.txt"));
        std::optional<ZQDataFolderLock> lock;
        const std::string log =
            logOf([&] { lock.emplace(data, ZQ::OwnedFolder::open(data, ZQ::OwnedFolder::Make::yes)); });
        if (fs::is_directory(fs::symlink_status(name))) {
            ASSERT_TRUE(lock->refused());
            EXPECT_THAT(ZQ::line(*lock->refusal),
                        HasSubstr("the game keeps its lock file at " + name + ", where a folder stands"));
            EXPECT_EQ(runShell(lock->refusal->mends.back().command).status, 0);
            EXPECT_EQ(refusalOn(data), "");
            const std::vector<std::string> moved = folder.entries("data");
            ASSERT_EQ(moved.size(), 2u);
            EXPECT_EQ(TempFolder::read(data + "/" + moved[1] + "/notes.txt"), "kept");
            continue;
        }
        EXPECT_FALSE(lock->refused()) << ZQ::line(*lock->refusal);
        EXPECT_THAT(log, HasSubstr("The lock file " + name + " was "));
        EXPECT_TRUE(S_ISREG(lstatOf(name).st_mode));
        EXPECT_EQ(lstatOf(name).st_mode & 07777, 0600u);
        EXPECT_EQ(TempFolder::read(folder.file("elsewhere.txt")), "kept");
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

// A lock any user could open let them hold every game off with flock. The
// lock file is the player's alone, and the folder is opened by no one else
// from the game's start on, so no one can lay a mark on it either.
TEST(DataFolderLockTest, TheLockIsTheGamesAlone) {
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    EXPECT_EQ(refusalOn(folder.path()), "");
    EXPECT_EQ(fs::status(folder.path()).permissions(),
              fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    EXPECT_EQ(fs::status(folder.file(ZQDataFolderLock::kLockFile)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
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

// Another user who opened the player's data folder (made 0755 by hand) and
// locked it before the game started turned every start of the player's
// away. The player's game plays and saves, and says whose lock it met; a
// second game of the player's, started while it plays, is still refused.
TEST(DataFolderLockTest, AnotherUsersLockOnThePlayersFolderKeepsNoGameOfTheirsOut) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP()
            << "needs root: another user's lock and the player's games, each as an account of its own";
    }
    const uid_t other = 65533;
    const std::string player = std::to_string(asplayer::kPlayer);
    const std::vector<std::string> asPlayer = {"/usr/bin/setpriv", "--reuid=" + player, "--regid=" + player,
                                               "--clear-groups"};
    for (const std::string how : {"flock-shared", "flock-exclusive"}) {
        SCOPED_TRACE(how);
        TempFolder home;
        const std::string data = home.file("data/velmora");
        fs::create_directories(data);
        for (const std::string& made : {home.path(), home.file("data"), data}) {
            ASSERT_EQ(::chown(made.c_str(), asplayer::kPlayer, asplayer::kPlayer), 0);
            ASSERT_EQ(::chmod(made.c_str(), 0755), 0);
        }
        const ForeignLock locker(data, how, 0, 0, other);
        ASSERT_TRUE(locker.held) << "the other user's lock was not taken";

        // The player's game, stopped once it draws its first frame.
        std::vector<std::string> game = asPlayer;
        game.insert(game.end(), {"/usr/bin/env", "-u", "VELMORA_CLOUD_DIR", "-u", "VELMORA_BUNDLE",
                                 "HOME=" + home.path(), "XDG_DATA_HOME=" + home.file("data"),
                                 VELMORA_EXECUTABLE, "--headless", "--print-frames", "--frames", "30"});
        int frames[2];
        ASSERT_EQ(::pipe2(frames, O_CLOEXEC), 0);
        const int errors = ::open(home.file("errors.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const pid_t first = killprobe::spawnOn(game, frames[1], -1, errors);
        ::close(frames[1]);
        ::close(errors);
        FILE* drawn = ::fdopen(frames[0], "r");
        char line[64];
        ASSERT_NE(std::fgets(line, sizeof line, drawn), nullptr);
        ::kill(first, SIGSTOP);
        std::string second;
        for (const std::string& word : asPlayer) {
            second += word + " ";
        }
        const GameRun secondRun =
            runShell(second + "env -u VELMORA_CLOUD_DIR HOME='" + home.path() + "' XDG_DATA_HOME='" +
                     home.file("data") + "' '" + VELMORA_EXECUTABLE + "' --headless --frames 1");
        ::kill(first, SIGCONT);
        while (std::fgets(line, sizeof line, drawn) != nullptr) {
        }
        std::fclose(drawn);
        int status = -1;
        ::waitpid(first, &status, 0);

        const std::string log = TempFolder::read(home.file("errors.txt"));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
        EXPECT_THAT(log, HasSubstr("The data folder " + data + " is locked by process " +
                                   std::to_string(locker.child) + " of " + ZQ::accountName(other)));
        EXPECT_TRUE(fs::exists(data + "/leaderboards.plist")) << log;
        EXPECT_EQ(secondRun.status, 1) << secondRun.output;
        EXPECT_THAT(secondRun.output, HasSubstr("another game is playing on the data folder " + data));
    }
}

} // namespace
