#include "engine/PlistFileStore.h"
#include "engine/SafeFiles.h"
#include "support/AsPlayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <tuple>

// A store sets aside only a damaged file, and only the one it read; a file
// it cannot read stays as it is; a write keeps the owner and mode of the
// file it replaces. The moment between a read and its set-aside is reached
// through the store's seam, not a race.

namespace {

using ZQ::PlistFileStore;

const std::string kTornList = "<plist><dict><key>level</key><integer>6";

struct stat statOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

void storeLevel(const std::string& path, int64_t level) {
    PlistFileStore(path).update([level](ZQ::KeyValueStore& store) { store.setInteger("level", level); });
}

// Runs `meanwhile` between each read of a damaged file and its set-aside.
struct BetweenReadAndSetAside {
    explicit BetweenReadAndSetAside(std::function<void(const std::string&)> meanwhile) {
        PlistFileStore::beforeSetAside = std::move(meanwhile);
    }
    ~BetweenReadAndSetAside() { PlistFileStore::beforeSetAside = nullptr; }
};

// Another user's file with mode 0600 (without root, the tests' own with no
// bits) once went aside as damage, still that user's, and the game started
// empty. Now nothing is read, written or set aside, the log says whose it
// is, and the store tries it again.
TEST(PlistFileStoreKeeps, AFileThisUserCannotReadStaysAsItIsUntilItCanBeRead) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    storeLevel(path, 7);
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
        return report +
               (log.find(mode + ", and the game runs as") != std::string::npos ? ", owner named" : log);
    });
    EXPECT_EQ(played, "0 read, not written, owner named");
    const struct stat after = statOf(path);
    EXPECT_EQ(TempFolder::read(path), bytes);
    EXPECT_EQ(std::tie(after.st_ino, after.st_uid, after.st_mode),
              std::tie(before.st_ino, before.st_uid, before.st_mode));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});

    // A readable file put in its place is taken in, and the store writes.
    const std::string mended = asplayer::run([&] {
        PlistFileStore store(path);
        store.setInteger("sound", 1);
        storeLevel(path + ".copy", 9);
        std::rename((path + ".copy").c_str(), path.c_str());
        return store.pullExternalChanges().size() == 1 && store.synchronize() ? "taken in" : "not taken in";
    });
    EXPECT_EQ(mended, "taken in");
    EXPECT_EQ(PlistFileStore(path).integerForKey("sound"), 1);
}

// Every write once made a fresh 0600 file of the writing user: a game run
// as root on a player's folder left it root's, and a 0644 file came back
// 0600. A file made anew is still 0600.
TEST(PlistFileStoreKeeps, AWriteKeepsTheOwnerAndModeOfTheFileItReplaces) {
    TempFolder folder;
    const std::string path = folder.file("store.plist");
    storeLevel(path, 1);
    ASSERT_TRUE(asplayer::handToPlayer(path));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    const struct stat before = statOf(path);
    storeLevel(path, 2);
    storeLevel(path + ".new", 1);
    const struct stat after = statOf(path);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_mode),
              std::tie(before.st_uid, before.st_gid, before.st_mode));
    EXPECT_EQ(statOf(path + ".new").st_mode & 07777, 0600u);
}

// A good cloud file synced in while a damaged one was read was set aside as
// damaged, and its record never taken in. Games that found a damaged shared
// file already moved by another left their store unwritten and unread for
// the whole session.
TEST(PlistFileStoreKeeps, OnlyTheDamagedFileThatWasReadIsSetAside) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    TempFolder::write(path, kTornList);
    {
        const BetweenReadAndSetAside sync([](const std::string& store) {
            storeLevel(store + ".synced", 10);
            std::rename((store + ".synced").c_str(), store.c_str());
        });
        EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 10);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"}) << "nothing set aside";
    }

    TempFolder::write(path, kTornList);
    const std::string moved = path + ".corrupt-by-another-game";
    const BetweenReadAndSetAside other(
        [&](const std::string& store) { std::rename(store.c_str(), moved.c_str()); });
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("sound", 1);
    EXPECT_TRUE(store.synchronize());
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // a stamp of its own
    storeLevel(path, 4);
    EXPECT_EQ(store.pullExternalChanges(), std::vector<std::string>{"level"});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("another game set it aside first"), std::string::npos) << log;
    EXPECT_EQ(PlistFileStore(path).integerForKey("sound"), 1);
    EXPECT_EQ(TempFolder::read(moved), kTornList);

    // A file that takes the place of the one looked at before the rename is
    // put back.
    int looks = 0;
    std::string aside;
    EXPECT_EQ(ZQ::setAsideIf(
                  path, [&looks](const struct stat&) { return ++looks == 1; }, aside),
              ZQ::AsideOutcome::Replaced);
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 4);
}

} // namespace
