#include "engine/RotateActions.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"

#include <cmath>
#include <numbers>

namespace ZQ {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr float kTwoPiF = static_cast<float>(kTwoPi);
constexpr float kInvTwoPiF = 0.15915494f;
} // namespace

RotateAction::RotateAction(const PVRTVec3& perFrame) : delta(perFrame) {}

float RotateAction::wrapAngle(float a) {
    if (a < 0.0f) {
        a = static_cast<float>(static_cast<double>(a) + kTwoPi);
    }
    a = a - kTwoPiF * std::trunc(a * kInvTwoPiF);
    if (a < 0.0f) {
        a += kTwoPiF;
    }
    return a;
}

Action::State RotateAction::run() {
    ZQ_ASSERT(target != nullptr);
    PVRTVec3& angles = target->layout.angles;
    angles.x = wrapAngle(angles.x + delta.x);
    angles.y = wrapAngle(angles.y + delta.y);
    angles.z = wrapAngle(angles.z + delta.z);
    return Running;
}

RotateCenterAction::RotateCenterAction(const PVRTVec3& pivot, float armLength, float startAngle,
                                       float endAngle, int32_t frameCount)
    : Tween(easeOutQuad(), frameCount), centre(pivot), radius(armLength), fromAngle(startAngle),
      toAngle(endAngle) {}

Action::State RotateCenterAction::run() {
    const float e = curve->ease(t);
    const float a = fromAngle + (toAngle - fromAngle) * e;
    Layout& layout = target->layout;
    layout.position = PVRTVec3(centre.x + radius * std::cos(a), centre.y, centre.z + radius * std::sin(a));
    layout.angles = PVRTVec3(0.0f, static_cast<float>(static_cast<double>(a) - std::numbers::pi / 2.0), 0.0f);
    const float next = t + step;
    t = std::fmin(next, 1.0f);
    return next >= 1.0f ? Success : Running;
}

} // namespace ZQ
