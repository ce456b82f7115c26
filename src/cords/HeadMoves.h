#pragma once

#include "cords/HeadAction.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// Kicks the head in a random direction with strength 10 every run while it
// is held; succeeds once the grab has ended.
class HeadGrabbedAction : public HeadAction {
public:
    State run() override;
};

// One sway along the head direction taken at start: a sine of amplitude 2
// over 120 runs. Pushes 121 times and succeeds on its 122nd run (the phase
// sums of 1/120 stay just below 1 after 120 of them).
class HeadIdleAction : public HeadPhasedAction {
public:
    State start() override;
    State run() override;

private:
    PVRTVec3 direction;
};

// Holds the head about 2 units from where its neck was at start, in the x-y
// plane at the fixed angle angle / frames, for frames + 1 runs.
class HeadScanAction : public HeadPhasedAction {
public:
    HeadScanAction(float angleRadians, int32_t frameCount) : angle(angleRadians), frames(frameCount) {}

    State start() override;
    State run() override;

private:
    float angle = 0.0f;
    int32_t frames = 0;
    PVRTVec3 neckStart;
};

// Keeps the neck about 9 units from the target (no pull between 8 and 10)
// and turns the face toward it; runs until something above ends it.
// Expects a target.
class HeadPointAction : public HeadAction {
public:
    State run() override;
};

// Pulls the neck toward the target's neck until the head is within 3 units
// of it. Fails at start without a target.
class HeadReachAction : public HeadAction {
public:
    State start() override;
    State run() override;
};

} // namespace ZQ
