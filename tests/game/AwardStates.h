#pragma once

#include "game/AwardController.h"

#include <cstdint>
#include <ostream>

// The award controller's states as the tests name them.
using AwardState = ZQ::AwardController::State;

namespace ZQ {

// A failed check shows a state by its number and name, as --print-states
// prints it, not as the bytes of an enumeration.
inline void PrintTo(AwardController::State state, std::ostream* out) {
    *out << "award " << static_cast<int32_t>(state) << " " << AwardController::stateName(state);
}

} // namespace ZQ
