#include "engine/TweenActions.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"

#include <utility>

namespace ZQ {

Tween::Tween(const Easing* easing, int32_t frameCount) : curve(easing), frames(frameCount) {
    ZQ_ASSERT(curve != nullptr);
}

Action::State Tween::start() {
    ZQ_ASSERT(target != nullptr);
    // No division for an instant tween: a step of infinity would turn the
    // eased value into NaN for a frame.
    step = isInstant() ? 1.0f : 1.0f / static_cast<float>(frames);
    t = 0.0f;
    return Running;
}

EasingAction::EasingAction(const Layout& goal, const Easing* easing, int32_t frameCount)
    : Tween(easing, frameCount), to(goal) {}

Action::State EasingAction::start() {
    const State s = Tween::start();
    from = target->layout;
    return s;
}

Action::State EasingAction::run() {
    if (isInstant()) {
        target->layout = to;
        return Success;
    }
    target->layout = Layout::interpolate(from, to, curve->ease(t));
    t += step;
    if (t >= 1.0f) {
        target->layout = to;
        return Success;
    }
    return Running;
}

EasingStaticAction::EasingStaticAction(const Layout& start, const Layout& goal, const Easing* easing,
                                       int32_t frameCount)
    : EasingAction(goal, easing, frameCount) {
    from = start;
}

// Skips EasingAction::start, which would take `from` from the item.
Action::State EasingStaticAction::start() {
    const State s = Tween::start();
    target->layout = from;
    return s;
}

Action::State EasingLerpAction::run() {
    const float e = curve->ease(t);
    if (t >= 1.0f || isInstant()) {
        target->layout = to;
        return Success;
    }
    Layout& l = target->layout;
    l.position = from.position + (to.position - from.position) * e;
    l.angles = from.angles + (to.angles - from.angles) * e;
    l.scale = from.scale + (to.scale - from.scale) * e;
    l.alpha = from.alpha + (to.alpha - from.alpha) * e;
    t += step;
    return Running;
}

EasingLambdaAction::EasingLambdaAction(LayoutFunction fromFn, LayoutFunction toFn, const Easing* easing,
                                       int32_t frameCount)
    : Tween(easing, frameCount), fromFunction(std::move(fromFn)), toFunction(std::move(toFn)) {
    ZQ_ASSERT(fromFunction != nullptr && toFunction != nullptr);
}

Action::State EasingLambdaAction::run() {
    if (isInstant()) {
        target->layout = toFunction();
        return Success;
    }
    const float e = curve->ease(t);
    const Layout from = fromFunction();
    const Layout to = toFunction();
    target->layout = Layout::interpolate(from, to, e);
    t += step;
    return t > 1.0f ? Success : Running;
}

FadeInAction::FadeInAction(const Easing* easing, int32_t frameCount, float targetAlpha)
    : Tween(easing, frameCount), alpha(targetAlpha) {}

Action::State FadeInAction::run() {
    if (t < 1.0f && !isInstant()) {
        t += step;
        target->layout.alpha = alpha * curve->ease(t);
        return Running;
    }
    target->layout.alpha = alpha;
    return Success;
}

FadeOutAction::FadeOutAction(const Easing* easing, int32_t frameCount) : Tween(easing, frameCount) {}

Action::State FadeOutAction::start() {
    const State s = Tween::start();
    alpha = target->layout.alpha;
    return s;
}

Action::State FadeOutAction::run() {
    if (t < 1.0f && !isInstant()) {
        t += step;
        target->layout.alpha = alpha - curve->ease(t) * alpha;
        return Running;
    }
    target->layout.alpha = 0.0f;
    return Success;
}

} // namespace ZQ
