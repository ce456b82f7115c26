#include "overlays/FlowSteps.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/physics/FxParticleSystem.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowModel.h"

namespace ZQ {

namespace {

Fx::ParticleSystem& flowWorld() {
    ZQ_ASSERT(gGlobals.particleSystem2 != nullptr);
    return *gGlobals.particleSystem2;
}

int32_t particleOf(const Cloudlet* target) {
    ZQ_ASSERT(target != nullptr);
    return static_cast<const FlowInstance*>(target)->particle;
}

void pin(int32_t particle, const PVRTVec3& worldPosition) {
    flowWorld().addTmpConstaint(new Fx::FixConstraint(particle, worldPosition));
}

} // namespace

FlowAnim::FlowAnim(int32_t flow, int32_t letter, Action* action)
    : flow(flow), letter(letter), action(action) {}

FlowAnim::~FlowAnim() {
    delete action;
}

void FlowAnim::doAnim(FlowModel* model) {
    FlowInstance* instance = model->findLetter(flow, letter);
    if (instance == nullptr) {
        logMessage(LogLevel::Warning, "Flow step for letter %d of flow %d dropped: no such letter", letter,
                   flow);
        return;
    }
    instance->setAction(action);
    action = nullptr;
}

void FlowRemove::apply(FlowModel* model) {
    model->flowsToRemove.insert(flow);
}

FlowMoveAction::FlowMoveAction(int32_t frames, const PVRTVec3& to, const Easing* easing)
    : easing(easing), frames(frames), to(to) {}

Action::State FlowMoveAction::start() {
    t = 0.0f;
    step = 1.0f / static_cast<float>(frames);
    from = flowWorld().getPosition(particleOf(target)) / gGlobals.worldScale;
    return Running;
}

Action::State FlowMoveAction::run() {
    const PVRTVec3 p = from + (to - from) * t;
    pin(particleOf(target), p * gGlobals.worldScale);
    t += step;
    return t >= 1.0f ? Success : Running;
}

Action::State FlowStopAction::start() {
    count = 0;
    hold = flowWorld().getPosition(particleOf(target));
    return Running;
}

Action::State FlowStopAction::run() {
    pin(particleOf(target), hold);
    ++count;
    return count < frames ? Running : Success;
}

FlowSnakeAction::FlowSnakeAction(int32_t frames, int32_t sign, const PVRTVec3& to, int32_t period,
                                 const Easing* easing)
    : easing(easing), frames(frames), sign(sign), to(to), period(period) {}

Action::State FlowSnakeAction::start() {
    t = 0.0f;
    step = 1.0f / static_cast<float>(frames);
    from = flowWorld().getPosition(particleOf(target)) / gGlobals.worldScale;
    amplitude = 0.04f * gGlobals.worldSize.y;
    return Running;
}

Action::State FlowSnakeAction::run() {
    const auto k = static_cast<int32_t>(t * static_cast<float>(frames));
    if (period > 0 && k % period == 0) {
        sign = static_cast<int32_t>(static_cast<float>(sign) * (t > 0.9f ? 0.0f : -1.0f));
    }
    const PVRTVec3 p = (from + (to - from) * t) * gGlobals.worldScale;
    const int32_t particle = particleOf(target);
    if (t > 0.9f) {
        pin(particle, p);
    } else {
        const PVRTVec3 at = flowWorld().getPosition(particle);
        flowWorld().addTmpForce(new Fx::ConstantForce(
            particle, PVRTVec3(270.0f * (p.x - at.x),
                               270.0f * (p.y - at.y + amplitude * static_cast<float>(sign)), 0.0f)));
    }
    if (t >= 1.0f) {
        return Success;
    }
    t += step;
    return Running;
}

namespace FlowSupport {

void randomTipExit(int32_t* pivotOut, PVRTVec2* targetOut, int32_t letterCount, float y) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    int32_t pivot = 0;
    switch (arc4random() % 3) {
    case 0:
        *targetOut = PVRTVec2(-w, y);
        pivot = 0;
        break;
    case 1:
        *targetOut = PVRTVec2(2.0f * w, y);
        pivot = letterCount - 1;
        break;
    default:
        *targetOut = PVRTVec2(w * (static_cast<float>(arc4random()) / 4294967295.0f), -0.2f * h);
        pivot = letterCount / 2;
        break;
    }
    ZQ_ASSERT(pivot >= 0);
    *pivotOut = pivot;
}

} // namespace FlowSupport

} // namespace ZQ
