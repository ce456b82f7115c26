#include "engine/Layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::Layout;

constexpr float kPi = 3.14159265f;

Layout pose(PVRTVec3 position, PVRTVec3 angles, float scale, float alpha) {
    Layout l;
    l.position = position;
    l.angles = angles;
    l.scale = scale;
    l.alpha = alpha;
    return l;
}

TEST(LayoutTest, EndsOfTheInterpolation) {
    const Layout from = pose({1, 2, 3}, {0.5f, 1.0f, 2.0f}, 0.5f, 0.0f);
    const Layout to = pose({-4, 8, 0}, {1.5f, 0.25f, 3.0f}, 3.0f, 1.0f);
    const Layout start = Layout::interpolate(from, to, 0.0f);
    EXPECT_EQ(start.position, from.position);
    EXPECT_EQ(start.angles, from.angles);
    EXPECT_EQ(start.scale, from.scale);
    EXPECT_EQ(start.alpha, from.alpha);
    const Layout end = Layout::interpolate(from, to, 1.0f);
    EXPECT_EQ(end.position, to.position);
    EXPECT_EQ(end.scale, to.scale);
    EXPECT_EQ(end.alpha, to.alpha);
    const Layout mid = Layout::interpolate(from, to, 0.5f);
    EXPECT_EQ(mid.position, PVRTVec3(-1.5f, 5.0f, 1.5f));
    EXPECT_EQ(mid.scale, 1.75f);
}

TEST(LayoutTest, AnglesTakeTheShorterArcAndAreNotWrapped) {
    auto angleAt = [](float from, float to, float t) {
        return Layout::interpolate(pose({}, {from, 0, 0}, 1, 1), pose({}, {to, 0, 0}, 1, 1), t).angles.x;
    };
    // 0.1 to 6.2 turns backward by about 0.183, not forward by 6.1.
    EXPECT_NEAR(angleAt(0.1f, 6.2f, 1.0f), 0.1f - 0.1831853f, 1e-5f);
    EXPECT_NEAR(angleAt(0.1f, 6.2f, 0.5f), 0.1f - 0.0915927f, 1e-5f);
    // 6.0 to 0.2 goes forward through a whole turn and ends at 6.483.
    EXPECT_NEAR(angleAt(6.0f, 0.2f, 1.0f), 6.4831853f, 1e-5f);
    // A half turn is a tie, which turns forward.
    EXPECT_NEAR(angleAt(0.0f, kPi, 0.5f), kPi / 2.0f, 1e-6f);
    // Several turns apart count as the same angle.
    EXPECT_NEAR(angleAt(0.0f, 4.0f * kPi + 0.5f, 1.0f), 0.5f, 1e-5f);
    // Each angle is handled on its own.
    const Layout l =
        Layout::interpolate(pose({}, {0.1f, 1.0f, 6.0f}, 1, 1), pose({}, {6.2f, 2.0f, 0.2f}, 1, 1), 1);
    EXPECT_NEAR(l.angles.y, 2.0f, 1e-6f);
    EXPECT_NEAR(l.angles.z, 6.4831853f, 1e-5f);
}

TEST(LayoutTest, OrientationBySlerpAndIdentityOutsideTheRange) {
    Layout from;
    Layout to;
    const float h = std::sqrt(0.5f);
    to.orientation = {0.0f, h, 0.0f, h}; // a quarter turn about y
    const Layout mid = Layout::interpolate(from, to, 0.5f);
    EXPECT_NEAR(mid.orientation.y, std::sin(kPi / 8.0f), 1e-6f);
    EXPECT_NEAR(mid.orientation.w, std::cos(kPi / 8.0f), 1e-6f);
    // Elastic curves overshoot past 1: the orientation falls back to identity.
    EXPECT_EQ(Layout::interpolate(to, to, 1.2f).orientation, PVRTQuaternion());
}

} // namespace
