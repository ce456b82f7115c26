#include "GameDataFolder.h"

#include "levels/LevelCatalogueTables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace {

constexpr int kKills = 3;
// The kill comes at one of the first frames of a run far longer: a test
// that reads the frames late on a busy machine must still find the game at
// work, never ended by itself.
constexpr int64_t kKillFrames = 89;
const std::string kEndlessFrames = "1000000";

// Progress a player could have: five levels finished with mixed grades and
// times, the sixth under way, in Zen mode.
ZQ::SavedState progress() {
    ZQ::SavedState record(ZQ::LevelCatalogue::kLevelCount);
    record.level = 5;
    record.max_level = 5;
    record.points = 1234;
    record.difficulty = 1;
    for (int32_t i = 0; i < 5; ++i) {
        record.tangleForlevel[static_cast<std::size_t>(i)] = i % 3;
        record.timerForlevel[static_cast<std::size_t>(i)] = 40 + 7 * i;
        ++record.tangles[static_cast<std::size_t>(i % 3)];
    }
    return record;
}

// Nothing a run may take away: levels reached and finished, points.
void expectNoProgressLost(const ZQ::SavedState& before, const ZQ::SavedState& after,
                          const std::string& when) {
    EXPECT_GE(after.max_level, before.max_level) << when;
    EXPECT_GE(after.points, before.points) << when;
    for (int32_t i = 0; i < before.max_level; ++i) {
        // A finished level's grade only gets better (a lower number).
        EXPECT_LE(after.tangleForlevel[static_cast<std::size_t>(i)],
                  before.tangleForlevel[static_cast<std::size_t>(i)])
            << when << ", level " << i;
    }
}

TEST(GameCrashTest, AGameKilledAtAnyFrameAndRestartedKeepsItsProgress) {
    GameDataFolder data;
    ASSERT_TRUE(data.ok());
    data.seed(progress());
    GameDataFolder::Saved saved = data.read();
    ASSERT_EQ(saved.problem, "");
    ASSERT_TRUE(saved.record.has_value()) << "the seeded record did not pass the game's checks";
    ZQ::SavedState known = *saved.record;

    // The hand at work while the kill comes: drags, taps and a swipe.
    TempFolder scratch;
    const std::string input = scratch.file("input.txt");
    std::ofstream(input) << "4 began 1 187 333\n6 moved 1 187 380\n9 ended 1 190 400\n"
                            "15 tap 100 100\n22 swipe 180 600 right\n30 began 1 120 500\n"
                            "34 moved 1 200 520\n38 moved 1 260 540\n41 ended 1 260 540\n"
                            "50 tap 300 600\n60 doubletap 187 333\n";

    std::mt19937 random(35);
    std::uniform_int_distribution<int64_t> frame(0, kKillFrames - 1);
    for (int kill = 0; kill < kKills; ++kill) {
        const int64_t at = frame(random);
        const std::string when = "killed at frame " + std::to_string(at);
        const int64_t reached = data.runThenKillAt({"--frames", kEndlessFrames, "--input", input}, at);
        ASSERT_NE(reached, -2) << "the game could not start";
        // Not ended early: the kill found it at work.
        ASSERT_GE(reached, at) << when;

        saved = data.read();
        ASSERT_EQ(saved.problem, "") << when;
        ASSERT_TRUE(saved.record.has_value()) << when;
        expectNoProgressLost(known, *saved.record, when);

        // The restart on the same folder reads it all back and goes on.
        const GameRun restart = data.run("--frames 3");
        ASSERT_EQ(restart.status, 0) << when << "\n" << restart.output;
        EXPECT_EQ(restart.output.find("zr_state_rejected"), std::string::npos) << restart.output;
        saved = data.read();
        ASSERT_EQ(saved.problem, "") << when << ", then restarted";
        ASSERT_TRUE(saved.record.has_value()) << when << ", then restarted";
        expectNoProgressLost(known, *saved.record, when + ", then restarted");
        known = *saved.record;
    }
}

TEST(GameCrashTest, ASecondGameOnTheDataFolderIsTurnedAwayAndAKilledOneLeavesItFree) {
    GameDataFolder data;
    GameRun second;
    // The first holds the folder until the kill, however long the second takes to start.
    data.runThenKillAt({"--frames", kEndlessFrames}, 1, [&] { second = data.run("--frames 3"); });
    EXPECT_NE(second.status, 0);
    EXPECT_NE(second.output.find("is playing on the data folder " + data.storeFolder()), std::string::npos)
        << second.output;
    // The kill let the lock go: a restart plays.
    EXPECT_EQ(data.run("--frames 3").status, 0);
}

} // namespace
