#include "platform/ZQFlowLines.h"

namespace ZQFlowLines {

std::string masterState(ZQ::MasterGameController::State state) {
    return "state " + std::to_string(static_cast<int32_t>(state)) + " " +
           ZQ::MasterGameController::stateName(state);
}

std::string awardState(ZQ::AwardController::State state) {
    return "award " + std::to_string(static_cast<int32_t>(state)) + " " +
           ZQ::AwardController::stateName(state);
}

std::string atFrame(const std::string& what, int32_t frame) {
    return what + " at frame " + std::to_string(frame);
}

} // namespace ZQFlowLines
