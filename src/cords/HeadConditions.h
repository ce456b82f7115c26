#pragma once

#include "cords/HeadAction.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// Running while the head's fear flag is set, success otherwise.
class HeadCheckFear : public HeadAction {
public:
    State run() override;
};

// Success when the target is the other head of the head's own string,
// failure otherwise. Expects a target.
class HeadCheckEnemy : public HeadAction {
public:
    State run() override;
};

// Decided at start: failure without a target or with a calm one, else
// success.
class HeadHasTarget : public HeadAction {
public:
    State start() override;
};

// Fails on the fourth run, since it started, in which the head moved less
// than 0.01 since the previous run, consecutive or not; runs until then.
class HeadStuckCheck : public HeadAction {
public:
    State start() override;
    State run() override;

private:
    PVRTVec3 lastPosition;
    int32_t count = 0;
};

// Looks each run for the lowest-indexed other head this head sees and makes
// it the target. Finding one FAILS (that ends the hunting tree's scan);
// running while none is seen.
class HeadChooseTarget : public HeadAction {
public:
    State run() override;
};

// Succeeds at start with a random destination on the diagonal of the cord's
// bounding box, in world units.
class HeadChooseDestination : public HeadAction {
public:
    State start() override;
};

// Picks the cord particle to grip and clears the target. With several
// strings, the nearest particle of any other string; with one, the particle
// of the own string farthest along it that is within reach (a quarter of
// the screen width). Running until a pick lies within reach.
class HeadChooseParticle : public HeadAction {
public:
    State run() override;
};

} // namespace ZQ
