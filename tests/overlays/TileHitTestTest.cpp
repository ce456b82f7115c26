#include "overlays/TileHitTest.h"

#include "engine/MathHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using ZQ::TileHitTest::circleTriangleArea;
using ZQ::TileHitTest::quadScore;
using ZQ::TileHitTest::signedAngle;

double crossOf(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// The same area counted on a grid of n x n cell centres over the disc's box:
// cells inside both the disc and the triangle (o, a, b), signed by the
// triangle's turn.
double gridArea(PVRTVec2 o, double r, PVRTVec2 a, PVRTVec2 b, int n) {
    const double cell = 2.0 * r / n;
    const double turn = crossOf(a.x - o.x, a.y - o.y, b.x - o.x, b.y - o.y);
    if (turn == 0.0) {
        return 0.0;
    }
    const double sign = turn > 0.0 ? 1.0 : -1.0;
    int inside = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double px = o.x - r + (i + 0.5) * cell;
            const double py = o.y - r + (j + 0.5) * cell;
            if ((px - o.x) * (px - o.x) + (py - o.y) * (py - o.y) > r * r) {
                continue;
            }
            // Inside when on the same side of all three edges as the turn says.
            const double e0 = sign * crossOf(a.x - o.x, a.y - o.y, px - o.x, py - o.y);
            const double e1 = sign * crossOf(b.x - a.x, b.y - a.y, px - a.x, py - a.y);
            const double e2 = sign * crossOf(o.x - b.x, o.y - b.y, px - b.x, py - b.y);
            if (e0 >= 0.0 && e1 >= 0.0 && e2 >= 0.0) {
                ++inside;
            }
        }
    }
    return sign * inside * cell * cell;
}

TEST(TileHitTest, TheDiscTriangleAreaMatchesAGridCountInEveryCase) {
    std::mt19937 random(28);
    std::uniform_real_distribution<float> place(-40.0f, 40.0f);
    // Both ends inside, one inside, both outside with an overlap, none.
    int cases[4] = {};
    for (int k = 0; k < 400; ++k) {
        const PVRTVec2 o(place(random), place(random));
        const float r = 5.0f + std::fabs(place(random)) * 0.5f;
        const PVRTVec2 a(place(random), place(random));
        const PVRTVec2 b(place(random), place(random));
        const bool aIn = std::hypot(a.x - o.x, a.y - o.y) <= r;
        const bool bIn = std::hypot(b.x - o.x, b.y - o.y) <= r;
        const double reference = gridArea(o, r, a, b, 300);
        const float area = circleTriangleArea(o, r, a, b);
        ASSERT_TRUE(std::isfinite(area));
        EXPECT_NEAR(area, reference, 0.01 * r * r) << "case " << k;
        EXPECT_NEAR(circleTriangleArea(o, r, b, a), -area, 1e-3f * r * r)
            << "swapped ends turn the other way";
        ++cases[aIn && bIn ? 0 : (aIn || bIn) ? 1 : std::fabs(reference) > 0.0 ? 2 : 3];
    }
    EXPECT_GT(cases[0], 0);
    EXPECT_GT(cases[1], 0);
    EXPECT_GT(cases[2], 0);
}

TEST(TileHitTest, AQuadScoresItsOverlapFromTheFrontAndMinusItFromTheBack) {
    const PVRTVec2 front[4] = {{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    const PVRTVec2 back[4] = {front[3], front[2], front[1], front[0]};
    const float full = ZQ::kPi * 100.0f;
    EXPECT_NEAR(quadScore(PVRTVec2(50, 25), 10.0f, front), full, 0.01f);
    EXPECT_NEAR(quadScore(PVRTVec2(50, 25), 10.0f, back), -full, 0.01f);
    EXPECT_NEAR(quadScore(PVRTVec2(100, 25), 10.0f, front), 0.5f * full, 0.01f) << "half on the edge";
    EXPECT_NEAR(quadScore(PVRTVec2(0, 0), 10.0f, front), 0.25f * full, 0.01f) << "a quarter on a corner";
    EXPECT_NEAR(quadScore(PVRTVec2(150, 25), 10.0f, front), 0.0f, 1e-4f);
}

TEST(TileHitTest, NearlyPerpendicularEdgesGiveAnAngleNotNaN) {
    // Vectors whose float cross product over the product of their lengths
    // rounds past 1: asin of it would be NaN.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(1.0f, 500.0f);
    int pastOne = 0;
    for (int k = 0; k < 20000; ++k) {
        const float x = place(random);
        const float y = place(random);
        const PVRTVec2 u(x, y);
        const PVRTVec2 v(-y, x);
        const float ratio =
            (u.x * v.y - u.y * v.x) / (std::sqrt(u.x * u.x + u.y * u.y) * std::sqrt(v.x * v.x + v.y * v.y));
        if (ratio > 1.0f) {
            ++pastOne;
            EXPECT_FLOAT_EQ(signedAngle(u, v), ZQ::kHalfPi);
            const PVRTVec2 o(0, 0);
            EXPECT_TRUE(std::isfinite(circleTriangleArea(o, 1.0f, u, v)));
        }
    }
    EXPECT_GT(pastOne, 0) << "the search found no case that leaves [-1, 1]";
}

} // namespace
