#pragma once

#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

namespace ZQ {

// The pose of a scene item: what actions animate and the renderer draws.
// A plain value, copied freely.
struct Layout {
    PVRTVec3 position;
    PVRTVec3 angles; // radians about x, y and z; never normalised here
    float scale = 1.0f;
    float alpha = 1.0f;
    PVRTQuaternion orientation; // identity (0, 0, 0, 1)

    // The pose a fraction t of the way from `from` to `to`: position, scale
    // and alpha linearly, each angle along the shorter arc (a tie turns
    // forward), the orientation by slerp. Angles are not wrapped, so the
    // result at t = 1 may differ from `to` by a whole turn. A t outside
    // [0, 1] (elastic curves overshoot) gives the identity orientation.
    static Layout interpolate(const Layout& from, const Layout& to, float t);

    bool operator==(const Layout& o) const {
        return position == o.position && angles == o.angles && scale == o.scale && alpha == o.alpha &&
               orientation == o.orientation;
    }
};

} // namespace ZQ
