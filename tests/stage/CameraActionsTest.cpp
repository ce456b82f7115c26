#include "stage/CameraActions.h"
#include "cords/CordModel.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "support/BareCordTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using ZQ::Action;
using Range = ZQ::RangeAction::Range;

constexpr float kW = 640.0f;
constexpr float kH = 960.0f;

// The range actions follow the cord model's centre, so every case has one.
class CameraActionsTest : public BareCordTest {
protected:
    CameraActionsTest() : BareCordTest(kW, kH) {}

    // The eye's spring with the camera's own ranges, bound to `eye`.
    ZQ::CameraOrientateAction* bindEyeSpring() {
        auto* spring = new ZQ::CameraOrientateAction(eyeX, eyeY, eyeZ, PVRTVec3(), 16.0f, 8.0f);
        eye.setAction(spring);
        return spring;
    }

    ZQ::Cloudlet eye;
    const Range eyeX{-1.2f * kW, 1.2f * kW};
    const Range eyeY{-0.3f * kH, 0.3f * kH};
    const Range eyeZ{-0.27f * kH, 1.5f * kH};
};

bool inside(float v, const Range& r) {
    return v >= r.min && v <= r.max;
}

TEST_F(CameraActionsTest, RangeActionPutsItsItemOnTheCentreAndNeverFinishes) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RangeAction({-1000, 1000}, {-1000, 1000}, {-1000, 1000}));
    cord.centre = PVRTVec3(12.5f, -40.0f, 7.0f);
    for (int i = 0; i < 3; ++i) {
        item.step();
        EXPECT_EQ(item.layout.position, cord.centre);
        EXPECT_EQ(item.getAction()->getState(), Action::Running);
    }
}

TEST_F(CameraActionsTest, RangeActionClampsIntoItsBoxAndTurnsNaNIntoTheBound) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RangeAction({-10, 10}, {-20, 20}, {-5, 30}));
    cord.centre = PVRTVec3(1e6f, -1e6f, 12.0f);
    item.step();
    EXPECT_EQ(item.layout.position, PVRTVec3(10.0f, -20.0f, 12.0f));

    cord.centre = PVRTVec3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f);
    item.step();
    EXPECT_TRUE(std::isfinite(item.layout.position.x));
    EXPECT_TRUE(inside(item.layout.position.x, {-10, 10}));
}

TEST_F(CameraActionsTest, RangeActionShiftsByTheParallaxInTwentiethsOfTheWidth) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RangeAction({-1e4f, 1e4f}, {-1e4f, 1e4f}, {-1e4f, 1e4f}));
    cord.centre = PVRTVec3(100.0f, 50.0f, 25.0f);
    ZQ::gGlobals.parallax = PVRTVec3(1.0f, -0.5f, 9.0f); // z is not read
    item.step();
    EXPECT_FLOAT_EQ(item.layout.position.x, 100.0f + 0.05f * kW);
    EXPECT_FLOAT_EQ(item.layout.position.y, 50.0f - 0.025f * kW);
    EXPECT_FLOAT_EQ(item.layout.position.z, 25.0f);
}

TEST_F(CameraActionsTest, SpringAtRestOnItsGoalDoesNotMove) {
    cord.centre = PVRTVec3(30.0f, -40.0f, 50.0f);
    const PVRTVec3 goal(30.0f, -40.0f, 50.0f + kH);
    eye.layout.position = goal;
    auto* spring = bindEyeSpring();
    for (int i = 0; i < 100; ++i) {
        eye.step();
        ASSERT_EQ(eye.layout.position, goal) << "tick " << i;
    }
    EXPECT_EQ(spring->getVelocity(), PVRTVec3());
}

TEST_F(CameraActionsTest, SpringFirstTickIsOneSemiImplicitEulerStep) {
    cord.centre = PVRTVec3(90.0f, 0.0f, 0.0f);
    eye.layout.position = PVRTVec3(0.0f, 0.0f, kH);
    auto* spring = bindEyeSpring();
    eye.step();
    // a = 16 (90 - 0): v = a dt, then x = v dt.
    const float dt = 1.0f / 30.0f;
    EXPECT_NEAR(spring->getVelocity().x, 16.0f * 90.0f * dt, 1e-3f);
    EXPECT_NEAR(eye.layout.position.x, 16.0f * 90.0f * dt * dt, 1e-4f);
    EXPECT_EQ(eye.layout.position.y, 0.0f);
    EXPECT_EQ(eye.layout.position.z, kH);
}

TEST_F(CameraActionsTest, SpringApproachesWithoutOvershoot) {
    cord.centre = PVRTVec3(200.0f, -100.0f, 0.0f);
    eye.layout.position = PVRTVec3(0.0f, 0.0f, kH);
    bindEyeSpring();
    float lastX = 0.0f;
    for (int i = 0; i < 300; ++i) {
        eye.step();
        ASSERT_GE(eye.layout.position.x, lastX);
        ASSERT_LE(eye.layout.position.x, 200.0f);
        ASSERT_GE(eye.layout.position.y, -100.0f);
        lastX = eye.layout.position.x;
    }
    EXPECT_NEAR(eye.layout.position.x, 200.0f, 0.01f);
    EXPECT_NEAR(eye.layout.position.y, -100.0f, 0.01f);
}

TEST_F(CameraActionsTest, FarCentreSettlesTheEyeOnTheClampedGoalAndNeverLeavesItsBox) {
    cord.centre = PVRTVec3(1e6f, -1e6f, 1e6f);
    eye.layout.position = PVRTVec3(0.5f * kW, 0.5f * kH, kH); // y starts outside the box
    bindEyeSpring();
    for (int i = 0; i < 400; ++i) {
        eye.step();
        const PVRTVec3& p = eye.layout.position;
        ASSERT_TRUE(inside(p.x, eyeX) && inside(p.y, eyeY) && inside(p.z, eyeZ)) << "tick " << i;
    }
    // Goal: x and y clamped to the box, z = 0.4 H + H.
    EXPECT_NEAR(eye.layout.position.x, 1.2f * kW, 0.01f);
    EXPECT_NEAR(eye.layout.position.y, -0.3f * kH, 0.01f);
    EXPECT_NEAR(eye.layout.position.z, 1.4f * kH, 0.01f);
}

TEST_F(CameraActionsTest, SpringVelocitySurvivesAReset) {
    cord.centre = PVRTVec3(300.0f, 0.0f, 0.0f);
    eye.layout.position = PVRTVec3(0.0f, 0.0f, kH);
    auto* spring = bindEyeSpring();
    eye.step();
    eye.step();
    const PVRTVec3 v = spring->getVelocity();
    ASSERT_GT(v.x, 0.0f);
    spring->reset();
    EXPECT_EQ(spring->getVelocity(), v);
}

TEST_F(CameraActionsTest, OneFrameRotationPutsTheUpItemOnItsAxisAndSucceeds) {
    ZQ::Cloudlet up;
    up.setAction(new ZQ::CameraRotateAction(ZQ::easeSmooth(), 1, PVRTQuaternion(), PVRTVec3(0, 1, 0)));
    up.step();
    EXPECT_EQ(up.getAction()->getState(), Action::Success);
    EXPECT_EQ(up.layout.orientation, PVRTQuaternion());
    EXPECT_FLOAT_EQ(up.layout.position.x, 0.0f);
    EXPECT_FLOAT_EQ(up.layout.position.y, 1.0f);
    EXPECT_FLOAT_EQ(up.layout.position.z, 0.0f);
}

TEST_F(CameraActionsTest, RotationEndsOnTheLastEasedValueWithoutSnapping) {
    // A quarter turn about z over two frames: the runs show ease(0) = 0 and
    // ease(0.5) = 0.5, and the action then succeeds half-way round.
    const float s = std::sin(std::numbers::pi_v<float> / 4.0f);
    const PVRTQuaternion quarterTurn(0.0f, 0.0f, s, s);
    ZQ::Cloudlet up;
    up.setAction(new ZQ::CameraRotateAction(ZQ::easeSmooth(), 2, quarterTurn, PVRTVec3(0, 1, 0)));

    up.step();
    EXPECT_EQ(up.getAction()->getState(), Action::Running);
    EXPECT_NEAR(up.layout.position.y, 1.0f, 1e-6f);

    up.step();
    EXPECT_EQ(up.getAction()->getState(), Action::Success);
    const float eighth = std::sin(std::numbers::pi_v<float> / 8.0f);
    EXPECT_NEAR(up.layout.orientation.z, eighth, 1e-5f);
    EXPECT_NEAR(up.layout.position.x, -s, 1e-5f); // y turned by 45 degrees about z
    EXPECT_NEAR(up.layout.position.y, s, 1e-5f);
}

TEST_F(CameraActionsTest, RotationStartsFromTheItemsOwnOrientation) {
    const float s = std::sin(std::numbers::pi_v<float> / 4.0f);
    ZQ::Cloudlet up;
    up.layout.orientation = PVRTQuaternion(0.0f, 0.0f, s, s); // already a quarter turn about z
    up.setAction(new ZQ::CameraRotateAction(ZQ::easeSmooth(), 1, PVRTQuaternion(), PVRTVec3(1, 0, 0)));
    up.step();
    EXPECT_NEAR(up.layout.position.x, 0.0f, 1e-6f);
    EXPECT_NEAR(up.layout.position.y, 1.0f, 1e-6f);
}

TEST(RotateByQuaternionTest, TurnsAboutTheQuaternionsAxis) {
    const float s = std::sin(std::numbers::pi_v<float> / 4.0f);
    const PVRTVec3 x(1, 0, 0);
    const PVRTVec3 aboutY = ZQ::rotateByQuaternion(PVRTQuaternion(0, s, 0, s), x);
    EXPECT_NEAR(aboutY.x, 0.0f, 1e-6f);
    EXPECT_NEAR(aboutY.z, -1.0f, 1e-6f);
    const PVRTVec3 same = ZQ::rotateByQuaternion(PVRTQuaternion(), PVRTVec3(3, -4, 5));
    EXPECT_EQ(same, PVRTVec3(3, -4, 5));
}

} // namespace
