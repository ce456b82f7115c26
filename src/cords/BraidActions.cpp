#include "cords/BraidActions.h"

#include "cords/BraidModel.h"
#include "cords/RandomUnit.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/physics/FxForce.h"
#include "engine/physics/FxParticleSystem.h"

namespace ZQ {

namespace {

// Close enough: the braid has arrived.
constexpr float kArrival = 2.0f;

} // namespace

BraidMoveAction::BraidMoveAction(const PVRTVec3& target) : target(target) {}

Action::State BraidMoveAction::run() {
    auto* braid = dynamic_cast<BraidInstance*>(getCloudlet());
    ZQ_ASSERT(braid != nullptr && gGlobals.particleSystem3 != nullptr);
    Fx::ParticleSystem& world = *gGlobals.particleSystem3;
    const int32_t head = braid->segment.first;
    const PVRTVec3 d = target - world.getPosition(head);
    if (d.length() < kArrival) {
        return Success;
    }
    world.addTmpForce(new Fx::ConstantForce(head, pull(d)));
    return Running;
}

Action::State BraidExploreAction::start() {
    const float r1 = randomUnit();
    const float r2 = randomUnit();
    const PVRTVec2& world = gGlobals.worldSize;
    target = PVRTVec3((2.0f * r1 - 1.0f) * world.x, (0.3f * r2 + 0.7f) * world.y, 0.0f);
    return Running;
}

} // namespace ZQ
