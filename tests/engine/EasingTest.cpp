#include "engine/EasingPresets.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Preset = const ZQ::Easing* (*)();

constexpr Preset kBezierPresets[] = {
    ZQ::easeInOutCirc, ZQ::easeInOutQuint, ZQ::easeOutCubic, ZQ::easeInCubic, ZQ::easeSmooth,
    ZQ::easeOutCirc,   ZQ::easeOutQuart,   ZQ::easeInCirc,   ZQ::easeInQuart, ZQ::easeInOutQuart,
    ZQ::easeOutExpo,   ZQ::easeInExpo,     ZQ::easeOutQuad,
};
static_assert(std::size(kBezierPresets) == 13);

TEST(EasingTest, SmoothIsTheCubicNotTheIdentity) {
    EXPECT_EQ(ZQ::easeSmooth()->ease(0.5f), 0.5f);
    EXPECT_EQ(ZQ::easeSmooth()->ease(0.25f), 0.296875f); // 1.5 * 0.25 * 0.75 + 0.015625
}

TEST(EasingTest, EveryBezierPresetRunsExactlyFromZeroToOne) {
    for (Preset p : kBezierPresets) {
        EXPECT_EQ(p()->ease(0.0f), 0.0f);
        EXPECT_EQ(p()->ease(1.0f), 1.0f);
    }
}

TEST(EasingTest, EaseIsTheYOfTheCurveAtParameterT) {
    // At t = 0.5 the weights are 1/8, 3/8, 3/8, 1/8: y = 3/8 (0.46 + 0.94) +
    // 1/8 = 0.65, while x would be 0.3875. Solving for x would give a
    // different value.
    EXPECT_FLOAT_EQ(ZQ::easeOutQuad()->ease(0.5f), 0.65f);
    const ZQ::EasingBezierCubic curve({0, 0}, {0.25f, 0.46f}, {0.45f, 0.94f}, {1, 1});
    const PVRTVec2 p = curve.evaluate(0.5f);
    EXPECT_FLOAT_EQ(p.x, 0.3875f);
    EXPECT_FLOAT_EQ(p.y, 0.65f);
    // easeOutExpo rises steeply: most of the way up by a quarter.
    EXPECT_FLOAT_EQ(ZQ::easeOutExpo()->ease(0.25f), 0.578125f);
}

TEST(EasingTest, ElasticCurvesOvershootAndAreNotClamped) {
    const ZQ::Easing* out = ZQ::easeOutElastic();
    const ZQ::Easing* in = ZQ::easeInElastic();
    EXPECT_NEAR(out->ease(0.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(out->ease(1.0f), 1.0f + std::ldexp(1.0f, -11), 1e-6f);
    EXPECT_NEAR(in->ease(1.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(in->ease(0.0f), -std::ldexp(1.0f, -11), 1e-7f);
    // The out curve passes above 1 early on: the overshoot of the spring.
    float highest = 0.0f;
    for (int i = 0; i <= 100; ++i) {
        highest = std::max(highest, out->ease(i / 100.0f));
    }
    EXPECT_GT(highest, 1.3f);
}

TEST(EasingTest, PresetsAreSharedInstances) {
    EXPECT_EQ(ZQ::easeSmooth(), ZQ::easeSmooth());
    EXPECT_EQ(ZQ::easeOutElastic(), ZQ::easeOutElastic());
    EXPECT_NE(static_cast<const void*>(ZQ::easeSmooth()), static_cast<const void*>(ZQ::easeOutQuad()));
}

} // namespace
