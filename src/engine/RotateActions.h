#pragma once

#include "engine/Action.h"
#include "engine/PVRTVector.h"
#include "engine/TweenActions.h"

namespace ZQ {

// Spins the bound item: adds `delta` to its three layout angles every frame,
// each kept in [0, 2π) so that a spin of hours does not lose precision. It
// never finishes (the spinning holograms, the gauge).
class RotateAction : public Action {
public:
    explicit RotateAction(const PVRTVec3& delta);

    State run() override;

    // a in [0, 2π), whatever turn it was on.
    static float wrapAngle(float a);

protected:
    PVRTVec3 delta;
};

// Swings the bound item along a horizontal arc about `centre`, from one angle
// to another (radians) over a number of frames on the easeOutQuad curve,
// turning it to face along the arc. The last frame shows the eased value of
// t = (N - 1) / N, just short of the end angle.
class RotateCenterAction : public Tween {
public:
    RotateCenterAction(const PVRTVec3& centre, float radius, float fromAngle, float toAngle, int32_t frames);

    State run() override;

    float getT() const { return t; }

private:
    PVRTVec3 centre;
    float radius = 0.0f;
    float fromAngle = 0.0f;
    float toAngle = 0.0f;
};

} // namespace ZQ
