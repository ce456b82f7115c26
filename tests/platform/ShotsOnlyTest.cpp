#include "GameDataFolder.h"
#include "road/GameRoad.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

// A headless run that renders only the frames it writes plays and draws
// exactly as one that draws every frame: the road's runs rely on it. Should
// the game come to decide anything on what was drawn, or a frame leave
// something behind for later ones that a frame not drawn does not, the flow
// or a picture would differ here.

namespace {

// The lines that tell of the flow: "state S NAME at frame F".
std::string states(const std::string& output) {
    std::istringstream lines(output);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("state ", 0) == 0) {
            kept += line + "\n";
        }
    }
    return kept;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ShotsOnlyTest, ARunRenderingOnlyItsShotsPlaysAndDrawsThemAsOneDrawingEveryFrame) {
    GameDataFolder everyFrame;
    GameDataFolder shotsOnly;
    ASSERT_TRUE(everyFrame.ok() && shotsOnly.ok());
    const std::string arguments = "--headless --seed 5 --print-states --frames 90 --shot 79:";
    const std::string drawn = everyFrame.storeFolder() + "-every.png";
    const std::string stepped = shotsOnly.storeFolder() + "-shots.png";
    const GameRun a = everyFrame.run(arguments + "'" + drawn + "'");
    const GameRun b = shotsOnly.run(arguments + "'" + stepped + "' --draw-shots-only");
    ASSERT_EQ(a.status, 0) << a.output;
    ASSERT_EQ(b.status, 0) << b.output;
    EXPECT_NE(states(a.output), "");
    EXPECT_EQ(states(a.output), states(b.output));
    const std::string picture = fileBytes(drawn);
    EXPECT_FALSE(picture.empty());
    EXPECT_TRUE(picture == fileBytes(stepped)) << "frame 79 differs when the frames before it are not drawn";
}

// Frames of the road's second run: the points screen of level 0, whose room
// came in at the level's start, long before, on a frame not drawn; the
// award, with its share button; the pause menu of level 1, whose share
// button waits for the snapshot its start asked for.
constexpr long kPointsFrame = 699;
constexpr long kAwardFrame = 859;
constexpr long kPauseFrame = 1039;

// Whether the flow entered `state` after a frame in [from, to].
bool entered(const RoadRunResult& result, int32_t state, long from, long to) {
    for (auto it = result.trail.lower_bound(from); it != result.trail.end() && it->first <= to; ++it) {
        if (it->second == state) {
            return true;
        }
    }
    return false;
}

// The road's second run, from the stores its first run leaves, through a
// room change, a solved level's points and award, the next level's room and
// its pause menu: drawn every frame and drawn only at those three frames.
TEST(ShotsOnlyTest, TheRoadsRoomsAwardAndPauseMenuAreDrawnAsWhenEveryFrameIsDrawn) {
    std::vector<RoadRun> runs;
    std::string error;
    ASSERT_TRUE(readRoad(VELMORA_ROAD_FILE, runs, error)) << error;
    ASSERT_GE(runs.size(), 2u);
    GameDataFolder everyFrame;
    GameDataFolder shotsOnly;
    TempFolder scratch;
    ASSERT_TRUE(everyFrame.ok() && shotsOnly.ok() && scratch.ok());
    std::filesystem::create_directories(scratch.file("drawn"));
    std::filesystem::create_directories(scratch.file("stepped"));

    RoadRun first = runs[0];
    first.shots.clear();
    const RoadRunResult played = playRoadRun(everyFrame, first, scratch.path(), scratch.path());
    ASSERT_EQ(played.run.status, 0) << played.run.output;
    std::filesystem::copy(everyFrame.storeFolder(), shotsOnly.storeFolder(),
                          std::filesystem::copy_options::recursive);

    RoadRun second = runs[1];
    second.frames = kPauseFrame + 1;
    second.shots = {{kPointsFrame, "points"}, {kAwardFrame, "award"}, {kPauseFrame, "pause"}};
    const RoadRunResult stepped = playRoadRun(shotsOnly, second, scratch.path(), scratch.file("stepped"));
    second.drawShotsOnly = false;
    const RoadRunResult drawn = playRoadRun(everyFrame, second, scratch.path(), scratch.file("drawn"));
    ASSERT_EQ(stepped.run.status, 0) << stepped.run.output;
    ASSERT_EQ(drawn.run.status, 0) << drawn.run.output;

    // The span holds what it is for: a room comes in (19) before the first
    // shot and again between the last two, the first two shots show the
    // award (3), the last a pause (21) over the level, its menu (4).
    EXPECT_TRUE(entered(drawn, 19, 0, kPointsFrame));
    EXPECT_EQ(drawn.stateAfter(kPointsFrame), 3);
    EXPECT_EQ(drawn.stateAfter(kAwardFrame), 3);
    EXPECT_TRUE(entered(drawn, 19, kAwardFrame, kPauseFrame));
    EXPECT_TRUE(entered(drawn, 21, kAwardFrame, kPauseFrame));
    EXPECT_EQ(drawn.stateAfter(kPauseFrame), 4);

    EXPECT_EQ(stepped.trail, drawn.trail);
    EXPECT_EQ(stepped.saved.record, drawn.saved.record);
    for (const auto& [frame, name] : second.shots) {
        const std::string picture = fileBytes(scratch.file("drawn/" + name + ".png"));
        EXPECT_FALSE(picture.empty()) << name;
        EXPECT_TRUE(picture == fileBytes(scratch.file("stepped/" + name + ".png")))
            << name << " (frame " << frame << ") differs when the frames before it are not drawn";
    }
}

} // namespace
