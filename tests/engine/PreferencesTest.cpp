#include "engine/Preferences.h"
#include "engine/PlistFileStore.h"
#include "engine/StoreLocations.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using ZQ::PlistFileStore;
using ZQ::Preferences;

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.ok()); }

    TempFolder folder;
    PlistFileStore defaults{folder.file("defaults.plist")};
    PlistFileStore cloud{folder.file("cloud/cloud.plist")};
    Preferences preferences{defaults, cloud};
};

TEST_F(PreferencesTest, WithNothingStoredTheGameStartsInArcadeWithEverythingOn) {
    EXPECT_EQ(preferences.getGameMode(), ZQ::ArcadeMode);
    EXPECT_FALSE(preferences.isTutorialCompleted());
    EXPECT_FALSE(preferences.isParallaxDisabled());
    EXPECT_FALSE(defaults.boolForKey(Preferences::kDisableShadowKey));
    EXPECT_FALSE(preferences.isAppRated());
    // Reading wrote nothing.
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(PreferencesTest, TwoModeFlipsComeBackAndLeaveBothStoresEqualOnDisk) {
    preferences.flipGameMode();
    EXPECT_EQ(preferences.getGameMode(), ZQ::ZenMode);
    EXPECT_EQ(PlistFileStore(folder.file("defaults.plist")).integerForKey(Preferences::kGameModeKey), 1);
    EXPECT_EQ(PlistFileStore(folder.file("cloud/cloud.plist")).integerForKey(Preferences::kGameModeKey), 1);
    preferences.flipGameMode();
    EXPECT_EQ(preferences.getGameMode(), ZQ::ArcadeMode);
    const PlistFileStore localAgain(folder.file("defaults.plist"));
    const PlistFileStore cloudAgain(folder.file("cloud/cloud.plist"));
    ASSERT_NE(localAgain.object(Preferences::kGameModeKey), nullptr);
    ASSERT_NE(cloudAgain.object(Preferences::kGameModeKey), nullptr);
    EXPECT_EQ(*localAgain.object(Preferences::kGameModeKey), *cloudAgain.object(Preferences::kGameModeKey));
    EXPECT_EQ(localAgain.integerForKey(Preferences::kGameModeKey), ZQ::ArcadeMode);
}

TEST_F(PreferencesTest, AStoredModeThatIsNotZeroOrOneIsArcadeAndLoggedOnce) {
    const std::vector<ZQ::StoreValue> bad = {ZQ::StoreValue::integer(2), ZQ::StoreValue::integer(-1),
                                             ZQ::StoreValue::integer(1LL << 40), ZQ::StoreValue::string("1"),
                                             ZQ::StoreValue::boolean(true)};
    for (const ZQ::StoreValue& value : bad) {
        Preferences fresh(defaults, cloud);
        defaults.setObject(Preferences::kGameModeKey, value);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fresh.getGameMode(), ZQ::ArcadeMode) << value.describe();
        EXPECT_EQ(fresh.getGameMode(), ZQ::ArcadeMode);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("zr_gamemode"), std::string::npos) << log;
        EXPECT_EQ(log.find("zr_gamemode"), log.rfind("zr_gamemode")) << "logged twice: " << log;
        // Flipping from it gives a proper mode again.
        fresh.flipGameMode();
        EXPECT_EQ(fresh.getGameMode(), ZQ::ZenMode);
    }
}

TEST_F(PreferencesTest, TheTutorialFlagGoesToBothStoresAndTheRatingOnlyToMemory) {
    preferences.setTutorialCompleted();
    EXPECT_TRUE(PlistFileStore(folder.file("defaults.plist")).boolForKey(Preferences::kTutorialCompletedKey));
    EXPECT_TRUE(
        PlistFileStore(folder.file("cloud/cloud.plist")).boolForKey(Preferences::kTutorialCompletedKey));
    preferences.setAppRated();
    EXPECT_TRUE(preferences.isAppRated());
    EXPECT_FALSE(PlistFileStore(folder.file("defaults.plist")).boolForKey(Preferences::kAppRatedKey));
    EXPECT_EQ(cloud.object(Preferences::kAppRatedKey), nullptr);
}

TEST(StoreLocations, FoldersFollowTheBaseDirectoryRules) {
    EXPECT_EQ(ZQ::chooseDataFolder("/x/data", "/home/p"), "/x/data/velmora");
    // Unset, empty or relative XDG_DATA_HOME: the home folder's default.
    EXPECT_EQ(ZQ::chooseDataFolder(nullptr, "/home/p"), "/home/p/.local/share/velmora");
    EXPECT_EQ(ZQ::chooseDataFolder("", "/home/p"), "/home/p/.local/share/velmora");
    EXPECT_EQ(ZQ::chooseDataFolder("rel/dir", "/home/p"), "/home/p/.local/share/velmora");
    // Without HOME the password database names the home folder.
    EXPECT_NE(ZQ::chooseDataFolder(nullptr, nullptr).find("/.local/share/velmora"), std::string::npos);

    EXPECT_EQ(ZQ::chooseCloudFolder("/sync/velmora", "/d/velmora"), "/sync/velmora");
    EXPECT_EQ(ZQ::chooseCloudFolder(nullptr, "/d/velmora"), "/d/velmora/cloud");
    EXPECT_EQ(ZQ::chooseCloudFolder("", "/d/velmora"), "/d/velmora/cloud");
}

TEST(StoreLocations, TestsNeverReachThePlayersOwnFolder) {
    // ctest points the process stores into the build tree.
    const char* home = std::getenv("HOME");
    ASSERT_NE(std::getenv("XDG_DATA_HOME"), nullptr);
    if (home != nullptr) {
        EXPECT_EQ(ZQ::dataFolder().find(std::string(home) + "/.local/share"), std::string::npos);
    }
    EXPECT_EQ(ZQ::dataFolder(), std::string(std::getenv("XDG_DATA_HOME")) + "/velmora");
    EXPECT_EQ(ZQ::cloudFolder(), ZQ::dataFolder() + "/cloud");
}

} // namespace
