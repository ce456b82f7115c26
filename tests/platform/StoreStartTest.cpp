#include "GameDataFolder.h"
#include "GameProcess.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "levels/LevelCatalogueTables.h"
#include "platform/ZQDataFolderLock.h"
#include "support/AsPlayer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>

// The player's game on a data folder where a store is a file it may not
// use (root's, left by a game run with sudo; without root, one its user may
// not open): the user defaults and the leaderboards would keep nothing of
// the run, so the game stops before its first frame, names the file and the
// mend, and leaves the file as it was. The cloud copy is optional: the game
// plays on. And a file system that lacks what the stores use at their best.

namespace {

namespace fs = std::filesystem;

TEST(StoreStartTest, ANeededStoreTheGameMayNotUseStopsItAndACloudFileDoesNot) {
    const std::string bytes = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict/></plist>\n";
    for (const char* file : {"defaults.plist", "leaderboards.plist", "cloud/cloud.plist"}) {
        SCOPED_TRACE(file);
        const bool needed = std::string(file) != "cloud/cloud.plist";
        GameDataFolder data;
        ASSERT_TRUE(data.ok());
        const std::string top = fs::path(data.storeFolder()).parent_path().string();
        const std::string path = data.storeFolder() + "/" + file;
        fs::create_directories(fs::path(path).parent_path());
        asplayer::handToPlayer(top);
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            asplayer::handToPlayer(entry.path().string());
        }
        TempFolder::write(path, bytes);
        ::chmod(path.c_str(), asplayer::testsRunAsRoot() ? 0644 : 0);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);

        const std::string run = asplayer::run([&] {
            const GameRun game = data.run("--frames 3");
            return "status " + std::to_string(game.status) + "\n" + game.output;
        });
        EXPECT_EQ(run.find(needed ? "status 1\n" : "status 0\n"), 0u) << run;
        EXPECT_EQ(run.find("frames drawn") == std::string::npos, needed) << run;
        EXPECT_EQ(run.find("cannot keep progress") != std::string::npos, needed) << run;
        if (needed) {
            EXPECT_NE(run.find(std::string("velmora: cannot keep progress in ") + file + ": "),
                      std::string::npos)
                << run;
            EXPECT_NE(run.find(asplayer::testsRunAsRoot() ? "chown" : "chmod"), std::string::npos) << run;
        }
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        ::chmod(path.c_str(), 0644);
        EXPECT_EQ(TempFolder::read(path), bytes);
        EXPECT_EQ(std::tie(after.st_mtim.tv_nsec, after.st_uid, after.st_mode),
                  std::tie(before.st_mtim.tv_nsec, before.st_uid, before.st_mode));
    }
}

// A game once run with sudo left the data folder root's, with its files: at
// mode 0700 the start said only "Permission denied", at 0755 three starts in
// a row each refused one more of them. One start names root and one command
// that gives them all back; once it has run, the next start plays with
// everything kept.
TEST(StoreStartTest, ADataFolderLeftToRootIsOneRefusalWhoseOneCommandGivesItAllBack) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the test plays on a folder a game run as root left";
    }
    const std::string mend = std::string("chown -R ") + ::getpwuid(asplayer::kPlayer)->pw_name + ": '";
    for (const mode_t mode : {0700, 0755}) {
        SCOPED_TRACE(mode);
        GameDataFolder data;
        ASSERT_TRUE(data.ok());
        ZQ::SavedState record(ZQ::LevelCatalogue::kLevelCount);
        record.level = 4;
        record.max_level = 4;
        record.points = 321;
        data.seed(record);
        TempFolder::write(data.storeFolder() + "/.lock", "");
        TempFolder::write(data.storeFolder() + "/leaderboards.plist", "<plist><dict/></plist>");
        asplayer::handToPlayer(fs::path(data.storeFolder()).parent_path().string());
        ::chmod(data.storeFolder().c_str(), mode);
        const auto play = [&] {
            return asplayer::run([&] {
                const GameRun game = data.run("--frames 3");
                return "status " + std::to_string(game.status) + "\n" + game.output;
            });
        };

        const std::string refused = play();
        EXPECT_EQ(refused.find("status 1\n"), 0u) << refused;
        std::istringstream lines(refused);
        int said = 0;
        for (std::string line; std::getline(lines, line);) {
            said += line.starts_with("velmora: ") ? 1 : 0;
        }
        EXPECT_EQ(said, 1) << refused;
        EXPECT_NE(refused.find("belongs to root (uid 0)"), std::string::npos) << refused;
        ASSERT_NE(refused.find("sudo " + mend + data.storeFolder() + "'"), std::string::npos) << refused;
        ASSERT_EQ(runShell(mend + data.storeFolder() + "'").status, 0);

        const std::string played = play();
        EXPECT_EQ(played.find("status 0\n"), 0u) << played;
        // Read as the player: root's game takes no file of the player's.
        const std::string kept = asplayer::run([&] {
            const GameDataFolder::Saved saved = data.read();
            return saved.problem + (saved.record ? std::to_string(saved.record->points) : "no record");
        });
        EXPECT_EQ(kept, "321");
    }
}

// A folder of root's mounted at the player's ~/.local/share was told to be
// given back with sudo chown -R: run blind, that gave root's mounted tree
// to the player. A mount is no sudo run's leftover, and no mend reaches it.
TEST(StoreStartTest, RootsFileSystemMountedInThePlayersFoldersIsNeverGivenAway) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "needs root: the test mounts a folder of root's in a mount namespace of its own";
    }
    TempFolder folder;
    const std::string home = folder.file("home");
    const std::string mounted = folder.file("mounted");
    fs::create_directories(home + "/.local/share");
    fs::create_directories(mounted + "/velmora");
    ::chmod(folder.path().c_str(), 0755);
    for (const std::string& entry : {home, home + "/.local", home + "/.local/share"}) {
        ASSERT_TRUE(asplayer::handToPlayer(entry));
    }
    const std::string id = std::to_string(asplayer::kPlayer);
    const GameRun run = runShell("unshare -m --propagation private sh -c \"mount --bind '" + mounted + "' '" +
                                 home + "/.local/share' && setpriv --reuid=" + id + " --regid=" + id +
                                 " --clear-groups env -u XDG_DATA_HOME -u VELMORA_CLOUD_DIR HOME='" + home +
                                 "' '" + VELMORA_EXECUTABLE + "' --headless --frames 1\"");
    if (run.output.starts_with("unshare: ") || run.output.starts_with("mount: ")) {
        GTEST_SKIP() << "this machine makes no mount namespace: " << run.output;
    }
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("belongs to root (uid 0)"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("chown"), std::string::npos) << run.output;
}

// Many FUSE mounts (cloud drives, object stores) take neither rename flags
// nor hard links: no store file could be made there, and every run ended
// with status 1. On such a file system, preloaded into the game, the first
// start keeps in the defaults the finished tutorial the cloud brought, and
// the second, without the cloud file, reads it there and goes to the menu.
TEST(StoreStartTest, AGameWithoutRenameFlagsOrLinksSavesAtItsFirstStartAndReadsItAtItsSecond) {
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    const std::string cloud = data.storeFolder() + "/cloud/cloud.plist";
    fs::create_directories(fs::path(cloud).parent_path());
    ZQ::PlistFileStore(cloud).update(
        [](ZQ::KeyValueStore& store) { store.setBool(ZQ::Preferences::kTutorialCompletedKey, true); });
    ScopedEnvironment environment;
    environment.set("LD_PRELOAD", VELMORA_FLAGLESS_FS);
    environment.set("ASAN_OPTIONS", "verify_asan_link_order=0"); // its runtime would have to come first

    const GameRun first = data.run("--frames 2");
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_TRUE(ZQ::PlistFileStore(data.storeFolder() + "/defaults.plist")
                    .boolForKey(ZQ::Preferences::kTutorialCompletedKey));
    fs::remove(cloud);
    const GameRun second = data.run("--frames 2 --print-states");
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find(" ShowMenu at frame 0\n"), std::string::npos) << second.output;
    const GameDataFolder::Saved saved = data.read();
    EXPECT_EQ(saved.problem, "");
    EXPECT_EQ(saved.files, (std::vector<std::string>{ZQDataFolderLock::kLockFile, "defaults.plist",
                                                     "leaderboards.plist"}));
}

} // namespace
