#include "GameRoad.h"

#include "GameProcess.h"
#include "platform/ZQFlowLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

// What the road's checks say when the game goes another way: the flow's
// states by their names beside their numbers, as --print-states prints
// them, so that a failure reads without the enumeration at hand.

namespace {

using FlowState = ZQ::MasterGameController::State;

std::string printed(FlowState state, int32_t frame) {
    return ZQFlowLines::atFrame(ZQFlowLines::masterState(state), frame) + "\n";
}

TEST(RoadChecksTest, AStateMismatchNamesTheStatesOnBothSides) {
    RoadRunResult result;
    result.trail = readStateTrail(printed(FlowState::Start, 0) + printed(FlowState::LevelRuns, 10) +
                                  printed(FlowState::AwardRuns, 50));
    ASSERT_EQ(result.trail.size(), 3u);
    const std::string levelRuns = ZQFlowLines::masterState(FlowState::LevelRuns);
    const std::string awardRuns = ZQFlowLines::masterState(FlowState::AwardRuns);
    ASSERT_NE(levelRuns, awardRuns);

    RoadRun::StateCheck early{20, 20, static_cast<int32_t>(FlowState::AwardRuns)};
    const std::string wrong = result.stateMismatch(early);
    EXPECT_NE(wrong.find("after frame 20: " + levelRuns + ","), std::string::npos) << wrong;
    EXPECT_NE(wrong.find(awardRuns + " was expected"), std::string::npos) << wrong;

    RoadRun::StateCheck span{20, 60, static_cast<int32_t>(FlowState::LevelRuns)};
    const std::string left = result.stateMismatch(span);
    EXPECT_NE(left.find(awardRuns + " at frame 50"), std::string::npos) << left;
    EXPECT_NE(left.find(levelRuns + " was expected through frame 60"), std::string::npos) << left;

    RoadRun::StateCheck held{10, 49, static_cast<int32_t>(FlowState::LevelRuns)};
    EXPECT_EQ(result.stateMismatch(held), "");
    RoadRun::StateCheck before{0, 0, static_cast<int32_t>(FlowState::Start)};
    EXPECT_EQ(result.stateMismatch(before), "");
}

// A number the flow never takes (20 was never used) is a mistake in the
// road file, said by its line, not a run that fails on a bare number.
TEST(RoadChecksTest, AStateTheFlowNeverTakesIsRefusedByItsLine) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    for (const char* state : {"20", "28", "-1"}) {
        TempFolder::write(folder.file("road.txt"),
                          "#@ run 100 seed 1\n#@ state 5 2\n#@ state 9 " + std::string(state) + "\n");
        std::vector<RoadRun> runs;
        std::string error;
        EXPECT_FALSE(readRoad(folder.file("road.txt"), runs, error)) << state;
        EXPECT_EQ(error, folder.file("road.txt") + ":3: " + state + " is no state of the game's flow");
    }
}

} // namespace
