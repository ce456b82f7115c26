#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/CloudMerge.h"
#include "game/SavedState.h"
#include "support/StoreRoom.h"
#include "support/TempFolder.h"

#include "HostilePlists.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using ZQ::PlistFileStore;

constexpr int32_t kHostileLevels = 76;
const char* const kHostileStateKey = ZQ::Preferences::kStateKey;

int64_t maxLevelIn(const PlistFileStore& store) {
    const ZQ::StoreValue* stored = store.object(kHostileStateKey);
    return stored != nullptr ? *stored->find("max_level")->asInteger() : -1;
}

// The one file set aside from `name` in `sub`, or "" when there is not
// exactly one.
std::string asideOf(const TempFolder& folder, const std::string& sub, const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& entry : folder.entries(sub)) {
        if (entry.rfind(name + ".corrupt-", 0) == 0) {
            found.push_back(folder.file(sub + "/" + entry));
        }
    }
    return found.size() == 1 ? found[0] : "";
}

// `hostile` as the defaults at start, with the progress in the cloud, then
// as the cloud file arriving while the game runs: each time it is set aside
// whole and the progress the other store holds survives.
void expectSetAsideAtStartAndThroughTheMerge(const std::string& hostile) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string defaultsPath = folder.file("defaults.plist");
    const std::string cloudPath = folder.file("cloud/cloud.plist");
    {
        ZQ::SavedState record(kHostileLevels);
        record.level = record.max_level = 12;
        record.auth_code = ZQ::SavedState::authCode(record);
        PlistFileStore defaults(folder.file("unused.plist"));
        PlistFileStore cloud(cloudPath);
        record.save(defaults, cloud);
    }
    TempFolder::write(defaultsPath, hostile);

    PlistFileStore defaults(defaultsPath);
    PlistFileStore cloud(cloudPath);
    EXPECT_TRUE(defaults.contents().empty());
    EXPECT_EQ(TempFolder::read(asideOf(folder, "", "defaults.plist")), hostile);
    ZQ::CloudMerge merge(defaults, cloud, kHostileLevels);
    merge.start();
    EXPECT_EQ(maxLevelIn(defaults), 12);

    TempFolder::write(cloudPath, hostile);
    merge.checkForChanges();
    EXPECT_EQ(TempFolder::read(asideOf(folder, "cloud", "cloud.plist")), hostile);
    EXPECT_EQ(maxLevelIn(defaults), 12);
    EXPECT_EQ(maxLevelIn(PlistFileStore(defaultsPath)), 12);
}

TEST(HostileStoreTest, AKeyHoldingANulIsSetAsideAtStartAndThroughTheMerge) {
    expectSetAsideAtStartAndThroughTheMerge(HostilePlists::nulInKey());
}

TEST(HostileStoreTest, ObjectsSharedByABillionReferencesAreSetAsideAtStartAndThroughTheMerge) {
    expectSetAsideAtStartAndThroughTheMerge(HostilePlists::sharedExpansion());
}

// A record no save ever wrote: `size` values in all (its dictionary, keys
// and integers), told apart by `tag`.
ZQ::StoreValue bulkyRecord(int32_t tag, std::size_t size) {
    const std::vector<int32_t> filler(size - 5, tag);
    ZQ::StoreValue::Dictionary entries;
    entries.emplace("level", ZQ::StoreValue::integer(tag));
    entries.emplace("bulk", ZQ::StoreValue::integers(filler.data(), filler.size()));
    return ZQ::StoreValue::dictionary(std::move(entries));
}

// The user defaults as the game makes them.
PlistFileStore gameDefaults(const std::string& path) {
    return PlistFileStore(path, ZQ::Preferences::writtenRoom());
}

// A saved record at `level`, saved: true when the defaults took it.
bool saveLands(PlistFileStore& defaults, PlistFileStore& cloud, int32_t level) {
    ZQ::SavedState state(kHostileLevels);
    state.level = state.max_level = level;
    state.auth_code = ZQ::SavedState::authCode(state);
    state.save(defaults, cloud);
    return maxLevelIn(gameDefaults(defaults.path())) == level;
}

TEST(HostileStoreTest, RejectedRecordsAreKeptOnlyWhileTheDefaultsKeepRoomForTheGamesKeys) {
    // Rejected records count with everything the game does not write itself,
    // which must leave room under the reader's caps for what it does. Three
    // rejected earlier and one more in the saved state's place would leave
    // less: the oldest goes. Beside another list that leaves room for no
    // rejected record, the new one is not kept. `room` is what the defaults
    // hold besides the game's keys at their largest; a record in the saved
    // state's place larger than any the game writes takes its own size of it.
    std::size_t room = ZQ::kPlistMaxValues;
    for (const auto& entry : ZQ::Preferences::writtenRoom()) {
        room -= entry.second.values;
    }
    const std::size_t third = (room - 1000) / 3 - 50;
    const std::vector<ZQ::StoreValue> earlier = {bulkyRecord(1, third), bulkyRecord(2, third),
                                                 bulkyRecord(3, third)};
    const std::vector<int32_t> other(room - 1500, 0);
    const struct {
        std::vector<ZQ::StoreValue> rejected;
        std::vector<int32_t> other;
        ZQ::StoreValue stored;
        std::vector<int64_t> kept; // their tags, oldest first
    } cases[] = {
        {earlier, {}, bulkyRecord(4, 1000), {2, 3, 4}},
        {{}, other, bulkyRecord(5, 1000), {}},
    };
    for (const auto& [rejected, otherValues, stored, kept] : cases) {
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string path = folder.file("defaults.plist");
        {
            PlistFileStore defaults(path);
            defaults.setObject(kHostileStateKey, stored);
            if (!rejected.empty()) {
                defaults.setArray(ZQ::SavedState::kRejectedKey, rejected);
            }
            if (!otherValues.empty()) {
                defaults.setObject("zz_other",
                                   ZQ::StoreValue::integers(otherValues.data(), otherValues.size()));
            }
            ASSERT_TRUE(defaults.synchronize());
        }
        PlistFileStore defaults = gameDefaults(path);
        PlistFileStore cloud(folder.file("cloud/cloud.plist"));
        ZQ::SavedState state(kHostileLevels);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(state.load(defaults));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(asideOf(folder, "", "defaults.plist").empty()) << log;
        std::vector<int64_t> tags;
        if (const ZQ::StoreValue* list = defaults.object(ZQ::SavedState::kRejectedKey)) {
            for (const ZQ::StoreValue& record : *list->asArray()) {
                tags.push_back(*record.find("level")->asInteger());
            }
        }
        EXPECT_EQ(tags, kept);
        EXPECT_EQ(kept.empty(), log.find("not kept") != std::string::npos) << log;
        EXPECT_TRUE(saveLands(defaults, cloud, 3));
        EXPECT_TRUE(asideOf(folder, "", "defaults.plist").empty()) << "the next start kept the defaults";
    }
}

// 16,300 values beside a preference, in XML or as shared references in a
// binary list: under the reader's cap, but with no room for a saved record
// the defaults would refuse every save. They are set aside at read instead.
TEST(HostileStoreTest, DefaultsWithNoRoomForASavedRecordAreSetAsideAndTheSaveLands) {
    for (const std::string& bytes :
         {HostilePlists::integersInXml(16300), HostilePlists::sharedReferences(16300)}) {
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        TempFolder::write(folder.file("defaults.plist"), bytes);
        testing::internal::CaptureStderr();
        PlistFileStore defaults = gameDefaults(folder.file("defaults.plist"));
        PlistFileStore cloud(folder.file("cloud/cloud.plist"));
        EXPECT_TRUE(saveLands(defaults, cloud, 4));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(TempFolder::read(asideOf(folder, "", "defaults.plist")), bytes) << log;
    }
}

// A preference the game writes as one value, held as a long array: it
// counts as it stands, and the saved record not yet written at its largest,
// so a save beside it lands (and the file read in again is not set aside).
// One room shared by all the game's keys once let such a preference take a
// saved record's room: every save then failed, and every start told the
// story again. First the tester's file, 14,330 other values beside the
// array; then one at the very bound of what the defaults take.
TEST(HostileStoreTest, AKeyOfTheGameHeldLargerThanItWritesLeavesRoomForASavedRecord) {
    const std::vector<int32_t> held(2045, 7);
    const std::vector<int32_t> others(14330, 7);
    for (const char* key : {ZQ::Preferences::kAppRatedKey, ZQ::Preferences::kGameModeKey}) {
        const ZQ::StoreValue::Dictionary shape = {{key, ZQ::StoreValue::integers(held.data(), held.size())}};
        ZQ::StoreValue::Dictionary tester = shape;
        tester.emplace("zz_other", ZQ::StoreValue::integers(others.data(), others.size()));
        for (const auto& list : {tester, filledToTheRoom(shape, ZQ::Preferences::writtenRoom())}) {
            SCOPED_TRACE(key);
            TempFolder folder;
            ASSERT_TRUE(folder.ok());
            TempFolder::write(folder.file("defaults.plist"), ZQ::writePlistDictionary(list));
            testing::internal::CaptureStderr();
            PlistFileStore defaults = gameDefaults(folder.file("defaults.plist"));
            PlistFileStore cloud(folder.file("cloud/cloud.plist"));
            EXPECT_TRUE(saveLands(defaults, cloud, 5));
            const std::string log = testing::internal::GetCapturedStderr();
            EXPECT_EQ(log.find("not written"), std::string::npos) << log;
        }
    }
}

// Whatever else the defaults hold, up to the bound of what a store reads
// in, leaves room for what the game writes there: a saved record of the
// widest numbers and every preference it sets. Written, the file is read
// in again whole, so no start sets it aside.
TEST(HostileStoreTest, DefaultsAtTheBoundTakeTheWidestSavedRecordAndEveryPreference) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.file("defaults.plist");
    TempFolder::write(path, ZQ::writePlistDictionary(filledToTheRoom({}, ZQ::Preferences::writtenRoom())));
    PlistFileStore defaults = gameDefaults(path);
    ASSERT_NE(defaults.object("zz_other"), nullptr) << "the bound itself is read in";

    constexpr int32_t kWidest = std::numeric_limits<int32_t>::min();
    ZQ::SavedState widest(kHostileLevels);
    widest.version = widest.level = widest.points = widest.max_level = widest.difficulty = kWidest;
    widest.tangles.fill(kWidest);
    widest.tangleForlevel.fill(kWidest);
    widest.timerForlevel.fill(kWidest);
    widest.auth_code = ZQ::SavedState::authCode(widest);
    // The stores count a saved record at the room kept for it: the widest
    // one must fit, or a store would take a file no save can write.
    const ZQ::PlistMeasure measured = ZQ::plistEntryMeasure(kHostileStateKey, widest.toStored());
    const ZQ::PlistMeasure& kept = ZQ::Preferences::kSavedStateRoom;
    EXPECT_LE(measured.values, kept.values);
    EXPECT_LE(measured.bytes, kept.bytes);
    EXPECT_LE(measured.entityWork, kept.entityWork);
    defaults.setObject(kHostileStateKey, widest.toStored());
    defaults.setInteger(ZQ::Preferences::kGameModeKey, ZQ::ZenMode);
    defaults.setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    defaults.setBool(ZQ::Preferences::kAppRatedKey, true);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(ZQ::writePlistDictionary(gameDefaults(path).contents()),
              ZQ::writePlistDictionary(defaults.contents()));
    EXPECT_TRUE(asideOf(folder, "", "defaults.plist").empty());
}

} // namespace
