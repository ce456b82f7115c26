#include "game/CloudMerge.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
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

TEST_F(CloudMergeTest, ASaveAfterAMergeKeepsTheMergedProgress) {
    // This game holds level 7, Golden on level 2; another, on a data folder
    // of its own, shares the cloud folder and reaches level 30.
    SavedState here(kLevels);
    here.level = here.max_level = 7;
    here.tangleForlevel[2] = 0;
    here.auth_code = SavedState::authCode(here);
    here.save(defaults, cloud);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PlistFileStore elsewhere(folder.file("cloud/cloud.plist"));
    elsewhere.setObject(kState, record(30, 1047));
    ASSERT_TRUE(elsewhere.synchronize());
    merge.checkForChanges();
    // A level chosen on the map: the save writes what the game holds.
    EXPECT_TRUE(here.save(defaults, cloud));
    const auto restarted = SavedState::storedIn(PlistFileStore(folder.file("defaults.plist")), kLevels);
    ASSERT_TRUE(restarted.has_value());
    EXPECT_EQ(std::make_tuple(restarted->max_level, restarted->level, restarted->points,
                              restarted->tangleForlevel[2]),
              std::make_tuple(30, 7, 1047, 0));
}

// A cloud copy whose first write never comes: the process is killed there.
struct KilledOnWrite : PlistFileStore {
    using PlistFileStore::PlistFileStore;
    void setObject(std::string_view, StoreValue) override { std::raise(SIGKILL); }
};

TEST_F(CloudMergeTest, ANewGameKilledBetweenItsTwoWritesIsKeptAtTheRestart) {
    defaults.setObject(kState, record(30));
    cloud.setObject(kState, record(30));
    ASSERT_TRUE(defaults.synchronize() && cloud.synchronize());
    EXPECT_EXIT(
        {
            KilledOnWrite dying(folder.file("cloud/cloud.plist"));
            SavedState started(kLevels); // a new game, its first level finished
            started.startOver(defaults, dying);
            started.level = started.max_level = 1;
            started.auth_code = SavedState::authCode(started);
            started.save(defaults, dying);
        },
        testing::KilledBySignal(SIGKILL), "");
    PlistFileStore restartDefaults(folder.file("defaults.plist"));
    PlistFileStore restartCloud(folder.file("cloud/cloud.plist"));
    ASSERT_EQ(*restartCloud.object(kState), record(30)) << "the kill did not fall between the writes";
    CloudMerge(restartDefaults, restartCloud, kLevels).start();
    EXPECT_EQ(maxLevelOf(restartDefaults.object(kState)), 1);
}

} // namespace
