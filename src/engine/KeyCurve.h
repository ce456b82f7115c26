#pragma once

#include <vector>

#include "engine/PVRTVector.h"

namespace ZQ {

// A curve through keys (x, y) sorted by ascending x, eased in and out between
// neighbouring keys (zero slope at every key) and constant outside them.
struct KeyCurve {
    using Keys = std::vector<PVRTVec2>;

    // Needs at least one key. Two keys at the same x make a step: at exactly
    // that x the earlier key's y holds.
    static float evaluate(const Keys& keys, float t);
};

} // namespace ZQ
