#include "GameDataFolder.h"

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "levels/LevelCatalogueTables.h"
#include "platform/ZQLeaderboardStore.h"
#include "support/AsPlayer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

// The game on a player's folder whose stores another user wrote: what it
// cannot read it leaves as it is, what it writes stays the player's, and a
// start that changes nothing writes nothing.

namespace {

namespace fs = std::filesystem;

const char* const kStoreFiles[] = {"defaults.plist", "cloud/cloud.plist", "leaderboards.plist"};

struct FileState {
    std::string bytes;
    struct stat info {};
};

FileState stateOf(const std::string& path) {
    FileState state{TempFolder::read(path), {}};
    ::stat(path.c_str(), &state.info);
    return state;
}

// The folder's progress at `level` in both stores, a tutorial done and a
// leaderboard reported to, as a game that came that far leaves them.
void seedFolder(const GameDataFolder& data, int32_t level) {
    ZQ::SavedState progress(ZQ::LevelCatalogue::kLevelCount);
    progress.level = progress.max_level = level;
    data.seed(progress);
    for (const char* file : {"defaults.plist", "cloud/cloud.plist"}) {
        ZQ::PlistFileStore store(data.storeFolder() + "/" + file);
        store.setBool(ZQ::Preferences::kTutorialCompletedKey, true);
        store.synchronize();
    }
    ZQLeaderboardStore boards(data.storeFolder() + "/leaderboards.plist");
    boards.signIn("someone");
    const ZQ::LeaderboardScore scores[] = {{"velmora.points", 40}};
    boards.report(scores, ZQLeaderboardStore::utcDate(0));
}

// Whether a store file in `folder` was set aside (the lock file is not
// one).
bool storeSetAsideIn(const std::string& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".plist.corrupt-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

void handFoldersToPlayer(const GameDataFolder& data) {
    for (const std::string& folder : {fs::path(data.storeFolder()).parent_path().string(), data.storeFolder(),
                                      data.storeFolder() + "/cloud"}) {
        ASSERT_TRUE(asplayer::handToPlayer(folder)) << folder;
    }
}

// Each store another user's with mode 0600 (without root, the tests' own
// with no bits at all): the player's game plays, says whose each file is,
// and leaves all three byte for byte, owner and mode, with nothing set
// aside. Each was once renamed aside as damage, still root's, and the game
// started from nothing.
TEST(StoreOwnerStart, StoresThePlayerCannotReadAreLeftAsTheyAreAndTheGamePlaysOn) {
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    seedFolder(data, 9);
    handFoldersToPlayer(data);
    std::vector<FileState> before;
    for (const char* file : kStoreFiles) {
        const std::string path = data.storeFolder() + "/" + file;
        ASSERT_EQ(::chmod(path.c_str(), asplayer::testsRunAsRoot() ? 0600 : 0), 0);
        before.push_back(stateOf(path));
    }

    const GameRun run = data.runAsPlayer("--frames 2");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("2 frames drawn headless"), std::string::npos) << run.output;
    for (std::size_t i = 0; i < std::size(kStoreFiles); ++i) {
        const std::string path = data.storeFolder() + "/" + kStoreFiles[i];
        EXPECT_NE(run.output.find("Store " + path + ": cannot be opened: Permission denied (it belongs to"),
                  std::string::npos)
            << run.output;
        const FileState after = stateOf(path);
        EXPECT_EQ(after.bytes, before[i].bytes) << path;
        EXPECT_EQ(after.info.st_ino, before[i].info.st_ino) << path;
        EXPECT_EQ(after.info.st_uid, before[i].info.st_uid) << path;
        EXPECT_EQ(after.info.st_mode, before[i].info.st_mode) << path;
    }
    EXPECT_FALSE(storeSetAsideIn(data.storeFolder()));
}

// A game run as root on the player's folder (a `sudo -E`, say) once left
// every file it wrote root's with mode 0600: the player's next game then set
// all of them aside and started from nothing. The cloud brings progress the
// defaults lack, so the root game writes both the defaults and the boards.
TEST(StoreOwnerStart, AGameRunAsRootLeavesThePlayersFilesThePlayersAndTheirNextGameReadsThem) {
    if (!asplayer::testsRunAsRoot()) {
        GTEST_SKIP() << "only root may give a file away";
    }
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    seedFolder(data, 9);
    {
        ZQ::SavedState behind(ZQ::LevelCatalogue::kLevelCount);
        behind.level = behind.max_level = 3;
        behind.auth_code = ZQ::SavedState::authCode(behind);
        ZQ::PlistFileStore defaults(data.storeFolder() + "/defaults.plist");
        defaults.setObject(ZQ::Preferences::kStateKey, behind.toStored());
        defaults.synchronize();
    }
    handFoldersToPlayer(data);
    const std::pair<const char*, mode_t> modes[] = {
        {"defaults.plist", 0644}, {"cloud/cloud.plist", 0640}, {"leaderboards.plist", 0600}};
    for (const auto& [file, mode] : modes) {
        const std::string path = data.storeFolder() + "/" + file;
        ASSERT_TRUE(asplayer::handToPlayer(path));
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }
    const FileState defaultsBefore = stateOf(data.storeFolder() + "/defaults.plist");
    const FileState boardsBefore = stateOf(data.storeFolder() + "/leaderboards.plist");

    const GameRun asRoot = data.run("--frames 2");
    ASSERT_EQ(asRoot.status, 0) << asRoot.output;
    EXPECT_NE(stateOf(data.storeFolder() + "/defaults.plist").bytes, defaultsBefore.bytes) << "merged";
    EXPECT_NE(stateOf(data.storeFolder() + "/leaderboards.plist").bytes, boardsBefore.bytes) << "signed in";
    for (const auto& [file, mode] : modes) {
        const FileState after = stateOf(data.storeFolder() + "/" + file);
        EXPECT_EQ(after.info.st_uid, asplayer::kPlayer) << file;
        EXPECT_EQ(after.info.st_gid, asplayer::kPlayer) << file;
        EXPECT_EQ(after.info.st_mode & 07777, mode) << file;
    }

    const GameRun players = data.runAsPlayer("--frames 2");
    ASSERT_EQ(players.status, 0) << players.output;
    EXPECT_EQ(players.output.find("Store "), std::string::npos) << players.output;
    EXPECT_FALSE(storeSetAsideIn(data.storeFolder()));
    const ZQ::PlistFileStore defaults(data.storeFolder() + "/defaults.plist");
    EXPECT_EQ(*defaults.object(ZQ::Preferences::kStateKey)->find("max_level")->asInteger(), 9);
}

// Signing the player in and merging the tutorial flag once replaced the
// defaults and the leaderboards, unchanged, at every start.
TEST(StoreOwnerStart, AStartThatChangesNoValueReplacesNoFile) {
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    seedFolder(data, 9);
    ASSERT_EQ(data.run("--frames 2").status, 0); // signs this user in
    std::vector<FileState> before;
    for (const char* file : kStoreFiles) {
        before.push_back(stateOf(data.storeFolder() + "/" + file));
    }
    const GameRun again = data.run("--frames 2");
    ASSERT_EQ(again.status, 0) << again.output;
    for (std::size_t i = 0; i < std::size(kStoreFiles); ++i) {
        const FileState after = stateOf(data.storeFolder() + "/" + kStoreFiles[i]);
        EXPECT_EQ(after.info.st_ino, before[i].info.st_ino) << kStoreFiles[i];
        EXPECT_EQ(after.info.st_mtim.tv_nsec, before[i].info.st_mtim.tv_nsec) << kStoreFiles[i];
    }
}

} // namespace
