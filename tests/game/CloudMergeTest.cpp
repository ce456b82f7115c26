#include "game/CloudMerge.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"
#include "support/FileCallHook.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

namespace {

using ZQ::CloudMerge;
using ZQ::PlistFileStore;
using ZQ::Preferences;
using ZQ::SavedState;
using ZQ::StoreValue;

constexpr int32_t kLevels = 76;
const char* const kTutorial = Preferences::kTutorialCompletedKey;
const char* const kState = Preferences::kStateKey;

StoreValue record(int32_t maxLevel, int32_t points = 100) {
    SavedState r(kLevels);
    r.level = maxLevel;
    r.max_level = maxLevel;
    r.points = points;
    r.auth_code = SavedState::authCode(r);
    return r.toStored();
}

int64_t maxLevelOf(const StoreValue* stored) {
    return stored != nullptr ? *stored->find("max_level")->asInteger() : -1;
}

class CloudMergeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    // A change to `keys` reported by the cloud store for `reason`.
    void change(std::optional<int64_t> reason, std::vector<std::string> keys) {
        merge.storeDidChange(reason, keys);
    }

    TempFolder folder;
    PlistFileStore defaults{folder.file("defaults.plist")};
    PlistFileStore cloud{folder.file("cloud/cloud.plist")};
    CloudMerge merge{defaults, cloud, kLevels};
};

TEST_F(CloudMergeTest, TheTutorialFlagIsOredAndWritten) {
    cloud.setBool(kTutorial, true);
    change(CloudMerge::ServerChange, {kTutorial});
    EXPECT_TRUE(defaults.boolForKey(kTutorial));
    EXPECT_TRUE(PlistFileStore(folder.file("defaults.plist")).boolForKey(kTutorial));
    cloud.setBool(kTutorial, false);
    change(CloudMerge::InitialSyncChange, {kTutorial});
    EXPECT_TRUE(defaults.boolForKey(kTutorial));
}

TEST_F(CloudMergeTest, TheSavedStateIsReplacedOnlyByOneThatReachedFurther) {
    defaults.setObject(kState, record(12));
    cloud.setObject(kState, record(30));
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 30);
    EXPECT_EQ(maxLevelOf(PlistFileStore(folder.file("defaults.plist")).object(kState)), 30);

    cloud.setObject(kState, record(12));
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 30);

    cloud.setObject(kState, record(30, 999)); // as far, more points: still ours
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(*defaults.object(kState), record(30));
}

TEST_F(CloudMergeTest, WithoutALocalRecordTheCloudsIsCopiedAndWithoutACloudOneNothingChanges) {
    cloud.setObject(kState, record(3));
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(*defaults.object(kState), record(3));
    cloud.remove(kState);
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(*defaults.object(kState), record(3));
}

TEST_F(CloudMergeTest, OtherReasonsAndOtherKeysChangeNothing) {
    defaults.setObject(kState, record(1));
    cloud.setObject(kState, record(40));
    cloud.setBool(kTutorial, true);
    cloud.setInteger(Preferences::kGameModeKey, ZQ::ZenMode);
    for (std::optional<int64_t> reason : {std::optional<int64_t>(CloudMerge::QuotaViolationChange),
                                          std::optional<int64_t>(CloudMerge::AccountChange),
                                          std::optional<int64_t>(-1), std::optional<int64_t>()}) {
        change(reason, {kState, kTutorial});
    }
    change(CloudMerge::ServerChange, {Preferences::kGameModeKey});
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 1);
    EXPECT_FALSE(defaults.boolForKey(kTutorial));
    EXPECT_EQ(defaults.object(Preferences::kGameModeKey), nullptr);
    EXPECT_TRUE(folder.entries().empty()) << "nothing should have been written";
}

TEST_F(CloudMergeTest, ACloudRecordThatFailsItsCheckIsRefused) {
    defaults.setObject(kState, record(5));
    StoreValue::Dictionary forged = *record(60).asDictionary();
    forged.at("points") = StoreValue::integer(1000000); // code no longer matches
    cloud.setDictionary(kState, forged);
    testing::internal::CaptureStderr();
    change(CloudMerge::ServerChange, {kState});
    SavedState outOfRange(kLevels);
    outOfRange.level = 100;
    outOfRange.max_level = 100;
    outOfRange.auth_code = SavedState::authCode(outOfRange);
    cloud.setObject(kState, outOfRange.toStored());
    change(CloudMerge::ServerChange, {kState});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("(auth_code!=pState->auth_code)"), std::string::npos) << log;
    EXPECT_NE(log.find("level is 100"), std::string::npos) << log;
    EXPECT_EQ(*defaults.object(kState), record(5));
    // Without a local record it is refused all the same.
    defaults.remove(kState);
    testing::internal::CaptureStderr();
    change(CloudMerge::ServerChange, {kState});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(defaults.object(kState), nullptr);
}

TEST_F(CloudMergeTest, ALocalRecordThatFailsItsCheckIsKeptAsideWhenReplaced) {
    StoreValue::Dictionary damaged = *record(50).asDictionary();
    damaged.at("auth_code") = StoreValue::string("damaged");
    defaults.setDictionary(kState, damaged);
    cloud.setObject(kState, record(2));
    change(CloudMerge::ServerChange, {kState});
    EXPECT_EQ(*defaults.object(kState), record(2));
    ASSERT_NE(defaults.arrayForKey(SavedState::kRejectedKey), nullptr);
    EXPECT_EQ(defaults.arrayForKey(SavedState::kRejectedKey)->back(), StoreValue::dictionary(damaged));
}

TEST_F(CloudMergeTest, StartMergesWhatTheCloudHoldsAndPollingFindsAnotherMachinesSave) {
    cloud.setBool(kTutorial, true);
    cloud.setObject(kState, record(8));
    ASSERT_TRUE(cloud.synchronize());
    merge.start();
    EXPECT_TRUE(defaults.boolForKey(kTutorial));
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 8);

    // Another machine, through the synced folder.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PlistFileStore elsewhere(folder.file("cloud/cloud.plist"));
    elsewhere.setObject(kState, record(20));
    ASSERT_TRUE(elsewhere.synchronize());
    for (int frame = 1; frame < CloudMerge::kPollFrames; ++frame) {
        merge.doStep();
    }
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 8);
    merge.doStep();
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 20);
    // Nothing new: nothing merged again.
    defaults.setObject(kState, record(9));
    merge.checkForChanges();
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 9);
}

// What the file at `path` holds under "zr_state", read as a restart would.
int64_t storedMaxLevel(const std::string& path) {
    const PlistFileStore store(path);
    return maxLevelOf(store.object(kState));
}

// Another machine's save reaching the shared cloud file through a sync tool.
void syncedIn(const std::string& cloudPath, const StoreValue& stored) {
    // A new modification time, whatever the file system's clock resolution.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PlistFileStore elsewhere(cloudPath);
    elsewhere.setObject(kState, stored);
    ASSERT_TRUE(elsewhere.synchronize());
}

TEST_F(CloudMergeTest, ASaveKeepsProgressMergedOrSyncedInSinceTheLastCheck) {
    // This game holds level 7, Golden on level 2; another, on a data folder
    // of its own, shares the cloud folder and reaches level 30.
    SavedState here(kLevels);
    here.level = here.max_level = 7;
    here.tangleForlevel[2] = 0;
    here.auth_code = SavedState::authCode(here);
    EXPECT_FALSE(merge.save(here));
    syncedIn(folder.file("cloud/cloud.plist"), record(30, 1047));
    merge.checkForChanges();
    // A level chosen on the map: the save writes what the game holds.
    EXPECT_TRUE(here.save(defaults, cloud));
    const auto restarted = SavedState::storedIn(PlistFileStore(folder.file("defaults.plist")), kLevels);
    ASSERT_TRUE(restarted.has_value());
    EXPECT_EQ(std::make_tuple(restarted->max_level, restarted->level, restarted->points,
                              restarted->tangleForlevel[2]),
              std::make_tuple(30, 7, 1047, 0));

    // Level 45 arrives with no check since: the game's save reads the file itself.
    syncedIn(folder.file("cloud/cloud.plist"), record(45, 2000));
    EXPECT_TRUE(merge.save(here));
    for (const std::string& path : {folder.file("defaults.plist"), folder.file("cloud/cloud.plist")}) {
        const auto stored = SavedState::storedIn(PlistFileStore(path), kLevels);
        ASSERT_TRUE(stored.has_value()) << path;
        EXPECT_EQ(
            std::make_tuple(stored->max_level, stored->level, stored->points, stored->tangleForlevel[2]),
            std::make_tuple(45, 7, 2000, 0))
            << path;
    }
}

// A record synced into the cloud file after the save last looked at it, or
// while this game's record waited there after a write that failed, is
// merged, never written over: a store once kept a key waiting to be written
// and dropped the file's newer value for it.
TEST_F(CloudMergeTest, ARecordSyncedInWhileOneWaitsToBeWrittenIsMergedNotWrittenOver) {
    const std::string cloudPath = folder.file("cloud/cloud.plist");
    SavedState here(kLevels);
    here.level = here.max_level = 2;
    here.tangleForlevel[1] = 0;
    here.auth_code = SavedState::authCode(here);
    EXPECT_FALSE(merge.save(here));
    const auto expectBothAt = [&](int32_t maxLevel, int32_t level, int32_t points) {
        for (const std::string& path : {folder.file("defaults.plist"), cloudPath}) {
            const auto stored = SavedState::storedIn(PlistFileStore(path), kLevels);
            ASSERT_TRUE(stored.has_value()) << path;
            EXPECT_EQ(
                std::make_tuple(stored->max_level, stored->level, stored->points, stored->tangleForlevel[1]),
                std::make_tuple(maxLevel, level, points, 0))
                << path;
        }
    };

    // Synced in after the save's look at the cloud file: the save itself,
    // with no check of the merge before it.
    syncedIn(cloudPath, record(10, 900));
    here.level = here.max_level = 3;
    here.auth_code = SavedState::authCode(here);
    EXPECT_TRUE(here.save(defaults, cloud));
    expectBothAt(10, 3, 900);

    // The disk is full for a moment: the record waits to be written.
    // Another machine's level 20 is synced in once there is room, and the
    // merge's poll and the next save take it in.
    here.level = 4;
    here.auth_code = SavedState::authCode(here);
    testing::internal::CaptureStderr();
    {
        const FileCallHook full(
            [](const std::string& call, const std::string&, const std::string&, unsigned flags) {
                return call == "openat" && (flags & O_CREAT) != 0 ? ENOSPC : 0;
            });
        EXPECT_FALSE(merge.save(here));
    }
    syncedIn(cloudPath, record(20, 1500));
    merge.checkForChanges();
    EXPECT_TRUE(merge.save(here));
    const std::string log = testing::internal::GetCapturedStderr();
    expectBothAt(20, 4, 1500);
    EXPECT_NE(log.find("changed by another writer"), std::string::npos) << log;
}

TEST_F(CloudMergeTest, ANewGameOnAnotherMachineNeverLowersTheRecordOfOneFurtherOn) {
    // Machine A continues its record of level 40, stored in both files.
    defaults.setObject(kState, record(40));
    cloud.setObject(kState, record(40));
    ASSERT_TRUE(defaults.synchronize() && cloud.synchronize());
    SavedState a(kLevels);
    ASSERT_TRUE(a.load(defaults));

    // Machine B, on a data folder of its own sharing the cloud folder, takes
    // A's record in at its start, then starts a new game and finishes level 0.
    PlistFileStore bDefaults(folder.file("b/defaults.plist"));
    PlistFileStore bCloud(folder.file("cloud/cloud.plist"));
    CloudMerge bMerge(bDefaults, bCloud, kLevels);
    bMerge.start();
    ASSERT_EQ(maxLevelOf(bDefaults.object(kState)), 40);
    // A level finished and saved: the record names the next one.
    const auto saveAt = [](CloudMerge& machine, SavedState& r, int32_t next) {
        r.level = r.max_level = next;
        r.auth_code = SavedState::authCode(r);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // a new modification time
        return machine.save(r);
    };
    SavedState b(kLevels);
    b.startOver();
    EXPECT_FALSE(saveAt(bMerge, b, 1)) << "a new game takes in no stored progress";
    EXPECT_EQ(storedMaxLevel(folder.file("b/defaults.plist")), 1);
    EXPECT_EQ(storedMaxLevel(folder.file("cloud/cloud.plist")), 1);

    // A's merge keeps A's record; A's next save (level 40 finished) writes it
    // to both files.
    merge.checkForChanges();
    EXPECT_EQ(maxLevelOf(defaults.object(kState)), 40);
    EXPECT_FALSE(saveAt(merge, a, 41));
    EXPECT_EQ(storedMaxLevel(folder.file("defaults.plist")), 41);
    EXPECT_EQ(storedMaxLevel(folder.file("cloud/cloud.plist")), 41);

    // B's merge brings A's record into B's defaults, but B's game goes on
    // with its own: its next save writes level 2 over both of B's files, and
    // A keeps level 41 through it.
    bMerge.checkForChanges();
    EXPECT_EQ(maxLevelOf(bDefaults.object(kState)), 41);
    EXPECT_FALSE(saveAt(bMerge, b, 2));
    EXPECT_EQ(storedMaxLevel(folder.file("b/defaults.plist")), 2);
    merge.checkForChanges();
    EXPECT_EQ(storedMaxLevel(folder.file("defaults.plist")), 41);
}

} // namespace
