#include "engine/PlistFileStore.h"
#include "engine/SafeFiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

// The file a store sets aside is the file it read. The moment between the
// read and the set-aside is reached through the store's seam, not a race.

namespace {

using ZQ::PlistFileStore;

const std::string kTornList = "<plist><dict><key>level</key><integer>6";

// Runs `meanwhile` between each read of a damaged file and its set-aside.
struct BetweenReadAndSetAside {
    explicit BetweenReadAndSetAside(std::function<void(const std::string&)> meanwhile) {
        PlistFileStore::beforeSetAside = std::move(meanwhile);
    }
    ~BetweenReadAndSetAside() { PlistFileStore::beforeSetAside = nullptr; }
};

// A good cloud file synced in while a damaged one was read was set aside as
// damaged, and its record never taken in.
TEST(PlistFileStoreSetAside, AGoodFileSyncedInWhileADamagedOneWasReadIsReadInstead) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    TempFolder::write(path, kTornList);
    const BetweenReadAndSetAside sync([](const std::string& store) {
        PlistFileStore(store + ".synced").update([](ZQ::KeyValueStore& file) {
            file.setInteger("level", 10);
        });
        std::rename((store + ".synced").c_str(), store.c_str());
    });
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 10);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"}) << "nothing set aside";
}

// Games that found a damaged shared file already moved by another once left
// their store unwritten and unread for the whole session.
TEST(PlistFileStoreSetAside, ADamagedFileAnotherGameMovedFirstLeavesTheStoreWritingAndReading) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    const std::string moved = path + ".corrupt-by-another-game";
    TempFolder::write(path, kTornList);
    const BetweenReadAndSetAside other(
        [&](const std::string& store) { std::rename(store.c_str(), moved.c_str()); });
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("sound", 1);
    EXPECT_TRUE(store.synchronize());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PlistFileStore(path).update([](ZQ::KeyValueStore& another) { another.setInteger("level", 4); });
    EXPECT_EQ(store.pullExternalChanges(), std::vector<std::string>{"level"});
    // While the game runs: what memory holds is written back.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TempFolder::write(path, kTornList);
    EXPECT_TRUE(store.pullExternalChanges().empty());
    store.setInteger("sound", 2);
    EXPECT_TRUE(store.synchronize());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("another game set it aside first"), std::string::npos) << log;
    const PlistFileStore reopened(path);
    EXPECT_EQ(reopened.integerForKey("level"), 4);
    EXPECT_EQ(reopened.integerForKey("sound"), 2);
    EXPECT_EQ(TempFolder::read(moved), kTornList);
}

// Another file takes the place of the one looked at between the look and
// the rename: it is put back.
TEST(PlistFileStoreSetAside, AFileThatTookThePlaceOfTheOneLookedAtIsPutBack) {
    TempFolder folder;
    const std::string path = folder.file("cloud.plist");
    TempFolder::write(path, "synced in");
    int looks = 0;
    std::string aside;
    EXPECT_EQ(ZQ::setAsideIf(
                  path, [&looks](const struct stat&) { return ++looks == 1; }, aside),
              ZQ::AsideOutcome::Replaced);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"});
}

} // namespace
