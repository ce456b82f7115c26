#include "engine/physics/FxFriction.h"

#include "engine/Globals.h"
#include "levels/LevelModel.h"

namespace ZQ::Fx {

// The base record's coefficient: worlds stepped before the catalogue exists
// (tools, tests of the physics alone) rub like most levels do.
static constexpr float BASE_FRICTION = 158.0f;

float currentFrictionCoefficient() {
    const LevelModel* levels = gGlobals.levelModel;
    return levels != nullptr ? levels->currentLevel().friction : BASE_FRICTION;
}

} // namespace ZQ::Fx
