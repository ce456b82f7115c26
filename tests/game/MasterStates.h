#pragma once

#include "game/MasterGameController.h"

#include <cstdint>
#include <ostream>

// The master controller's states as the flow tests name them.
using MasterState = ZQ::MasterGameController::State;

namespace ZQ {

// A failed check shows a state by its number and name, as --print-states
// prints it, not as the bytes of an enumeration.
inline void PrintTo(MasterGameController::State state, std::ostream* out) {
    *out << "state " << static_cast<int32_t>(state) << " " << MasterGameController::stateName(state);
}

} // namespace ZQ
