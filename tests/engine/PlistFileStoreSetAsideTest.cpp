#include "engine/PlistFileStore.h"
#include "engine/SafeFiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

// The file a store sets aside is the file it read: a good file synced in
// while a damaged one was read is read in, never set aside, and a damaged
// file another game moved first leaves the store writing and reading on.
// The moment between the read and the set-aside is reached through the
// store's seam, not by a race.

namespace {

using ZQ::PlistFileStore;

const std::string kTornList = "<plist><dict><key>level</key><integer>6";

// Runs `meanwhile` between each read of a damaged file and its set-aside,
// for as long as it lives.
class BetweenReadAndSetAside {
public:
    explicit BetweenReadAndSetAside(std::function<void(const std::string&)> meanwhile) {
        PlistFileStore::beforeSetAside = std::move(meanwhile);
    }
    ~BetweenReadAndSetAside() { PlistFileStore::beforeSetAside = nullptr; }
    BetweenReadAndSetAside(const BetweenReadAndSetAside&) = delete;
    BetweenReadAndSetAside& operator=(const BetweenReadAndSetAside&) = delete;
};

// A whole list holding `level`, put in place of `path` by a rename, as a
// file-sync tool brings another machine's file.
void syncIn(const std::string& path, int64_t level) {
    {
        PlistFileStore other(path + ".synced");
        other.setInteger("level", level);
        other.synchronize();
    }
    std::rename((path + ".synced").c_str(), path.c_str());
}

std::vector<std::string> entriesAside(const TempFolder& folder) {
    std::vector<std::string> aside;
    for (const std::string& name : folder.entries()) {
        if (name.find(".corrupt-") != std::string::npos) {
            aside.push_back(name);
        }
    }
    return aside;
}

TEST(PlistFileStoreSetAside, AGoodFileSyncedInWhileADamagedOneWasReadIsReadInAndNotSetAside) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("cloud.plist");
    TempFolder::write(path, kTornList);
    int synced = 0;
    const BetweenReadAndSetAside sync([&](const std::string& store) { syncIn(store, 10 + synced++); });

    // At the start...
    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(store.integerForKey("level"), 10);
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 10) << "the good file stays in place";
    EXPECT_TRUE(entriesAside(folder).empty());

    // ... and while the game runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TempFolder::write(folder.file("torn"), kTornList);
    std::rename(folder.file("torn").c_str(), path.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(store.pullExternalChanges(), std::vector<std::string>{"level"});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(store.integerForKey("level"), 11);
    EXPECT_EQ(PlistFileStore(path).integerForKey("level"), 11);
    EXPECT_TRUE(entriesAside(folder).empty());
    EXPECT_EQ(synced, 2);
}

// Three games started at once on one damaged shared file: those that found
// it already moved once left their store unwritten and unread for the
// whole session.
TEST(PlistFileStoreSetAside, ADamagedFileAnotherGameMovedFirstLeavesTheStoreWritingAndReading) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("cloud.plist");
    const std::string movedByOther = path + ".corrupt-by-another-game";
    TempFolder::write(path, kTornList);
    const BetweenReadAndSetAside other(
        [&](const std::string& store) { std::rename(store.c_str(), movedByOther.c_str()); });

    testing::internal::CaptureStderr();
    PlistFileStore store(path);
    store.setInteger("sound", 1);
    EXPECT_TRUE(store.synchronize());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("another game set it aside first"), std::string::npos) << log;
    EXPECT_EQ(PlistFileStore(path).integerForKey("sound"), 1);
    EXPECT_EQ(TempFolder::read(movedByOther), kTornList);

    // Another machine's change is read in.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    {
        PlistFileStore another(path);
        another.setInteger("level", 4);
        ASSERT_TRUE(another.synchronize());
    }
    EXPECT_EQ(store.pullExternalChanges(), std::vector<std::string>{"level"});

    // A damaged file synced in while the game runs, moved by another game
    // first: what memory holds is written back.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TempFolder::write(path, kTornList);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(store.pullExternalChanges().empty());
    store.setInteger("sound", 2);
    EXPECT_TRUE(store.synchronize());
    testing::internal::GetCapturedStderr();
    const PlistFileStore reopened(path);
    EXPECT_EQ(reopened.integerForKey("level"), 4);
    EXPECT_EQ(reopened.integerForKey("sound"), 2);
    EXPECT_TRUE(entriesAside(folder) == std::vector<std::string>{"cloud.plist.corrupt-by-another-game"});
}

// The narrowest case: the path names the file looked at, then another
// file between that look and the rename. The file moved is put back.
TEST(PlistFileStoreSetAside, AFileThatTookThePlaceOfTheOneLookedAtIsPutBack) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("cloud.plist");
    TempFolder::write(path, "synced in");
    int looks = 0;
    std::string aside;
    const ZQ::AsideOutcome outcome = ZQ::setAsideIf(
        path, [&looks](const struct stat&) { return ++looks == 1; }, aside);
    EXPECT_EQ(outcome, ZQ::AsideOutcome::Replaced);
    EXPECT_EQ(looks, 2);
    EXPECT_EQ(TempFolder::read(path), "synced in");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"cloud.plist"});
}

} // namespace
