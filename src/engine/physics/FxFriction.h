#pragma once

namespace ZQ::Fx {

// The friction coefficient of the level being played, read by a FrictionForce
// at every call, and once per substep by a world applying its contacts. The
// one place the physics learns about levels.
float currentFrictionCoefficient();

} // namespace ZQ::Fx
