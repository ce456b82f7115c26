#include "engine/Assert.h"
#include "engine/physics/FxParticleSystem.h"

namespace ZQ::Fx {

// clang-format off
PVRTVec3 ParticleSystem::getPosition(int p_index) const {
    ZQ_ASSERT(p_index>=0 && p_index<p_count);
    return positions[p_index];
}

PVRTVec3 ParticleSystem::getVelocity(int p_index) const {
    ZQ_ASSERT(p_index>=0 && p_index<p_count);
    return displacements[p_index];
}

const Force* ParticleSystem::getTmpForce(int32_t k) const {
    ZQ_ASSERT(k>=0 && k<ft_count);
    return temporaryForces[k];
}
// clang-format on

} // namespace ZQ::Fx
