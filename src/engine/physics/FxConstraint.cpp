#include "engine/physics/FxConstraint.h"

namespace ZQ::Fx {

BoundConstraint::Corners BoundConstraint::boxCorners(const PVRTVec3& lo, const PVRTVec3& hi) {
    Corners c;
    for (int k = 0; k < 8; ++k) {
        c[k] = PVRTVec3((k & 4) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 1) ? hi.z : lo.z);
    }
    return c;
}

} // namespace ZQ::Fx
