#include "engine/physics/FxFriction.h"

namespace ZQ::Fx {

// The base level record's coefficient, which all but eleven levels share.
// This will read the level cursor's current record once the catalogue is
// in the build.
static constexpr float BASE_FRICTION = 158.0f;

float currentFrictionCoefficient() {
    return BASE_FRICTION;
}

} // namespace ZQ::Fx
