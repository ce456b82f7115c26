#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/CloudMerge.h"
#include "game/SavedState.h"
#include "support/TempFolder.h"

#include "HostilePlists.h"

#include <gtest/gtest.h>

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

TEST(HostileStoreTest, RejectedRecordsAreKeptOnlyWhileTheDefaultsCanStillTakeTheGamesSave) {
    // Four records of a quarter of what the reader takes: three rejected
    // earlier, and one more in the saved state's place. All four beside a
    // saved record would be more than the store writes, so every later save
    // would fail; the oldest goes. One record of nearly all the reader takes
    // leaves no room beside a saved record at all: it is not kept.
    const std::size_t quarter = ZQ::kPlistMaxValues / 4 - 50;
    const std::vector<ZQ::StoreValue> earlier = {bulkyRecord(1, quarter), bulkyRecord(2, quarter),
                                                 bulkyRecord(3, quarter)};
    const struct {
        std::vector<ZQ::StoreValue> rejected;
        ZQ::StoreValue stored;
        std::vector<int64_t> kept; // their tags, oldest first
    } cases[] = {
        {earlier, bulkyRecord(4, quarter), {2, 3, 4}},
        {{}, bulkyRecord(5, ZQ::kPlistMaxValues - 100), {}},
    };
    for (const auto& [rejected, stored, kept] : cases) {
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string path = folder.file("defaults.plist");
        {
            PlistFileStore defaults(path);
            defaults.setObject(kHostileStateKey, stored);
            if (!rejected.empty()) {
                defaults.setArray(ZQ::SavedState::kRejectedKey, rejected);
            }
            ASSERT_TRUE(defaults.synchronize());
        }
        PlistFileStore defaults(path);
        PlistFileStore cloud(folder.file("cloud/cloud.plist"));
        ZQ::SavedState state(kHostileLevels);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(state.load(defaults));
        const std::string log = testing::internal::GetCapturedStderr();
        std::vector<int64_t> tags;
        if (const ZQ::StoreValue* list = defaults.object(ZQ::SavedState::kRejectedKey)) {
            for (const ZQ::StoreValue& record : *list->asArray()) {
                tags.push_back(*record.find("level")->asInteger());
            }
        }
        EXPECT_EQ(tags, kept);
        EXPECT_EQ(kept.empty(), log.find("not kept") != std::string::npos) << log;

        state.level = state.max_level = 3;
        state.auth_code = ZQ::SavedState::authCode(state);
        state.save(defaults, cloud);
        EXPECT_EQ(maxLevelIn(PlistFileStore(path)), 3) << "the save reached the defaults";
    }
}

} // namespace
