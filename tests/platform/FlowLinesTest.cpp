#include "GameProcess.h"

#include "game/AwardStates.h"
#include "game/MasterStates.h"
#include "platform/ZQFlowLines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace {

// Every state's line, as --print-states prints it, reads back through the
// road's parser as that state after that frame, and no two states of a
// controller share a name: a line may be read, and a state found, by its
// name alone. A line whose name is another state's is not read.
TEST(FlowLinesTest, EachStatesLineReadsBackAsItselfAndEachNameIsOneStates) {
    std::set<std::string> masterNames;
    int32_t masterStates = 0;
    for (int32_t n = 0; n < ZQ::MasterGameController::kStateEnd; ++n) {
        const auto state = static_cast<MasterState>(n);
        const std::string name = ZQ::MasterGameController::stateName(state);
        if (name.empty()) {
            continue; // a number no state has
        }
        ++masterStates;
        masterNames.insert(name);
        const std::string line = ZQFlowLines::atFrame(ZQFlowLines::masterState(state), 40 + n);
        EXPECT_EQ(readStateTrail("1\n" + line + "\n2\n"), (std::map<long, int32_t>{{40 + n, n}})) << line;
    }
    EXPECT_EQ(masterStates, ZQ::MasterGameController::kStateEnd - 1) << "20 alone was never used";
    EXPECT_EQ(masterNames.size(), static_cast<std::size_t>(masterStates));

    const std::string otherName = ZQ::MasterGameController::stateName(MasterState::ShowMenu);
    EXPECT_TRUE(readStateTrail("state 4 " + otherName + " at frame 9\n").empty());

    std::set<std::string> awardNames;
    for (int32_t n = 0; n < ZQ::AwardController::kStateCount; ++n) {
        const std::string name = ZQ::AwardController::stateName(static_cast<AwardState>(n));
        EXPECT_FALSE(name.empty()) << n;
        awardNames.insert(name);
    }
    EXPECT_EQ(awardNames.size(), static_cast<std::size_t>(ZQ::AwardController::kStateCount));
}

} // namespace
