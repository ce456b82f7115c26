#pragma once

namespace ZQ::Fx {

// The friction coefficient of the level being played, read by every
// FrictionForce at every call. The one place the physics learns about levels.
float currentFrictionCoefficient();

} // namespace ZQ::Fx
