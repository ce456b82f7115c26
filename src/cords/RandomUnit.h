#pragma once

#include "engine/Random.h"

namespace ZQ {

// A uniform value in [0, 1) from the process-wide random source, as the
// grains and the wandering braids draw their directions and targets. The top
// 24 bits of one draw fill the float's mantissa exactly, so it never rounds
// up to 1.
inline float randomUnit() {
    return static_cast<float>(arc4random() >> 8) * 5.9604645e-08f;
}

} // namespace ZQ
