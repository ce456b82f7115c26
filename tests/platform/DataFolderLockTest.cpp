#include "platform/ZQDataFolderLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Whatever stands where the lock file goes, a game takes the folder and a
// second game is turned away: a folder, a link or a FIFO there once let
// every game play on the folder, each writing its record over the others'.
// So did a lock file left by a run as another user, and one hard-linked to
// the defaults had them emptied and set aside as damaged.

namespace {

namespace fs = std::filesystem;

// Mode bits stop no root, and CI runs the tests as root: there the lock
// objects run in a child process as this unprivileged user, in folders
// handed to it, beside files that root keeps.
constexpr uid_t kLockPlayer = 65534;

// A binary list with zero bytes, as the defaults store writes.
const std::string kLockTestDefaults =
    std::string("bplist00\xd1\x01\x02\x00\x00\x10\x03", 15) + "zr_music_volume";

bool lockTestsRunAsRoot() {
    return ::geteuid() == 0;
}

void handToPlayer(const std::string& path) {
    if (lockTestsRunAsRoot()) {
        ASSERT_EQ(::chown(path.c_str(), kLockPlayer, kLockPlayer), 0) << path;
    }
}

// A file of `mode` the player does not own; without root, where nothing can
// be given away, its own with no write bit, which stops its opening as well.
void leaveAsAnotherUsers(const std::string& path, mode_t mode) {
    ASSERT_EQ(::chmod(path.c_str(), lockTestsRunAsRoot() ? mode : mode & ~0222), 0) << path;
}

bool becomePlayer() {
    return !lockTestsRunAsRoot() ||
           (::setgroups(0, nullptr) == 0 && ::setgid(kLockPlayer) == 0 && ::setuid(kLockPlayer) == 0);
}

// What two games on one folder made of it, one started after the other as
// the player in a child process.
struct TwoGamesOnAFolder {
    bool ran = false;
    bool firstTook = false;
    std::string secondRefusal;
    pid_t child = -1; // the process the lock file should name
};

TwoGamesOnAFolder playTwoGames(const std::string& data) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string report = "x";
        if (becomePlayer()) {
            const ZQDataFolderLock first(data);
            const ZQDataFolderLock second(data);
            report = (first.heldElsewhere() ? "0" : "1") + second.refusal;
        }
        const bool sent =
            ::write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(sent && report != "x" ? 0 : 3);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n = 0; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    TwoGamesOnAFolder games;
    games.ran = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0 && !report.empty();
    if (games.ran) {
        games.child = child;
        games.firstTook = report[0] == '1';
        games.secondRefusal = report.substr(1);
    }
    return games;
}

// A process that has ended: a number no game holds a lock under.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
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

TEST(DataFolderLockTest, ALockFileThisUserMayNotWriteOrThatHasASecondNameIsReplacedAndTheDefaultsKept) {
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> cases = {
        {"left by another user",
         [](const std::string& lock) {
             TempFolder::write(lock, "1\n");
             leaveAsAnotherUsers(lock, 0644);
         }},
        {"unreadable",
         [](const std::string& lock) {
             TempFolder::write(lock, "1\n");
             leaveAsAnotherUsers(lock, 0);
         }},
        {"a hard link to the defaults",
         [](const std::string& lock) {
             fs::create_hard_link(fs::path(lock).parent_path() / "defaults.plist", lock);
         }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = folder.file("data");
        fs::create_directories(data);
        TempFolder::write(data + "/defaults.plist", kLockTestDefaults);
        handToPlayer(folder.path());
        handToPlayer(data);
        handToPlayer(data + "/defaults.plist");
        make(data + "/.lock");

        const TwoGamesOnAFolder games = playTwoGames(data);
        ASSERT_TRUE(games.ran);
        EXPECT_TRUE(games.firstTook);
        EXPECT_NE(games.secondRefusal.find("(process " + std::to_string(games.child) + ")"),
                  std::string::npos)
            << games.secondRefusal;
        EXPECT_EQ(TempFolder::read(data + "/defaults.plist"), kLockTestDefaults);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(data + "/.lock")));
        EXPECT_EQ(fs::hard_link_count(data + "/.lock"), 1u);
        const std::vector<std::string> entries = folder.entries("data");
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                                [](const std::string& name) { return name.rfind(".lock.corrupt-", 0) == 0; }),
                  1)
            << "the old lock file is not kept aside once";
    }
}

TEST(DataFolderLockTest, ALockFileThatCannotBeSetAsideIsLockedAsItIsAndNeverWritten) {
    const std::string endedGame = std::to_string(endedProcess()) + "\n";
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> cases = {
        {"readable only",
         [&](const std::string& lock) {
             TempFolder::write(lock, endedGame);
             leaveAsAnotherUsers(lock, 0644);
         }},
        {"a hard link to the defaults",
         [](const std::string& lock) {
             fs::create_hard_link(fs::path(lock).parent_path() / "defaults.plist", lock);
         }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what + " in a folder the player cannot write");
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string data = folder.file("data");
        fs::create_directories(data);
        TempFolder::write(data + "/defaults.plist", kLockTestDefaults);
        handToPlayer(folder.path());
        handToPlayer(data + "/defaults.plist");
        make(data + "/.lock");
        const std::string before = TempFolder::read(data + "/.lock");
        if (!lockTestsRunAsRoot()) {
            ASSERT_EQ(::chmod(data.c_str(), 0555), 0);
        }

        const TwoGamesOnAFolder games = playTwoGames(data);
        ::chmod(data.c_str(), 0755);
        ASSERT_TRUE(games.ran);
        EXPECT_TRUE(games.firstTook);
        EXPECT_EQ(games.secondRefusal.rfind("another game is playing on the data folder " + data, 0), 0u)
            << games.secondRefusal;
        EXPECT_EQ(TempFolder::read(data + "/.lock"), before);
        EXPECT_EQ(TempFolder::read(data + "/defaults.plist"), kLockTestDefaults);
        EXPECT_EQ(folder.entries("data"), (std::vector<std::string>{".lock", "defaults.plist"}));
    }
}

} // namespace
