#include "stage/GaugeModel.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/Easing.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/TweenActions.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kSinkFrames = 45;
constexpr int32_t kFadeFrames = 51;
constexpr int32_t kLeaveSpinFrames = 156;
constexpr float kLeaveDepth = 0.01f;
// -π/1200 a frame on the third angle.
constexpr float kLeaveSpin = -0.0026179939f;

// A fraction of the points, as floats; a level without base points fills
// nothing rather than dividing by zero.
float pointsRatio(int32_t points, int32_t base) {
    return base > 0 ? static_cast<float>(points) / static_cast<float>(base) : 0.0f;
}

} // namespace

GaugeModel::~GaugeModel() {
    for (GaugeInstance* gauge : gauges) {
        delete gauge;
    }
}

void GaugeModel::doStep() {
    const std::vector<GaugeInstance*> stepping(gauges.begin(), gauges.end());
    for (GaugeInstance* gauge : stepping) {
        gauge->step();
        const Action* action = gauge->getAction();
        if (action == nullptr || action->isFinished()) {
            gauges.remove(gauge);
            delete gauge;
        }
    }
}

void GaugeModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), gauges.begin(), gauges.end());
}

GaugeInstance* GaugeModel::showing() const {
    for (GaugeInstance* gauge : gauges) {
        if (gauge->state == 0) {
            return gauge;
        }
    }
    return nullptr;
}

void GaugeModel::showAction() {
    GaugeModel* model = gGlobals.gaugeModel;
    GaugeInstance* gauge = model != nullptr ? model->showing() : nullptr;
    if (gauge == nullptr) {
        return;
    }
    const Easing* easing = easeInOutQuint();
    gauge->setAction(new Parallel({
        new Sequence({new Parallel({new GaugeDepthAction(easing, kLeaveDepth, kSinkFrames),
                                    new FadeOutAction(easing, kFadeFrames)})}),
        new GaugeRotateAction(PVRTVec3(0.0f, 0.0f, kLeaveSpin), kLeaveSpinFrames),
    }));
}

GaugeRotateAction::GaugeRotateAction(const PVRTVec3& rate, int32_t frames)
    : RotateAction(rate), step(1.0f / static_cast<float>(frames)), frames(frames) {}

float GaugeRotateAction::wrap(float angle) {
    if (angle < 0.0f) {
        angle = static_cast<float>(static_cast<double>(angle) + 2.0 * 3.14159265358979323846);
    }
    angle -= kTwoPi * std::trunc(angle * 0.15915494f);
    if (angle < 0.0f) {
        angle += kTwoPi;
    }
    return angle;
}

Action::State GaugeRotateAction::start() {
    step = 1.0f / static_cast<float>(frames);
    progress = 0.0f;
    return Running;
}

Action::State GaugeRotateAction::run() {
    PVRTVec3& angles = target->layout.angles;
    angles.x = wrap(angles.x + delta.x);
    angles.y = wrap(angles.y + delta.y);
    angles.z = wrap(angles.z + delta.z);
    if (progress >= 1.0f) {
        return Success;
    }
    progress += step;
    return Running;
}

GaugeDepthAction::GaugeDepthAction(const Easing* easing, float to, int32_t frames)
    : easing(easing), to(to), frames(frames) {}

Action::State GaugeDepthAction::start() {
    from = static_cast<GaugeInstance*>(target)->depth;
    step = 1.0f / static_cast<float>(frames);
    progress = 0.0f;
    return Running;
}

Action::State GaugeDepthAction::run() {
    auto* gauge = static_cast<GaugeInstance*>(target);
    if (progress >= 1.0f) {
        gauge->depth = to;
        return Success;
    }
    progress += step;
    gauge->depth = from + (to - from) * easing->ease(progress);
    return Running;
}

GaugeSpiralRangeAction::GaugeSpiralRangeAction(int32_t frames, const Easing* easing,
                                               const GaugePoints* points)
    : points(points), easing(easing), frames(frames) {
    ZQ_ASSERT(points != nullptr);
}

Action::State GaugeSpiralRangeAction::startAt(float ratio) {
    step = 1.0f / static_cast<float>(frames);
    progress = 0.0f;
    from = static_cast<GaugeInstance*>(target)->fill;
    to = std::max(ratio, GaugeInstance::kMinFill);
    return Running;
}

Action::State GaugeSpiralRangeAction::run() {
    auto* gauge = static_cast<GaugeInstance*>(target);
    if (progress >= 1.0f) {
        gauge->fill = to;
        return Success;
    }
    progress += step;
    gauge->fill = from + (to - from) * easing->ease(progress);
    return Running;
}

Action::State GaugePointsAction::start() {
    return startAt(pointsRatio(points->gaugeScorePoints(), points->gaugeBasePoints()));
}

Action::State GaugePointsTimerAction::start() {
    return startAt(
        pointsRatio(points->gaugeScorePoints() + points->gaugeTimePoints(), points->gaugeBasePoints()));
}

} // namespace ZQ
