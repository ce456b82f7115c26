#include "GameRoad.h"

#include "GameProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <tuple>

// The whole road a player takes (road.txt beside this file), played by the
// real game headless, one process a run, on a fresh data folder: the flow's
// states, the pictures and the stores at each step; the same road twice
// gives the same records and pictures; a kill at a random frame of it loses
// nothing finished.

namespace {

namespace fs = std::filesystem;

std::vector<RoadRun> road() {
    std::vector<RoadRun> runs;
    std::string error;
    EXPECT_TRUE(readRoad(VELMORA_ROAD_FILE, runs, error)) << error;
    return runs;
}

std::string where(const RoadRun& run) {
    return std::string(VELMORA_ROAD_FILE) + ":" + std::to_string(run.line);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything the road file says of a run, checked against what it left.
void expectRunAsWritten(const RoadRun& run, const RoadRunResult& result, const std::string& shotFolder) {
    SCOPED_TRACE(where(run));
    ASSERT_EQ(result.run.status, 0) << result.run.output;
    EXPECT_EQ(missingResourceLine(result.run.output), "");
    for (const RoadRun::StateCheck& check : run.states) {
        EXPECT_EQ(result.stateMismatch(check), "");
    }
    for (const auto& [frame, name] : run.shots) {
        ZQImage image;
        ASSERT_TRUE(readPng(shotFolder + "/" + name + ".png", image)) << name << " (frame " << frame << ")";
        EXPECT_EQ(image.width, 750);
        EXPECT_EQ(image.height, 1334);
    }
    ASSERT_EQ(result.saved.problem, "");
    if (run.nothingSaved) {
        EXPECT_FALSE(result.saved.record.has_value()) << "progress was stored";
    }
    if (!run.saved.empty()) {
        ASSERT_TRUE(result.saved.record.has_value()) << "no progress was stored";
        EXPECT_EQ(checkRecord(*result.saved.record, run.saved), "");
        // The cloud copy holds the same progress.
        ASSERT_TRUE(result.saved.cloudRecord.has_value());
        EXPECT_EQ(*result.saved.cloudRecord, *result.saved.record);
    }
    if (run.mode) {
        EXPECT_EQ(result.mode, run.mode);
    }
    if (run.tutorialCompleted) {
        EXPECT_TRUE(result.tutorialCompleted) << "the tutorial is not marked completed in both stores";
    }
}

// The road is played twice side by side, each game on a fresh data folder of
// its own: the first is checked against everything the road file says and
// keeps its pictures in the build's road-shots folder; the second must leave
// the same records and the same pictures, unless roadPlayedOnce().
TEST(RoadTest, TheRoadFromAFreshProfileGoesAsWrittenAndTheSameTwice) {
    const bool twice = !roadPlayedOnce();
    const std::vector<RoadRun> runs = road();
    ASSERT_FALSE(runs.empty());
    GameDataFolder first;
    GameDataFolder second;
    TempFolder scratch;
    ASSERT_TRUE(first.ok() && second.ok() && scratch.ok());
    const std::string shots = VELMORA_ROAD_SHOTS;
    fs::create_directories(shots);
    fs::create_directories(scratch.file("second"));
    for (const RoadRun& run : runs) {
        SCOPED_TRACE(where(run));
        for (const auto& [frame, name] : run.shots) {
            fs::remove(shots + "/" + name + ".png");
        }
        // The two games at once, each in its own process and folders.
        auto other = std::async(twice ? std::launch::async : std::launch::deferred, [&] {
            return playRoadRun(second, run, scratch.file("second"), scratch.file("second"));
        });
        const RoadRunResult a = playRoadRun(first, run, scratch.path(), shots);
        expectRunAsWritten(run, a, shots);
        if (HasFatalFailure()) {
            return;
        }
        if (!twice) {
            continue;
        }
        const RoadRunResult b = other.get();
        ASSERT_EQ(b.run.status, 0) << b.run.output;
        EXPECT_EQ(a.trail, b.trail);
        EXPECT_EQ(a.saved.record, b.saved.record);
        EXPECT_EQ(a.saved.cloudRecord, b.saved.cloudRecord);
        EXPECT_EQ(a.mode, b.mode);
        EXPECT_EQ(a.tutorialCompleted, b.tutorialCompleted);
        for (const auto& [frame, name] : run.shots) {
            EXPECT_TRUE(fileBytes(shots + "/" + name + ".png") ==
                        fileBytes(scratch.file("second/" + name + ".png")))
                << name << " (frame " << frame << ") differs between the two runs";
        }
    }
}

TEST(RoadTest, AKillAtARandomFrameOfTheRoadLosesNothingFinished) {
    const std::vector<RoadRun> runs = road();
    ASSERT_FALSE(runs.empty());
    // A random frame of the whole road but a run's last; its seed is in the
    // failure message, and VELMORA_KILL_SEED plays that kill again.
    const char* given = std::getenv("VELMORA_KILL_SEED");
    const unsigned seed =
        given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("kill seed " + std::to_string(seed));
    std::mt19937 random(seed);
    long total = 0;
    for (const RoadRun& run : runs) {
        total += run.frames - 1;
    }
    long at = std::uniform_int_distribution<long>(0, total - 1)(random);
    std::size_t killed = 0;
    while (at >= runs[killed].frames - 1) {
        at -= runs[killed].frames - 1;
        ++killed;
    }

    GameDataFolder data;
    TempFolder scratch;
    ASSERT_TRUE(data.ok() && scratch.ok());
    std::optional<ZQ::SavedState> known;
    bool tutorialDone = false;
    for (std::size_t i = 0; i < killed; ++i) {
        const RoadRunResult result = playRoadRun(data, runs[i], scratch.path(), scratch.path());
        ASSERT_EQ(result.run.status, 0) << result.run.output;
        known = result.saved.record;
        tutorialDone = result.tutorialCompleted;
    }
    const RoadRun& run = runs[killed];
    SCOPED_TRACE(where(run) + ", killed after frame " + std::to_string(at));
    const auto profile = [&] {
        return std::make_tuple(data.read().record, tutorialCompletedIn(data), storedMode(data));
    };
    const auto before = profile();
    const std::string input = scratch.file("killed.txt");
    std::ofstream(input) << run.input;
    const int64_t reached = data.runThenKillAt(run.arguments(input, scratch.path()), at);
    ASSERT_GE(reached, at) << "the game stopped before the kill";

    // A run that starts a new game gives up the progress stored before it by
    // the player's own choice: a kill in it may leave either record, and the
    // restart, which plays the run to its end, must leave the one the road
    // writes.
    ASSERT_TRUE(!run.startsOver || !run.saved.empty()) << "a run that starts over says what it stores";
    auto expectNothingLost = [&](const std::string& when) {
        const GameDataFolder::Saved saved = data.read();
        ASSERT_EQ(saved.problem, "") << when;
        if (known) {
            ASSERT_TRUE(saved.record.has_value()) << when << ": the stored progress is gone";
            if (!run.startsOver) {
                EXPECT_EQ(lostProgress(*known, *saved.record), "") << when;
            }
        }
        if (tutorialDone) {
            EXPECT_TRUE(tutorialCompletedIn(data)) << when << ": the tutorial is no longer marked completed";
        }
    };
    expectNothingLost("after the kill");
    // The restart replays the killed run from its start and goes on. When
    // the killed game had stored nothing yet, the replay must go as written;
    // what it stored may send the replay another way (past the tutorial the
    // story no longer opens a start), which only must lose nothing.
    const bool untouched = profile() == before;
    const RoadRunResult restart = playRoadRun(data, run, scratch.path(), scratch.path());
    ASSERT_EQ(restart.run.status, 0) << restart.run.output;
    EXPECT_EQ(restart.run.output.find("zr_state_rejected"), std::string::npos) << restart.run.output;
    for (const RoadRun::StateCheck& check : untouched ? run.states : std::vector<RoadRun::StateCheck>()) {
        EXPECT_EQ(restart.stateMismatch(check), "") << "in the restart";
    }
    expectNothingLost("after the restart");
    if (run.startsOver) {
        ASSERT_TRUE(restart.saved.record.has_value()) << "the new game's progress is gone";
        EXPECT_EQ(checkRecord(*restart.saved.record, run.saved), "") << "after the restart";
    }
}

} // namespace
