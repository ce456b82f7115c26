#pragma once

#include "engine/Action.h"
#include "engine/Easing.h"
#include "engine/Layout.h"

#include <functional>

namespace ZQ {

// The clock shared by the tweens: progress t starts at 0 and grows by
// step = 1 / frames once a frame, by repeated float addition, so whether a
// tween ends on run N or N + 1 is decided by float rounding (15 steps of
// 1/15 reach exactly 1, 10 steps of 1/10 pass it). Each tween tests its end
// in its own way. A tween of 0 or fewer frames ends at its first run on its
// end value. The curve is a shared preset, not owned.
class Tween : public Action {
public:
    Tween(const Easing* curve, int32_t frames);

    State start() override;

protected:
    bool isInstant() const { return frames <= 0; }

    const Easing* curve = nullptr;
    int32_t frames = 0;
    float t = 0.0f;
    float step = 0.0f;
};

// Eases the bound item from the pose it has at start to `to`. Run k shows
// the pose at ease((k - 1) / N); the run whose step brings t to 1 writes
// `to` exactly and succeeds (run N when the float sum reaches 1 on time).
class EasingAction : public Tween {
public:
    EasingAction(const Layout& to, const Easing* curve, int32_t frames);

    State start() override;
    State run() override;

protected:
    Layout to;
    Layout from;
};

// EasingAction from a given pose: it puts the item there when it starts.
class EasingStaticAction : public EasingAction {
public:
    EasingStaticAction(const Layout& from, const Layout& to, const Easing* curve, int32_t frames);

    State start() override;
};

// EasingAction that blends position, angles, scale and alpha component by
// component (angles the long way if that is how they differ) and leaves the
// orientation alone until the end, when it writes `to` whole. It tests its
// end before advancing, so an N-frame lerp succeeds on run N + 1.
class EasingLerpAction : public EasingAction {
public:
    using EasingAction::EasingAction;

    State run() override;
};

// Eases between two poses computed afresh every frame, so both ends may
// move. It succeeds once t exceeds 1 and never snaps: the last frame shows
// the interpolation at the last eased value.
class EasingLambdaAction : public Tween {
public:
    using LayoutFunction = std::function<Layout()>;
    // Neither function may be empty.
    EasingLambdaAction(LayoutFunction fromFunction, LayoutFunction toFunction, const Easing* curve,
                       int32_t frames);

    State run() override;

private:
    LayoutFunction fromFunction;
    LayoutFunction toFunction;
};

// Fades the item's alpha in to `alpha`: the first run shows ease(1/N), and
// the run after t has reached 1 writes `alpha` exactly and succeeds.
class FadeInAction : public Tween {
public:
    FadeInAction(const Easing* curve, int32_t frames, float alpha);

    State run() override;

private:
    float alpha = 1.0f;
};

// Fades the item's alpha from its value at start down to 0; the run after t
// has reached 1 writes 0 and succeeds.
class FadeOutAction : public Tween {
public:
    FadeOutAction(const Easing* curve, int32_t frames);

    State start() override;
    State run() override;

private:
    float alpha = 1.0f;
};

} // namespace ZQ
