#include "cords/HeadHelix.h"
#include "engine/MathHelpers.h"

#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

constexpr float kAmplitude = 2.0f;

} // namespace

HeadFrame frameFromDirection(const PVRTVec3& d) {
    const float length = d.length();
    const float a = std::atan2(d.y, d.x);
    const float p = length > 0.0f ? std::acos(std::clamp(d.z / length, -1.0f, 1.0f)) : 0.0f;
    const float ca = std::cos(a);
    const float sa = std::sin(a);
    const float cp = std::cos(p);
    const float sp = std::sin(p);
    return HeadFrame{
        {PVRTVec3(ca * cp, -sa, ca * sp), PVRTVec3(sa * cp, ca, sa * sp), PVRTVec3(-sp, 0.0f, cp)}};
}

Action::State HeadHelixAction::start() {
    startPhase(0.0055555557f);
    return Running;
}

Action::State HeadHelixAction::run() {
    return helixToward(head().destination.position);
}

// q(p) = M ((8 - 6p) cos 2 pi p, (8 - 6p) sin 2 pi p, amplitude 2 pi p), M the
// frame along the line to the goal; the push is 30 (q(p1) - q(p0)).
Action::State HeadHelixAction::helixToward(const PVRTVec3& goal) {
    const HeadInstance& self = head();
    const float p0 = phase;
    const PVRTVec3 toGoal = goal - self.getPosition();
    advance();
    if (phaseDone()) {
        return Success;
    }
    if (toGoal.length() < 4.0f) {
        return Success;
    }
    const float p1 = phase;
    const HeadFrame m = frameFromDirection(toGoal);
    const float a0 = kTwoPi * p0;
    const float a1 = kTwoPi * p1;
    const float r0 = 8.0f - 6.0f * p0;
    const float r1 = 8.0f - 6.0f * p1;
    const PVRTVec3 q0 = m * PVRTVec3(r0 * std::cos(a0), r0 * std::sin(a0), kAmplitude * a0);
    const PVRTVec3 q1 = m * PVRTVec3(r1 * std::cos(a1), r1 * std::sin(a1), kAmplitude * a1);
    self.push((q1 - q0) * 30.0f);
    return Running;
}

Action::State HeadAmbushAction::start() {
    startPhase(0.011111111f);
    return head().target == nullptr ? Failure : Running;
}

Action::State HeadAmbushAction::run() {
    return helixToward(enemy().getPosition());
}

Action::State HeadAttackAction::start() {
    startPhase(0.016666668f);
    previousPoint = head().getPosition();
    return Running;
}

Action::State HeadAttackAction::run() {
    advance();
    if (phaseDone()) {
        return Success;
    }
    const HeadInstance& self = head();
    const PVRTVec3 toTarget = enemy().getPosition() - self.getPosition();
    const float distance = toTarget.length();
    const HeadFrame m = frameFromDirection(toTarget);
    const float a = kTwoPi * phase;
    const PVRTVec3 g = m * PVRTVec3(std::cos(a), std::sin(a), kAmplitude * a);
    const float gain = distance > 4.0f ? 900.0f : 30.0f;
    self.push(cappedPull((g - previousPoint) * gain, 200.0f));
    previousPoint = g;
    return Running;
}

Action::State HeadWrapAction::start() {
    startPhase(0.011111111f);
    return head().target == nullptr ? Failure : Running;
}

Action::State HeadWrapAction::run() {
    advance();
    if (phaseDone()) {
        return Success;
    }
    const HeadInstance& self = head();
    const HeadInstance& other = enemy();
    const float sign = (self.segmentIndex % 2 != 0) ? 1.0f : -1.0f;
    const HeadFrame m = frameFromDirection(other.getHeadDirection());
    const float a = kTwoPi * phase;
    const float r = 8.0f - 6.0f * phase;
    const PVRTVec3 goal = other.getPosition() +
                          m * PVRTVec3(sign * r * std::sin(a), sign * r * std::cos(a), -kAmplitude * phase);
    self.push((goal - self.getPosition()) * 4.0f);
    return Running;
}

Action::State HeadGripAction::start() {
    startPhase(0.011111111f);
    const HeadInstance& self = head();
    if (self.chosenParticle < 0) {
        return Failure;
    }
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    const PVRTVec3 k = gGlobals.particleSystem1->getPosition(self.chosenParticle);
    radius = std::max((k - self.getPosition()).length(), 4.0f);
    return Running;
}

Action::State HeadGripAction::run() {
    advance();
    if (phaseDone()) {
        return Success;
    }
    const HeadInstance& self = head();
    ZQ_ASSERT(gGlobals.cordModel != nullptr && gGlobals.particleSystem1 != nullptr);
    const CordModel& cord = *gGlobals.cordModel;
    const int32_t k = self.chosenParticle;
    // The cord's direction at k: toward the next particle of its string, or
    // the previous one at the string's end.
    const CordModel::Segment& s = cord.getSegmentForParticle(k);
    int32_t n = std::min(k + 1, s.last);
    if (n == k) {
        n = k - 1;
    }
    const PVRTVec3 t = capAtUnit(cord.getParticlePos(n) - cord.getParticlePos(k));
    const PVRTVec3 b = capAtUnit(self.getHeadDirection().cross(t));
    const PVRTVec3 at = gGlobals.particleSystem1->getPosition(k);
    const float a = kTwoPi * phase;
    const float r = radius + (2.0f - radius) * phase;
    const HeadFrame m = frameFromDirection(b);
    const PVRTVec3 goal = at + m * PVRTVec3(std::sin(a), r * std::cos(a), -kAmplitude * phase);
    self.push((goal - self.getPosition()) * 4.0f);
    return Running;
}

} // namespace ZQ
