#include "engine/RotateActions.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using ZQ::Action;
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

TEST(RotateActionTest, WrapsPastAFullTurn) {
    ZQ::Cloudlet item;
    item.layout.angles = PVRTVec3(0.0f, 6.25f, 0.0f);
    item.setAction(new ZQ::RotateAction(PVRTVec3(0.0f, 0.1f, 0.0f)));
    item.step();
    EXPECT_NEAR(item.layout.angles.y, 6.35f - kTwoPi, 1e-5f); // about 0.0668
    EXPECT_EQ(item.layout.angles.x, 0.0f);
    EXPECT_EQ(item.getAction()->getState(), Action::Running);
}

TEST(RotateActionTest, NegativeDeltaFromZeroLandsJustBelowAFullTurn) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RotateAction(PVRTVec3(-0.001f, 0.0f, 0.0f)));
    item.step();
    EXPECT_LT(item.layout.angles.x, kTwoPi);
    EXPECT_NEAR(item.layout.angles.x, kTwoPi - 0.001f, 1e-5f);
}

TEST(RotateActionTest, AnglesStayWithinOneTurnWhateverTheDelta) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RotateAction(PVRTVec3(-7.3f, 13.1f, 0.37f)));
    for (int i = 0; i < 2000; ++i) {
        item.step();
        for (float a : {item.layout.angles.x, item.layout.angles.y, item.layout.angles.z}) {
            ASSERT_GE(a, 0.0f);
            ASSERT_LT(a, kTwoPi);
        }
    }
    EXPECT_EQ(item.getAction()->getState(), Action::Running);
}

TEST(RotateActionTest, WrapAngleHandlesSeveralTurnsEitherWay) {
    EXPECT_NEAR(ZQ::RotateAction::wrapAngle(3.0f * kTwoPi + 1.0f), 1.0f, 1e-5f);
    EXPECT_NEAR(ZQ::RotateAction::wrapAngle(-3.0f * kTwoPi + 1.0f), 1.0f, 1e-4f);
    EXPECT_EQ(ZQ::RotateAction::wrapAngle(0.0f), 0.0f);
}

TEST(RotateCenterActionTest, FirstTickSitsOnTheStartAngleFacingAlongTheArc) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RotateCenterAction(PVRTVec3(), 10.0f, 0.0f, kPi, 10));
    item.step();
    EXPECT_NEAR(item.layout.position.x, 10.0f, 1e-6f);
    EXPECT_NEAR(item.layout.position.y, 0.0f, 1e-6f);
    EXPECT_NEAR(item.layout.position.z, 0.0f, 1e-6f);
    EXPECT_EQ(item.layout.angles.x, 0.0f);
    EXPECT_FLOAT_EQ(item.layout.angles.y, -kPi / 2.0f);
    EXPECT_EQ(item.layout.angles.z, 0.0f);
}

TEST(RotateCenterActionTest, StopsJustShortOfTheEndAngleAndKeepsTWithinOne) {
    constexpr int kFrames = 10;
    const PVRTVec3 centre(5.0f, 7.0f, -3.0f);
    auto* swing = new ZQ::RotateCenterAction(centre, 10.0f, 0.0f, kPi, kFrames);
    ZQ::Cloudlet item;
    item.setAction(swing);
    int ticks = 0;
    while (item.getAction()->getState() != Action::Success && ticks < 50) {
        item.step();
        ++ticks;
        ASSERT_LE(swing->getT(), 1.0f);
        EXPECT_FLOAT_EQ(item.layout.position.y, centre.y);
    }
    EXPECT_EQ(ticks, kFrames); // ten additions of the float step pass 1
    EXPECT_EQ(swing->getT(), 1.0f);
    // The last tick showed ease(9/10), so the item has not reached angle π
    // (x = 5 - 10) but is past three quarters of the way.
    const float shown = 0.0f + kPi * ZQ::easeOutQuad()->ease(0.9f);
    EXPECT_NEAR(item.layout.angles.y, shown - kPi / 2.0f, 1e-5f);
    EXPECT_GT(item.layout.position.x, centre.x - 10.0f);
    EXPECT_LT(shown, kPi);
}

} // namespace
