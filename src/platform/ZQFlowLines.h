#pragma once

#include "game/AwardController.h"
#include "game/MasterGameController.h"

#include <cstdint>
#include <string>

// The lines --print-states prints as the game's flow goes, one for each
// change, "WHAT at frame F" after the frame F it happened in: the master
// game controller's state and the award's, each by its number and its name.
// The tests that wait for a state or read a trail build WHAT with these.
namespace ZQFlowLines {

// "state S NAME": the master game controller in state S.
std::string masterState(ZQ::MasterGameController::State state);
// "award S NAME": the award controller in state S.
std::string awardState(ZQ::AwardController::State state);
// The line printed for `what` after frame `frame`, without its newline.
std::string atFrame(const std::string& what, int32_t frame);

} // namespace ZQFlowLines
