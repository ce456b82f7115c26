#include "engine/PlistFileStore.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <tuple>

// A store file stays the player's whoever ran the game last: one this user
// cannot read is no damage, and a write keeps the owner and mode of the
// file it replaces.

namespace {

using ZQ::PlistFileStore;

struct stat statOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

// Another user's file with mode 0600 (without root, the tests' own with no
// bits) once went aside as damage, still that user's, and the game started
// empty. Now nothing is read, written or set aside, the log says whose it
// is, and the store tries it again.
TEST(PlistFileStoreOwner, AFileThisUserCannotReadStaysAsItIsUntilItCanBeRead) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 7); });
    ASSERT_TRUE(asplayer::handToPlayer(folder.path()));
    ASSERT_EQ(::chmod(path.c_str(), asplayer::testsRunAsRoot() ? 0600 : 0), 0);
    const std::string bytes = TempFolder::read(path);
    const struct stat before = statOf(path);
    const std::string mode = asplayer::testsRunAsRoot() ? "root (uid 0), mode 0600" : "mode 0000";

    const std::string played = asplayer::run([&] {
        testing::internal::CaptureStderr();
        PlistFileStore store(path);
        std::string report = std::to_string(store.contents().size()) + " read";
        store.setInteger("sound", 1);
        report += store.synchronize() ? ", written" : ", not written";
        const std::string log = testing::internal::GetCapturedStderr();
        report += log.find(mode + ", and the game runs as") != std::string::npos ? ", owner named" : log;
        return report;
    });
    EXPECT_EQ(played, "0 read, not written, owner named");
    EXPECT_EQ(TempFolder::read(path), bytes);
    const struct stat after = statOf(path);
    EXPECT_EQ(std::tie(after.st_ino, after.st_uid, after.st_mode),
              std::tie(before.st_ino, before.st_uid, before.st_mode));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});

    // A readable file put in its place is taken in, and the store writes.
    const std::string mended = asplayer::run([&] {
        PlistFileStore store(path);
        store.setInteger("sound", 1);
        PlistFileStore(path + ".copy").update([](ZQ::KeyValueStore& copy) { copy.setInteger("level", 9); });
        std::rename((path + ".copy").c_str(), path.c_str());
        return store.pullExternalChanges().size() == 1 && store.synchronize() ? "taken in" : "not taken in";
    });
    EXPECT_EQ(mended, "taken in");
    EXPECT_EQ(PlistFileStore(path).integerForKey("sound"), 1);
}

// Every write once made a fresh 0600 file of the writing user: a game run
// as root on a player's folder left it root's, and a 0644 file came back
// 0600. A file made anew is still 0600.
TEST(PlistFileStoreOwner, AWriteKeepsTheOwnerAndModeOfTheFileItReplaces) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 1); });
    ASSERT_TRUE(asplayer::handToPlayer(path));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    const struct stat before = statOf(path);
    PlistFileStore(path).update([](ZQ::KeyValueStore& store) { store.setInteger("level", 2); });
    PlistFileStore(path + ".new").update([](ZQ::KeyValueStore& store) { store.setInteger("level", 1); });
    const struct stat after = statOf(path);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(statOf(path + ".new").st_mode & 07777, 0600u);
}

} // namespace
