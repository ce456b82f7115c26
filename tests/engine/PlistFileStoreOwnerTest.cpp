#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

// A store file is the player's, whoever ran the game last: one this user
// cannot read is no damage and stays as it is, and a write leaves the file
// it replaces its owner and mode.

namespace {

using ZQ::PlistFileStore;

struct stat statOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

// A folder the player owns, holding `name` written by a store as `values`.
struct PlayersFolder {
    TempFolder folder;
    std::string path;

    explicit PlayersFolder(const std::string& name,
                           const std::vector<std::pair<std::string, int64_t>>& values)
        : path(folder.file(name)) {
        PlistFileStore store(path);
        for (const auto& [key, value] : values) {
            store.setInteger(key, value);
        }
        store.synchronize();
        asplayer::handToPlayer(folder.path());
    }
};

// Another user's file with mode 0600 in the player's folder (without root,
// the tests' own file with no bits at all): the player's game reads nothing
// from it, writes nothing over it and sets nothing aside, and says whose it
// is. Once a readable file takes its place, the same store takes it in and
// writes again.
TEST(PlistFileStoreOwner, AFileThisUserCannotReadStaysAsItIsAndIsTriedAgain) {
    PlayersFolder players("store.plist", {{"level", 7}});
    ASSERT_TRUE(players.folder.ok());
    const std::string& path = players.path;
    ASSERT_EQ(::chmod(path.c_str(), asplayer::testsRunAsRoot() ? 0600 : 0), 0);
    const std::string bytes = TempFolder::read(path);
    const struct stat before = statOf(path);

    const std::string whose =
        asplayer::testsRunAsRoot() ? "it belongs to root (uid 0), mode 0600" : ", mode 0000";
    const std::string saved = asplayer::run([&] {
        testing::internal::CaptureStderr();
        PlistFileStore store(path);
        const std::size_t read = store.contents().size();
        store.setInteger("sound", 1);
        const bool written = store.synchronize();
        const std::string log = testing::internal::GetCapturedStderr();
        const bool named =
            log.find("Permission denied (") != std::string::npos && log.find(whose) != std::string::npos;
        return std::to_string(read) + " read, " + (written ? "written" : "not written") +
               (named ? ", its owner named" : ", " + log);
    });
    EXPECT_EQ(saved, "0 read, not written, its owner named");
    EXPECT_EQ(TempFolder::read(path), bytes);
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(players.folder.entries(), std::vector<std::string>{"store.plist"})
        << "nothing set aside or left";

    const std::string mended = asplayer::run([&] {
        testing::internal::CaptureStderr();
        PlistFileStore store(path);
        store.setInteger("sound", 1);
        // A readable copy put in its place, as a file-sync tool or the
        // player would.
        {
            PlistFileStore copy(path + ".copy");
            copy.setInteger("level", 9);
            copy.synchronize();
        }
        std::rename((path + ".copy").c_str(), path.c_str());
        std::string report;
        for (const std::string& key : store.pullExternalChanges()) {
            report += key + " ";
        }
        report += store.synchronize() ? "written" : "not written";
        testing::internal::GetCapturedStderr();
        return report;
    });
    EXPECT_EQ(mended, "level written");
    const PlistFileStore reopened(path);
    EXPECT_EQ(reopened.integerForKey("level"), 9);
    EXPECT_EQ(reopened.integerForKey("sound"), 1);
}

// Every write once made a fresh 0600 file of the writing user: a game run
// as root on a player's folder left it root's, and the player's next game
// could no longer read it; a file kept at 0644 came back 0600.
TEST(PlistFileStoreOwner, AWriteKeepsTheOwnerAndModeOfTheFileItReplaces) {
    PlayersFolder players("store.plist", {{"level", 1}});
    ASSERT_TRUE(players.folder.ok());
    const std::string& path = players.path;
    ASSERT_TRUE(asplayer::handToPlayer(path));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);

    // This user, root in CI, writes over the player's file.
    PlistFileStore store(path);
    store.setInteger("level", 2);
    ASSERT_TRUE(store.synchronize());
    struct stat after = statOf(path);
    EXPECT_EQ(after.st_mode & 07777, 0644u);
    EXPECT_EQ(after.st_uid, asplayer::testsRunAsRoot() ? asplayer::kPlayer : ::geteuid());
    EXPECT_EQ(after.st_gid, asplayer::testsRunAsRoot() ? asplayer::kPlayer : ::getegid());

    // The player writes over it in turn, from a game of their own: still
    // the player's and 0644; and a file made anew is the player's alone.
    const std::string written = asplayer::run([&] {
        PlistFileStore players(path);
        players.setInteger("level", 3);
        PlistFileStore fresh(path + ".new");
        fresh.setInteger("level", 1);
        return std::string(players.synchronize() && fresh.synchronize() ? "written" : "not written");
    });
    EXPECT_EQ(written, "written");
    after = statOf(path);
    EXPECT_EQ(after.st_mode & 07777, 0644u);
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 3);
    EXPECT_EQ(statOf(path + ".new").st_mode & 07777, 0600u);
}

} // namespace
