#include <gtest/gtest.h>

#include "engine/KeyCurve.h"

namespace {

TEST(KeyCurveTest, EasesBetweenTwoKeysAndHoldsOutside) {
    const ZQ::KeyCurve::Keys keys = {{0.0f, 0.0f}, {1.0f, 1.0f}};
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, -3.0f), 0.0f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 0.0f), 0.0f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 0.25f), 0.1464466f, 1e-6f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 0.5f), 0.5f, 1e-6f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 0.75f), 0.8535534f, 1e-6f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 1.0f), 1.0f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 7.0f), 1.0f);
}

TEST(KeyCurveTest, ASingleKeyIsConstant) {
    const ZQ::KeyCurve::Keys keys = {{2.0f, -4.5f}};
    for (float t : {-10.0f, 1.999f, 2.0f, 2.001f, 10.0f}) {
        EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, t), -4.5f) << t;
    }
}

TEST(KeyCurveTest, FindsTheRightIntervalAmongManyKeys) {
    const ZQ::KeyCurve::Keys keys = {{0.0f, 0.0f}, {1.0f, 10.0f}, {3.0f, -2.0f}, {4.0f, 4.0f}, {6.0f, 4.0f}};
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 1.0f), 10.0f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 3.0f), -2.0f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 0.5f), 5.0f, 1e-5f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 2.0f), 4.0f, 1e-5f);
    EXPECT_NEAR(ZQ::KeyCurve::evaluate(keys, 3.5f), 1.0f, 1e-5f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 5.0f), 4.0f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 6.0f), 4.0f);

    // Flat at every key: a small step away moves the value only quadratically.
    const float nearKey = ZQ::KeyCurve::evaluate(keys, 1.01f);
    EXPECT_LT(10.0f - nearKey, 0.01f);
    EXPECT_GT(10.0f - nearKey, 0.0f);
}

TEST(KeyCurveTest, KeysSharingAnXMakeAStepInsteadOfNaN) {
    const ZQ::KeyCurve::Keys keys = {{0.0f, 0.0f}, {0.0f, 5.0f}, {1.0f, 5.0f}};
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 0.0f), 0.0f);
    EXPECT_EQ(ZQ::KeyCurve::evaluate(keys, 0.5f), 5.0f);
}

} // namespace
