#pragma once

#include "engine/Action.h"

namespace ZQ {

class CordInstance;
class Easing;

// The cord's tube grows from nothing to its full radius (one world unit in
// pixels) on an elastic curve over 60 frames, overshooting a little, while
// it becomes opaque. Succeeds in the run after its progress has reached 1
// (the 62nd), with radius and alpha exactly full. Its target is the
// CordInstance.
class CordFadeInAction : public Action {
public:
    State start() override;
    State run() override;

private:
    float progress = 0.0f;
    float rate = 0.0f;
};

// The cord's tube shrinks to nothing on an elastic curve over 60 frames and
// turns transparent; at the end the radius is 0 and the alpha keeps its last
// value. Its target is the CordInstance.
class CordFadeOutAction : public Action {
public:
    State start() override;
    State run() override;

private:
    float progress = 0.0f;
    float rate = 0.0f;
    const Easing* easing = nullptr; // shared preset
};

// The solved cord's exit: every string of the cord model becomes a braid of
// three particles in the braid world, near the string's first particle and
// in its material of the current level, that fades in, flies off toward a
// corner of the room and fades out. The cord's own particles are left alone.
// Needs the cord, braid and level models and the main and braid worlds in
// the engine globals.
void convertStringsToBraids();

} // namespace ZQ
