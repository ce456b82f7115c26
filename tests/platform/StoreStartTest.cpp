#include "GameDataFolder.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "levels/LevelCatalogueTables.h"
#include "support/AsPlayer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

// The player's game on a data folder where a store is a file it may not
// use (root's, left by a game run with sudo; without root, one its user may
// not open): the user defaults and the leaderboards would keep nothing of
// the run, so the game stops before its first frame, names the file and the
// mend, and leaves the file as it was. The cloud copy is optional: the game
// plays on and keeps its progress in the defaults.

namespace {

namespace fs = std::filesystem;

// A file the player's game may not use, in place of `path`'s.
void makeForbidden(const std::string& path, const std::string& bytes) {
    fs::remove(path);
    TempFolder::write(path, bytes);
    if (asplayer::testsRunAsRoot()) {
        ::chown(path.c_str(), 0, 0);
        ::chmod(path.c_str(), 0644);
    } else {
        ::chmod(path.c_str(), 0);
    }
}

// The data folder, everything in it, handed to the player.
void handOver(const GameDataFolder& data) {
    const fs::path top = fs::path(data.storeFolder()).parent_path();
    asplayer::handToPlayer(top.string());
    for (const auto& entry : fs::recursive_directory_iterator(top)) {
        asplayer::handToPlayer(entry.path().string());
    }
}

// The game headless as the player on `data`, and what it printed.
GameRun playAsPlayer(const GameDataFolder& data, const std::string& arguments) {
    const std::string top = fs::path(data.storeFolder()).parent_path().string();
    const std::string report = asplayer::run([&] {
        const GameRun run = runShell("env -u VELMORA_CLOUD_DIR -u VELMORA_BUNDLE XDG_DATA_HOME=" + top +
                                     " HOME=" + top + " XDG_CONFIG_HOME=" + top + " XDG_CACHE_HOME=" + top +
                                     " '" + VELMORA_EXECUTABLE + "' --headless " + arguments);
        return std::to_string(run.status) + "\n" + run.output;
    });
    GameRun run;
    run.status = report == "failed" ? -1 : std::stoi(report);
    run.output = report.substr(report.find('\n') + 1);
    return run;
}

const char* const kMend = asplayer::testsRunAsRoot() ? "chown" : "chmod";

TEST(StoreStartTest, ANeededStoreTheGameMayNotUseStopsItAndStaysAsItWas) {
    for (const char* file : {"defaults.plist", "leaderboards.plist"}) {
        SCOPED_TRACE(file);
        GameDataFolder data;
        ASSERT_TRUE(data.ok());
        ZQ::SavedState progress(ZQ::LevelCatalogue::kLevelCount);
        progress.level = progress.max_level = 9;
        data.seed(progress);
        const std::string path = data.storeFolder() + "/" + file;
        const std::string bytes = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict/></plist>\n";
        handOver(data);
        makeForbidden(path, bytes);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);

        const GameRun run = playAsPlayer(data, "--frames 3");
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(std::string("velmora: cannot keep progress in ") + file + ": "),
                  std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find(kMend), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("frames drawn"), std::string::npos) << run.output;
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        ::chmod(path.c_str(), 0644);
        EXPECT_EQ(TempFolder::read(path), bytes);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}

TEST(StoreStartTest, ACloudFileTheGameMayNotUseOnlyLogsAndTheGamePlaysOn) {
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    ZQ::SavedState progress(ZQ::LevelCatalogue::kLevelCount);
    progress.level = progress.max_level = 9;
    data.seed(progress);
    const std::string cloud = data.storeFolder() + "/cloud/cloud.plist";
    const std::string bytes = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict/></plist>\n";
    handOver(data);
    makeForbidden(cloud, bytes);

    const GameRun run = playAsPlayer(data, "--frames 3");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("3 frames drawn headless"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("cannot keep progress"), std::string::npos) << run.output;
    ::chmod(cloud.c_str(), 0644);
    EXPECT_EQ(TempFolder::read(cloud), bytes);
    // The progress stays in the defaults, read as the player's game reads it.
    const std::string defaults = data.storeFolder() + "/defaults.plist";
    const std::string kept = asplayer::run([&] {
        const ZQ::PlistFileStore store(defaults);
        const ZQ::StoreValue* record = store.object(ZQ::Preferences::kStateKey);
        const ZQ::StoreValue* level = record != nullptr ? record->find("max_level") : nullptr;
        return level != nullptr && level->asInteger() ? std::to_string(*level->asInteger()) : "none";
    });
    EXPECT_EQ(kept, "9");
    EXPECT_EQ(run.output.find("defaults.plist: not written"), std::string::npos) << run.output;
}

} // namespace
