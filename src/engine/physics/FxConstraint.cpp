#include "engine/physics/FxConstraint.h"

namespace ZQ::Fx {

// Moves i and j along their join, each by half of (d - target). Two
// particles at the same point have no join to move along: dividing by d = 0
// would write NaN into both, and the links would carry it along the whole
// cord, so a coincident pair is left for the forces to separate.
static void halveError(PVRTVec3* p, int32_t i, int32_t j, const PVRTVec3& delta, float d, float target) {
    const float k = (d - target) * 0.5f / d;
    const PVRTVec3 shift = delta * k;
    p[i] = p[i] - shift;
    p[j] = p[j] + shift;
}

void DistanceConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    const PVRTVec3 delta = positions[i] - positions[j];
    const float d = delta.length();
    if (d < minimum && d != 0.0f) {
        halveError(positions, i, j, delta, d, minimum);
    }
}

void LinkConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    const PVRTVec3 delta = positions[i] - positions[j];
    const float d = delta.length();
    if (d != 0.0f) {
        halveError(positions, i, j, delta, d, rest);
    }
}

void FixConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    positions[i] = position;
}

// The IEEE maxNum and minNum rules: when one operand is not a number, the
// other is the result. Written out because the library calls were a sixth of
// a cord's constraint time.
static float maxNum(float a, float b) {
    return (a > b || b != b) ? a : b;
}
static float minNum(float a, float b) {
    return (a < b || b != b) ? a : b;
}

// A coordinate that is not a number becomes the lower bound, which puts a
// runaway particle back into the room. On an axis narrower than twice the
// margin the upper bound wins.
void BoundConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    const PVRTVec3 lo = corners[0];
    const PVRTVec3 hi = corners[7];
    PVRTVec3& p = positions[i];
    p.x = minNum(maxNum(p.x, lo.x + MARGIN), hi.x - MARGIN);
    p.y = minNum(maxNum(p.y, lo.y + MARGIN), hi.y - MARGIN);
    p.z = minNum(maxNum(p.z, lo.z + MARGIN), hi.z - MARGIN);
}

BoundConstraint::Corners BoundConstraint::boxCorners(const PVRTVec3& lo, const PVRTVec3& hi) {
    Corners c;
    for (int k = 0; k < 8; ++k) {
        c[k] = PVRTVec3((k & 4) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 1) ? hi.z : lo.z);
    }
    return c;
}

} // namespace ZQ::Fx
