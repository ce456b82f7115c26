#include "cords/HeadInstance.h"

#include "cords/Grasp.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/physics/FxForce.h"
#include "engine/physics/FxParticleSystem.h"

namespace ZQ {

namespace {

Fx::ParticleSystem& mainWorld() {
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    return *gGlobals.particleSystem1;
}

} // namespace

PVRTVec3 HeadInstance::getPosition() const {
    return mainWorld().getPosition(headParticle);
}

PVRTVec3 HeadInstance::getNeckPosition() const {
    return mainWorld().getPosition(neckParticle);
}

PVRTVec3 HeadInstance::getHeadDirection() const {
    const Fx::ParticleSystem& world = mainWorld();
    return capAtUnit(world.getPosition(headParticle) - world.getPosition(neckParticle));
}

void HeadInstance::push(const PVRTVec3& force) const {
    mainWorld().addTmpForce(new Fx::ConstantForce(headParticle, force));
}

} // namespace ZQ
