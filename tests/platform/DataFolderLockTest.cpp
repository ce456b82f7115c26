#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Whatever stands where the lock file goes, a game takes the folder and a
// second game is turned away: a folder, a link or a FIFO there once let
// every game play on the folder, each writing its record over the others'.
// So did a lock file left by a run as another user, and one hard-linked to
// the defaults had them emptied and set aside as damaged. A lock file held
// by a game run as root was set aside by the player's, which could not open
// it, and a game turned away named whatever process the file's number was.

namespace {

namespace fs = std::filesystem;

// A binary list with zero bytes, as the defaults store writes.
const std::string kLockTestDefaults =
    std::string("bplist00\xd1\x01\x02\x00\x00\x10\x03", 15) + "zr_music_volume";

using LockFileMaker = std::function<void(const std::string& lock)>;

void handToPlayer(const std::string& path) {
    ASSERT_TRUE(asplayer::handToPlayer(path)) << path;
}

void leaveAsAnotherUsers(const std::string& path, const std::string& bytes, mode_t mode) {
    TempFolder::write(path, bytes);
    ASSERT_EQ(::chmod(path.c_str(), asplayer::testsRunAsRoot() ? mode : mode & ~0222), 0) << path;
}

const std::pair<std::string, LockFileMaker> kLockLinkedToTheDefaults = {
    "a hard link to the defaults", [](const std::string& lock) {
        fs::create_hard_link(fs::path(lock).parent_path() / "defaults.plist", lock);
    }};

// The lock files the player may not write: none of them kept a second game
// out, and the hard link had the defaults emptied.
const std::vector<std::pair<std::string, LockFileMaker>> kLockFilesNotThePlayers = {
    {"left by another user", [](const std::string& lock) { leaveAsAnotherUsers(lock, "1\n", 0644); }},
    {"unreadable", [](const std::string& lock) { leaveAsAnotherUsers(lock, "1\n", 0); }},
    kLockLinkedToTheDefaults,
};

// A data folder in `temp`, with defaults the player may write and the lock
// file `make` leaves; the player's own folder when `playerWrites`.
std::string makeDataFolder(const TempFolder& temp, const LockFileMaker& make, bool playerWrites) {
    const std::string data = temp.file("data");
    fs::create_directories(data);
    TempFolder::write(data + "/defaults.plist", kLockTestDefaults);
    handToPlayer(temp.path());
    handToPlayer(data + "/defaults.plist");
    if (playerWrites) {
        handToPlayer(data);
    }
    make(data + "/.lock");
    if (!playerWrites && !asplayer::testsRunAsRoot()) {
        ::chmod(data.c_str(), 0555);
    }
    return data;
}

// "<this process> took it; <the refusal of a second game started after>".
std::string playTwoGames(const std::string& data) {
    const ZQDataFolderLock first(data);
    const ZQDataFolderLock second(data);
    return std::to_string(::getpid()) + (first.heldElsewhere() ? " was turned away; " : " took it; ") +
           second.refusal;
}

// How many of `count` games started at once on `data` took it, each in a
// process of its own that holds what it took until all have tried: one that
// ended would leave the folder free to the next.
std::string raceForTheFolder(const std::string& data, int count) {
    int start[2];
    int results[2];
    int release[2];
    if (::pipe(start) != 0 || ::pipe(results) != 0 || ::pipe(release) != 0) {
        return "no pipes";
    }
    ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO); // each game logs the file it set aside
    int started = 0;
    for (; started < count; ++started) {
        const pid_t game = ::fork();
        if (game < 0) {
            break;
        }
        if (game == 0) {
            ::close(start[1]);
            ::close(release[1]);
            char outcome = 'x';
            if (::read(start[0], &outcome, 1) == 0) {
                const ZQDataFolderLock lock(data);
                outcome = lock.heldElsewhere() ? '0' : '1';
                const bool sent = ::write(results[1], &outcome, 1) == 1;
                ::_exit(sent && ::read(release[0], &outcome, 1) == 0 ? 0 : 1);
            }
            ::_exit(::write(results[1], &outcome, 1) == 1 ? 1 : 2);
        }
    }
    ::close(start[1]);
    ::close(results[1]);
    int heard = 0;
    int took = 0;
    char outcome = 0;
    for (; heard < started && ::read(results[0], &outcome, 1) == 1 && outcome != 'x'; ++heard) {
        took += outcome == '1';
    }
    ::close(release[1]);
    while (::wait(nullptr) > 0) {
    }
    return heard == count ? std::to_string(took) + " took it" : std::to_string(heard) + " ran";
}

TEST(DataFolderLockTest, AnythingButALockFileIsSetAsideAndTheFolderStillHoldsOneGame) {
    const std::vector<std::pair<std::string, std::function<void(const TempFolder&, const std::string&)>>>
        cases = {
            {"a folder",
             [](const TempFolder&, const std::string& lock) { fs::create_directories(lock + "/inside"); }},
            {"a dangling link", [](const TempFolder& f,
                                   const std::string& lock) { fs::create_symlink(f.file("nowhere"), lock); }},
            {"a link to a file",
             [](const TempFolder& f, const std::string& lock) {
                 TempFolder::write(f.file("elsewhere.txt"), "kept");
                 fs::create_symlink(f.file("elsewhere.txt"), lock);
             }},
            {"a FIFO", [](const TempFolder&, const std::string& lock) { ::mkfifo(lock.c_str(), 0644); }},
        };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = folder.file("data");
        fs::create_directories(data);
        make(folder, data + "/.lock");
        testing::internal::CaptureStderr();
        const ZQDataFolderLock first(data);
        const ZQDataFolderLock second(data);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(first.heldElsewhere()) << log;
        EXPECT_TRUE(second.heldElsewhere()) << log;
        EXPECT_NE(second.refusal.find("process " + std::to_string(::getpid())), std::string::npos)
            << second.refusal;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(data + "/.lock")));
        const std::vector<std::string> entries = folder.entries("data");
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].rfind(".lock.corrupt-", 0), 0u) << entries[1];
        if (fs::exists(folder.file("elsewhere.txt"))) {
            EXPECT_EQ(TempFolder::read(folder.file("elsewhere.txt")), "kept")
                << "the link's target was written";
        }
    }
}

TEST(DataFolderLockTest, ALockFileThatCannotBeSetAsideIsLockedAsItIsAndNeverWritten) {
    const std::vector<std::pair<std::string, LockFileMaker>> cases = {
        {"readable only, naming process 1",
         [](const std::string& lock) { leaveAsAnotherUsers(lock, "1\n", 0644); }},
        kLockLinkedToTheDefaults,
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what + " in a folder the player cannot write");
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = makeDataFolder(folder, make, false);
        const std::string before = TempFolder::read(data + "/.lock");

        const std::string games = asplayer::run([&] { return playTwoGames(data); });
        ::chmod(data.c_str(), 0755);
        const std::string first = games.substr(0, games.find(' '));
        EXPECT_NE(games.find(" took it; another game (process " + first + ") is playing on the data folder " +
                             data + ";"),
                  std::string::npos)
            << games;
        EXPECT_EQ(TempFolder::read(data + "/.lock"), before);
        EXPECT_EQ(TempFolder::read(data + "/defaults.plist"), kLockTestDefaults);
        EXPECT_EQ(folder.entries("data"), (std::vector<std::string>{".lock", "defaults.plist"}));
    }
}

TEST(DataFolderLockTest, ALockFileAnotherProcessHoldsTurnsTheGameAwayWhateverItsModeAndNamesItsHolder) {
    // A game run as root opens a lock file of mode 000 that the player's
    // cannot; a number in the file may be any process's.
    for (const bool playerWrites : {true, false}) {
        SCOPED_TRACE(playerWrites ? "in the player's folder" : "in a folder the player cannot write");
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = makeDataFolder(
            folder, [](const std::string& lock) { TempFolder::write(lock, "1\n"); }, playerWrites);
        const std::string lock = data + "/.lock";
        const int held = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        ASSERT_EQ(::chmod(lock.c_str(), 0), 0);

        const std::string refusal = asplayer::run([&] { return ZQDataFolderLock(data).refusal; });
        ::close(held);
        ::chmod(data.c_str(), 0755);
        ::chmod(lock.c_str(), 0644);
        EXPECT_EQ(refusal.rfind("another game (process " + std::to_string(::getpid()) +
                                    ") is playing on the data folder " + data + ";",
                                0),
                  0u)
            << refusal;
        EXPECT_EQ(TempFolder::read(lock), "1\n");
        EXPECT_EQ(folder.entries("data"), (std::vector<std::string>{".lock", "defaults.plist"}));
    }
}

TEST(DataFolderLockTest, GamesStartedAtOnceLeaveOneOnTheFolderWhateverLockFileTheyFind) {
    std::vector<std::pair<std::string, LockFileMaker>> cases = {
        {"no lock file", [](const std::string&) {}},
        {"a FIFO", [](const std::string& lock) { ::mkfifo(lock.c_str(), 0644); }},
    };
    cases.insert(cases.end(), kLockFilesNotThePlayers.begin(), kLockFilesNotThePlayers.end());
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = makeDataFolder(folder, make, true);

        EXPECT_EQ(asplayer::run([&] { return raceForTheFolder(data, 250); }), "1 took it");
        EXPECT_EQ(TempFolder::read(data + "/defaults.plist"), kLockTestDefaults);
        EXPECT_EQ(fs::hard_link_count(data + "/.lock"), 1u);
        const std::vector<std::string> entries = folder.entries("data");
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [](const std::string& name) { return name.rfind(".lock.corrupt-", 0) == 0; }),
                  what == "no lock file" ? 0 : 1)
            << "the old lock file is not kept aside once";
    }
}

} // namespace
