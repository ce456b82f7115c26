#include "stage/CameraActions.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"

#include <cmath>

namespace ZQ {

namespace {

// fmax/fmin rather than std::max/min: a NaN coordinate becomes the bound
// instead of sticking to the camera for good.
float clampInto(float v, float lo, float hi) {
    return std::fmin(std::fmax(v, lo), hi);
}

const PVRTVec3& cordCentre() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    return gGlobals.cordModel->centre;
}

} // namespace

RangeAction::RangeAction(const Range& ax, const Range& ay, const Range& az) : x(ax), y(ay), z(az) {}

Action::State RangeAction::run() {
    ZQ_ASSERT(target != nullptr);
    follow();
    PVRTVec3& p = target->layout.position;
    p.x = clampInto(p.x, x.min, x.max);
    p.y = clampInto(p.y, y.min, y.max);
    p.z = clampInto(p.z, z.min, z.max);
    return Running;
}

void RangeAction::follow() {
    const PVRTVec3& c = cordCentre();
    const float w = gGlobals.screenSize.x;
    const PVRTVec3& parallax = gGlobals.parallax;
    target->layout.position = PVRTVec3(c.x + parallax.x * 0.05f * w, c.y + parallax.y * 0.05f * w, c.z);
}

CameraOrientateAction::CameraOrientateAction(const Range& ax, const Range& ay, const Range& az,
                                             const PVRTVec3& startVelocity, float springStiffness,
                                             float springDamping)
    : RangeAction(ax, ay, az), velocity(startVelocity), stiffness(springStiffness), damping(springDamping) {}

PVRTVec3 CameraOrientateAction::goal() const {
    const PVRTVec3& c = cordCentre();
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    return PVRTVec3(clampInto(c.x, -1.2f * w, 1.2f * w), clampInto(c.y, -0.3f * h, 0.3f * h),
                    clampInto(c.z, -0.55f * h, 0.4f * h) + h);
}

void CameraOrientateAction::follow() {
    const PVRTVec3 g = goal();
    const PVRTVec3 p = target->getPosition();
    // Semi-implicit Euler: the new velocity moves the position.
    const PVRTVec3 f = velocity * damping - (g - p) * stiffness;
    velocity = velocity - f * kDt;
    target->layout.position = p + velocity * kDt;
}

CameraRotateAction::CameraRotateAction(const Easing* easing, int32_t frameCount, const PVRTQuaternion& turn,
                                       const PVRTVec3& baseAxis)
    : Tween(easing, frameCount), rotation(turn), axis(baseAxis) {}

Action::State CameraRotateAction::start() {
    const State s = Tween::start();
    from = target->layout.orientation;
    quaternionMultiply(goal, from, rotation);
    return s;
}

Action::State CameraRotateAction::run() {
    PVRTQuaternion q;
    quaternionSlerp(q, from, goal, curve->ease(t));
    target->layout.position = rotateByQuaternion(q, axis);
    target->layout.orientation = q;
    t += step;
    return t >= 1.0f ? Success : Running;
}

PVRTVec3 rotateByQuaternion(const PVRTQuaternion& q, const PVRTVec3& v) {
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    return PVRTVec3((1.0f - 2.0f * (yy + zz)) * v.x + 2.0f * (xy - wz) * v.y + 2.0f * (xz + wy) * v.z,
                    2.0f * (xy + wz) * v.x + (1.0f - 2.0f * (xx + zz)) * v.y + 2.0f * (yz - wx) * v.z,
                    2.0f * (xz - wy) * v.x + 2.0f * (yz + wx) * v.y + (1.0f - 2.0f * (xx + yy)) * v.z);
}

} // namespace ZQ
