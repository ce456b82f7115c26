#include "engine/physics/FxForce.h"

namespace ZQ::Fx {

void FrictionForce::apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) {
    accelerations[i] = accelerations[i] + drag(positions[i] - oldPositions[i], mu);
}

void ConstantForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i] = accelerations[i] + force;
}

void GravityForce::apply(PVRTVec3* /*positions*/, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    accelerations[i].y = accelerations[i].y - kGravity;
}

} // namespace ZQ::Fx
