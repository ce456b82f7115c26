#include "engine/Preferences.h"
#include "engine/Bundle.h"
#include "engine/PlistFileStore.h"
#include "engine/StoreLocations.h"
#include "support/OwnFolders.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

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

// Run on its own by the test below, in a shell that names a player's folders:
// writes through the process's stores and prints every folder it would use,
// GL's shader cache and GoogleTest's temporary folder among them.
TEST(StoreLocations, ATestProcessWritesToItsOwnFolders) {
    Preferences::shared().setTutorialCompleted();
    std::printf("folders %s %s %s %s\n", ZQ::dataFolder().c_str(), ZQ::cloudFolder().c_str(),
                ZQ::bundleFolder().c_str(), ZQ::homeFolder(std::getenv("HOME")).c_str());
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "XDG_DOCUMENTS_DIR", "XDG_CACHE_HOME",
                                 "MESA_SHADER_CACHE_DIR"}) {
        std::printf("%s=%s\n", variable, std::getenv(variable) != nullptr ? std::getenv(variable) : "");
    }
    std::printf("TempDir=%s\n", testing::TempDir().c_str());
}

TEST(StoreLocations, TestsNeverReachThePlayersOwnFolder) {
    TempFolder player;
    ASSERT_TRUE(player.ok());
    for (const char* file :
         {"data/velmora/defaults.plist", "cloud/cloud.plist", "home/.local/share/velmora/defaults.plist",
          "config/user-dirs.dirs", "bundle/captions.plist", "pictures/a.png",
          "cache/mesa/mesa_shader_cache/index"}) {
        std::filesystem::create_directories(std::filesystem::path(player.file(file)).parent_path());
        TempFolder::write(player.file(file), "<plist><dict/></plist>\n");
    }
    // Every file with its bytes and mode.
    const auto snapshot = [&player] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(player.path())) {
            files[entry.path().string()] =
                std::to_string(static_cast<int>(entry.status().permissions())) +
                (entry.is_regular_file() ? TempFolder::read(entry.path().string()) : "");
        }
        return files;
    };
    const auto before = snapshot();

    // Run anew as a maintainer runs a test binary by hand.
    const std::string command =
        "env -u " + std::string(OwnFolders::kVariable) + " XDG_DATA_HOME='" + player.file("data") +
        "' VELMORA_CLOUD_DIR='" + player.file("cloud") + "' HOME='" + player.file("home") +
        "' XDG_CONFIG_HOME='" + player.file("config") + "' XDG_PICTURES_DIR='" + player.file("pictures") +
        "' XDG_DOCUMENTS_DIR='" + player.file("pictures") + "' VELMORA_BUNDLE='" + player.file("bundle") +
        "' XDG_CACHE_HOME='" + player.file("cache") + "' MESA_SHADER_CACHE_DIR='" +
        player.file("cache/mesa") + "' '" + std::filesystem::read_symlink("/proc/self/exe").string() +
        "' --gtest_filter=StoreLocations.ATestProcessWritesToItsOwnFolders 2>&1";
    FILE* child = ::popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, child) != nullptr) {
        printed += buffer;
    }
    ASSERT_EQ(::pclose(child), 0) << printed;
    EXPECT_NE(printed.find("folders /"), std::string::npos) << printed;
    EXPECT_EQ(printed.find(player.path()), std::string::npos) << printed;
    // Named, not left to Mesa, which would take the home of the password
    // file, whatever HOME says.
    EXPECT_NE(printed.find("XDG_CACHE_HOME=/"), std::string::npos) << printed;
    EXPECT_NE(printed.find("MESA_SHADER_CACHE_DIR=/"), std::string::npos) << printed;
    // Files written under fixed names go into the process's own folder, not
    // the temporary folder every process and user shares.
    EXPECT_EQ(printed.find("TempDir=" + std::filesystem::temp_directory_path().string() + "/\n"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("TempDir=/"), std::string::npos) << printed;
    EXPECT_EQ(snapshot(), before);
}

} // namespace
