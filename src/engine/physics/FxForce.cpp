#include "engine/physics/FxForce.h"

#include "engine/physics/FxFriction.h"

namespace ZQ::Fx {

// The coefficient is read at every call: the level may change between steps.
void FrictionForce::apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) {
    accelerations[i] = accelerations[i] + drag(positions[i] - oldPositions[i], currentFrictionCoefficient());
}

void ConstantForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i] = accelerations[i] + force;
}

void GravityForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i].y = accelerations[i].y - G;
}

} // namespace ZQ::Fx
