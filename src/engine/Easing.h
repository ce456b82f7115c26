#pragma once

#include "engine/PVRTVector.h"

namespace ZQ {

// Shapes the progress of a tween: t in [0, 1] to an eased value, which may
// overshoot (the elastic curves). Curves are shared presets that live until
// the process ends; they are never deleted through this interface.
class Easing {
public:
    virtual float ease(float t) const = 0;

protected:
    ~Easing() = default;
};

template <class T> class InterpolateCurve {
public:
    virtual ~InterpolateCurve() = default;
    virtual T evaluate(float t) const = 0;
};

template <class T> class Bezier : public InterpolateCurve<T> {};

template <class T> class BezierCubic : public Bezier<T> {
public:
    BezierCubic(const T& a, const T& b, const T& c, const T& d) : p0(a), p1(b), p2(c), p3(d) {}

    // u³ p0 + 3u²t p1 + 3ut² p2 + t³ p3 with u = 1 - t.
    T evaluate(float t) const override {
        const float u = 1.0f - t;
        return p0 * (u * u * u) + p1 * (3.0f * u * u * t) + p2 * (3.0f * u * t * t) + p3 * (t * t * t);
    }

    T p0, p1, p2, p3;
};

// A cubic Bezier easing: ease(t) is the y of the curve at parameter t. The
// x coordinates of the control points play no part: t is the parameter
// itself, not solved for from x.
class EasingBezierCubic final : public BezierCubic<PVRTVec2>, public Easing {
public:
    EasingBezierCubic(const PVRTVec2& a, const PVRTVec2& b, const PVRTVec2& c, const PVRTVec2& d)
        : BezierCubic<PVRTVec2>(a, b, c, d) {}

    float ease(float t) const override;
};

// 1 + 2^(-10t) sin(2πt/0.3 - π/2): overshoots the end and settles. Not
// clamped: ease(1) is 1 + 2^-11.
class EasingOutElastic final : public Easing {
public:
    float ease(float t) const override;
};

// 2^(10t - 10) sin(43π/6 - 2πt/0.3): winds up below the start before it
// leaves. Not clamped: ease(0) is -2^-11.
class EasingInElastic final : public Easing {
public:
    float ease(float t) const override;
};

} // namespace ZQ
