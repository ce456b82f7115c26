#pragma once

#include "engine/PVRTVector.h"
#include "engine/TweenActions.h"

namespace ZQ {

// Eases the three values of the bound spot from what they hold at start to a
// goal pair and third value. It succeeds once t exceeds 1 (strictly), with no
// final snap: a 15-frame spot action succeeds on its sixteenth run, having
// shown ease(15/15) on its last running frame.
class SpotAction : public Tween {
public:
    SpotAction(const PVRTVec2& toPair, float toThird, const Easing* curve, int32_t frames);

    State start() override;
    State run() override;

private:
    PVRTVec2 toPair;
    float toThird = 1.0f;
    PVRTVec2 fromPair;
    float fromThird = 1.0f;
};

} // namespace ZQ
