#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/CloudMerge.h"
#include "game/SavedState.h"
#include "support/TempFolder.h"

#include "HostilePlists.h"

#include <gtest/gtest.h>

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

} // namespace
