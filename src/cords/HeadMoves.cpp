#include "cords/HeadMoves.h"

#include "cords/Grasp.h"
#include "cords/HeadModel.h"

#include <cmath>

namespace ZQ {

Action::State HeadGrabbedAction::run() {
    const HeadInstance& self = head();
    if (!self.grabbed) {
        return Success;
    }
    // Two uniform angles: the kicks crowd toward the poles.
    const float u1 = randomFraction();
    const float u2 = randomFraction();
    const float a = HeadModel::kTwoPi * u1;
    const float b = 3.1415927f * u2;
    self.push(PVRTVec3(std::cos(a) * std::sin(b), std::sin(a) * std::sin(b), std::cos(b)) * 10.0f);
    return Running;
}

Action::State HeadIdleAction::start() {
    direction = head().getHeadDirection();
    startPhase(0.008333334f);
    return Running;
}

Action::State HeadIdleAction::run() {
    if (phaseDone()) {
        return Success;
    }
    advance();
    head().push(direction * (2.0f * std::sin(HeadModel::kTwoPi * phase)));
    return Running;
}

Action::State HeadScanAction::start() {
    startPhase(1.0f / static_cast<float>(frames));
    neckStart = head().getNeckPosition();
    return Running;
}

Action::State HeadScanAction::run() {
    if (phaseDone()) {
        return Success;
    }
    advance();
    const HeadInstance& self = head();
    const float theta = angle / static_cast<float>(frames);
    const PVRTVec3 p = self.getPosition();
    self.push(PVRTVec3(neckStart.x - p.x + 2.0f * std::cos(theta), neckStart.y - p.y + 2.0f * std::sin(theta),
                       neckStart.z - p.z));
    return Running;
}

Action::State HeadPointAction::run() {
    const HeadInstance& self = head();
    const PVRTVec3 t = enemy().getPosition();
    const PVRTVec3 p = self.getPosition();
    // Toward (or away from) the target until the neck is 9 units from it.
    const PVRTVec3 v = t - self.getNeckPosition();
    const float d = v.length();
    PVRTVec3 keep;
    if (!(d > 8.0f && d < 10.0f)) {
        keep = (d > 1.0f ? v / d : v) * (d - 9.0f);
    }
    // Face the target: away from the current heading, toward the target.
    self.push(cappedPull(keep - self.getHeadDirection() + capAtUnit(t - p), 10.0f));
    return Running;
}

Action::State HeadReachAction::start() {
    return head().target == nullptr ? Failure : Running;
}

Action::State HeadReachAction::run() {
    const HeadInstance& self = head();
    const PVRTVec3 targetNeck = enemy().getNeckPosition();
    const float d = (targetNeck - self.getPosition()).length();
    if (d < 3.0f) {
        return Success;
    }
    self.push(cappedPull(targetNeck - self.getNeckPosition(), d));
    return Running;
}

} // namespace ZQ
