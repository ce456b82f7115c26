#pragma once

#include "engine/Action.h"
#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"
#include "engine/TweenActions.h"

namespace ZQ {

// Keeps the bound item on the tangle: every frame it moves the item toward its
// goal (follow), then clamps the position into three [min, max] ranges. The
// goal of the plain range action is the cords' smoothed centre, shifted
// sideways by the motion parallax. It never finishes.
//
// Units are the cord model's pixels; the cord model must exist (it is built
// with the engine, before any action runs).
class RangeAction : public Action {
public:
    struct Range {
        float min = 0.0f;
        float max = 0.0f;
    };

    RangeAction(const Range& x, const Range& y, const Range& z);

    State run() override;
    virtual void follow();

    const Range& rangeX() const { return x; }
    const Range& rangeY() const { return y; }
    const Range& rangeZ() const { return z; }

protected:
    Range x;
    Range y;
    Range z;
};

// The camera eye's follow: a damped spring toward the cords' centre, clamped
// into the eye's box and lifted by the screen height so the eye stays in
// front of the knot. With stiffness 16 and damping 8 the spring is critically
// damped: it settles without overshoot. The velocity lives in the action and
// survives a reset.
class CameraOrientateAction : public RangeAction {
public:
    CameraOrientateAction(const Range& x, const Range& y, const Range& z, const PVRTVec3& velocity,
                          float stiffness, float damping);

    void follow() override;

    const PVRTVec3& getVelocity() const { return velocity; }

    static constexpr float kDt = 0.033333335f; // one frame

private:
    PVRTVec3 goal() const;

    PVRTVec3 velocity;
    float stiffness = 0.0f;
    float damping = 0.0f;
};

// Turns the item's orientation by `rotation` over a number of frames and
// places the item at `axis` turned by the current orientation (the camera's
// up item is such a direction). There is no final snap: the last frame shows
// the eased value of the last t before it reached 1.
class CameraRotateAction : public Tween {
public:
    CameraRotateAction(const Easing* curve, int32_t frames, const PVRTQuaternion& rotation,
                       const PVRTVec3& axis);

    State start() override;
    State run() override;

private:
    PVRTQuaternion rotation;
    PVRTQuaternion from;
    PVRTQuaternion goal;
    PVRTVec3 axis;
};

// The vector v turned by the unit quaternion q.
PVRTVec3 rotateByQuaternion(const PVRTQuaternion& q, const PVRTVec3& v);

} // namespace ZQ
