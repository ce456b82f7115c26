#include "engine/physics/FxForce.h"

#include "engine/physics/FxFriction.h"

namespace ZQ::Fx {

// F = delta * ((d - rest) * 0.5 / d) * 900, taken from i and given to j.
// Coincident particles have no direction to be pushed along; dividing by
// d = 0 would poison both accelerations with NaN, so the pair gets no push
// this substep and the other forces (or the next collision) part them.
void CollisionForce::apply(PVRTVec3* positions, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    const PVRTVec3 delta = positions[i] - positions[j];
    const float d = delta.length();
    if (d == 0.0f) {
        return;
    }
    const PVRTVec3 f = delta * ((d - rest) * 0.5f / d) * GAIN;
    accelerations[i] = accelerations[i] - f;
    accelerations[j] = accelerations[j] + f;
}

PVRTVec3 FrictionForce::drag(const PVRTVec3& moved, float mu) {
    PVRTVec3 v = moved;
    const float l = v.length();
    if (l > 1.0f) {
        v = v / l;
    }
    return -(v * mu);
}

// The coefficient is read at every call: the level may change between steps.
void FrictionForce::apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) {
    apply(positions, oldPositions, accelerations, currentFrictionCoefficient());
}

void ConstantForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i] = accelerations[i] + force;
}

void GravityForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i].y = accelerations[i].y - G;
}

} // namespace ZQ::Fx
