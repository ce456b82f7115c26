#include "cords/KnotGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>

namespace {

using ZQ::KnotGenerator;

constexpr float kH1000 = 0.0062831854f; // 2π/1000
constexpr float kH999 = 0.006289475f;   // 2π/999

struct Dvec {
    double x, y, z;
};

// The curves written out again in double precision, independently of the
// generators, to catch a swapped parameter or function.
using Reference = std::function<Dvec(double)>;

struct KnotCase {
    std::string name;
    std::function<std::unique_ptr<KnotGenerator>()> make;
    Reference curve;
    float t0;
    bool stepFirst;
};

std::vector<KnotCase> knotCases() {
    using std::cos;
    using std::sin;
    return {
        {"TorusKnot", [] { return std::make_unique<ZQ::TorusKnot>(2.0f, 4.0f, 2.0f, 5.0f, 0.3f); },
         [](double t) {
             const double r = 4 + 2 * sin(5 * t);
             return Dvec{r * sin(2 * t), r * cos(2 * t), 2 * cos(5 * t)};
         },
         0.3f, true},
        {"ToriKnot", [] { return std::make_unique<ZQ::ToriKnot>(5.0f, 1.5f, 10.0f, 0.7f, 4.0f, 7.0f, 0.0f); },
         [](double t) {
             const double r = 10 + 5 * sin(7 * t);
             return Dvec{r * sin(4 * t) + 1.5 * sin(4 * t + 0.7), r * cos(4 * t) + 1.5 * cos(4 * t + 0.7),
                         5 * cos(7 * t) + 1.5 * cos(7 * t + 0.7)};
         },
         0.0f, true},
        {"TorusInterlacedKnot",
         [] {
             return std::make_unique<ZQ::TorusInterlacedKnot>(3.0f, 6.0f, 4.0f, 0.35f, 0.6f, 0.2f, 8.0f,
                                                              0.5f);
         },
         [](double t) {
             const double r = 1 + 0.35 * cos(6 * t) + 0.6 * cos(4 * t);
             return Dvec{r * cos(3 * t), r * sin(3 * t), 0.2 * sin(8 * t)};
         },
         0.5f, false},
        {"TorusEightKnot",
         [] {
             return std::make_unique<ZQ::TorusEightKnot>(2.0f, 1.0f, 4.0f, 0.0f, 2.31f, 0.5f, 1.35f, 0.0f,
                                                         0.85f, 0.2f, 8.0f, 0.0f);
         },
         [](double t) {
             const double r1 = 1 + 1.35 * cos(4 * t) + 0.5 * cos(1 * t);
             const double r2 = 1 + 1.35 * cos(4 * t) + 0.85 * cos(1 * t);
             return Dvec{r1 * 2.31 * cos(2 * t), r2 * sin(2 * t), 0.2 * sin(8 * t)};
         },
         0.0f, false},
        {"ConicalHelix", [] { return std::make_unique<ZQ::ConicalHelix>(6.0f, 5.0f, 0.5f, 4.0f, 0.0f); },
         [](double t) {
             return Dvec{6 * cos(6 * t), 5 * sin(5 * t), t * 2.0};
         },
         0.0f, true},
        {"CompoundKnot",
         [] {
             return std::make_unique<ZQ::CompoundKnot>(0.1f, 0.2f, 0.67f, 7.0f, 1.0f, 2.0f, 1.0f, 2.0f, 0.67f,
                                                       0.3f, -2.0f, -2.0f, 0.2f, 10.0f, -0.4f, 5.0f,
                                                       -0.7853982f);
         },
         [](double t) {
             return Dvec{0.1 * cos(0.2 * t) + 0.67 * cos(7 * t) + 1 * cos(2 * t),
                         1 * sin(2 * t) + 0.67 * sin(0.3 * t) + -2 * sin(-2 * t),
                         0.2 * sin(10 * t) + -0.4 * sin(5 * t)};
         },
         -0.7853982f, false},
        {"DecorativeKnot",
         [] {
             return std::make_unique<ZQ::DecorativeKnot>(1.0f, 2.0f, 0.45f, -3.0f, 0.35f, 5.0f, 3.1415927f);
         },
         [](double t) {
             return Dvec{cos(2 * t) + 0.45 * cos(-3 * t), sin(2 * t) + 0.45 * sin(-3 * t), 0.35 * sin(5 * t)};
         },
         3.1415927f, true},
    };
}

void expectNear(const PVRTVec3& p, const Dvec& d, double tolerance, const std::string& what) {
    EXPECT_NEAR(p.x, d.x, tolerance) << what;
    EXPECT_NEAR(p.y, d.y, tolerance) << what;
    EXPECT_NEAR(p.z, d.z, tolerance) << what;
}

// Every point follows its kind's curve at the parameter the step rule gives:
// t advanced in float, before the point for the step-first kinds and after it
// for the others. Walking t the same way here keeps the comparison to the
// formulas themselves.
TEST(KnotGenerator, EveryKindFollowsItsCurveWithItsStepRule) {
    for (const KnotCase& c : knotCases()) {
        std::vector<PVRTVec3> points;
        c.make()->generate(points);
        ASSERT_EQ(points.size(), 1000u) << c.name;
        float t = c.t0;
        for (int i = 0; i < 1000; ++i) {
            if (c.stepFirst) {
                t += kH1000;
            }
            expectNear(points[i], c.curve(t), 2e-4, c.name + " point " + std::to_string(i));
            if (!c.stepFirst) {
                t += kH999;
            }
        }
    }
}

TEST(KnotGenerator, StepFirstKindsNeverSampleT0AndStepAfterKindsStartThere) {
    for (const KnotCase& c : knotCases()) {
        std::vector<PVRTVec3> points;
        c.make()->generate(points);
        const Dvec atT0 = c.curve(c.t0);
        const double offFromT0 = std::fabs(points[0].x - atT0.x) + std::fabs(points[0].y - atT0.y) +
                                 std::fabs(points[0].z - atT0.z);
        if (c.stepFirst) {
            EXPECT_GT(offFromT0, 1e-3) << c.name;
        } else {
            EXPECT_LT(offFromT0, 1e-5) << c.name;
        }
    }
}

TEST(KnotGenerator, TorusKnotEndsWhereItBeganAfterAFullTurn) {
    ZQ::TorusKnot knot(2.0f, 4.0f, 2.0f, 3.0f, 0.0f);
    std::vector<PVRTVec3> points;
    knot.generate(points);
    ASSERT_EQ(points.size(), 1000u);
    // t = 2π: (r sin 4π, r cos 4π, a cos 6π) with r = R.
    EXPECT_NEAR(points.back().x, 0.0f, 1e-3f);
    EXPECT_NEAR(points.back().y, 4.0f, 1e-3f);
    EXPECT_NEAR(points.back().z, 2.0f, 1e-3f);
    // t = 2π/1000 for the first point.
    const double t = 2.0 * std::numbers::pi / 1000.0;
    const double r = 4.0 + 2.0 * std::sin(3.0 * t);
    EXPECT_NEAR(points.front().x, r * std::sin(2.0 * t), 1e-5);
    EXPECT_NEAR(points.front().y, r * std::cos(2.0 * t), 1e-5);
    EXPECT_NEAR(points.front().z, 2.0 * std::cos(3.0 * t), 1e-5);
}

// Far from zero each float addition of the step rounds the same way, so a
// running sum drifts measurably from t0 + k h; z = t c d shows t itself.
TEST(KnotGenerator, ParameterIsARunningFloatSum) {
    ZQ::ConicalHelix helix(1.0f, 1.0f, 1.0f, 1.0f, 1000.0f);
    std::vector<PVRTVec3> points;
    helix.generate(points);
    float t = 1000.0f;
    for (int i = 0; i < 1000; ++i) {
        t += kH1000;
        ASSERT_EQ(points[i].z, t) << "point " << i;
    }
    EXPECT_GT(std::fabs(points.back().z - (1000.0 + 1000.0 * kH1000)), 1e-3);
}

TEST(KnotGenerator, TorusEightIgnoresItsFourthAndEighthParameters) {
    ZQ::TorusEightKnot plain(3.0f, 2.0f, 10.0f, 0.0f, 1.0f, 0.5f, 0.75f, 0.0f, 0.5f, 0.2f, 8.0f, 3.1415927f);
    ZQ::TorusEightKnot odd(3.0f, 2.0f, 10.0f, 17.0f, 1.0f, 0.5f, 0.75f, -42.0f, 0.5f, 0.2f, 8.0f, 3.1415927f);
    std::vector<PVRTVec3> a;
    std::vector<PVRTVec3> b;
    plain.generate(a);
    odd.generate(b);
    EXPECT_EQ(a, b);
}

TEST(KnotGenerator, BurkeTorusKnotSamplesByIndex) {
    ZQ::BurkeTorusKnot knot(4, 10);
    std::vector<PVRTVec3> points;
    knot.generate(points);
    ASSERT_EQ(points.size(), 1000u);
    for (int i = 0; i < 1000; ++i) {
        const double phi = i * (0.006283186 * 4);
        const double psi = phi * 10 / 4;
        const double r = 1 + 0.5 * std::cos(psi);
        expectNear(points[i], Dvec{r * std::cos(phi), r * std::sin(phi), 0.5 * std::sin(psi)}, 1e-4,
                   "point " + std::to_string(i));
    }
    EXPECT_EQ(points[0], PVRTVec3(1.5f, 0.0f, 0.0f));
}

TEST(KnotGeneratorDeathTest, BurkeTorusKnotRefusesZeroP) {
    EXPECT_DEATH(ZQ::BurkeTorusKnot(0, 3), "p != 0");
}

TEST(KnotGenerator, GenerateAppendsAfterExistingPoints) {
    ZQ::DecorativeKnot knot(1.0f, 2.0f, 0.45f, -3.0f, 0.35f, 5.0f, 0.0f);
    std::vector<PVRTVec3> fresh;
    knot.generate(fresh);
    EXPECT_EQ(fresh.capacity(), 1000u);

    std::vector<PVRTVec3> held = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    knot.generate(held);
    ASSERT_EQ(held.size(), 1003u);
    EXPECT_EQ(held[0], PVRTVec3(1, 2, 3));
    EXPECT_EQ(held[2], PVRTVec3(7, 8, 9));
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), held.begin() + 3));

    // Enough room already: nothing is reallocated.
    std::vector<PVRTVec3> roomy;
    roomy.reserve(2500);
    roomy.push_back({1, 1, 1});
    const PVRTVec3* before = roomy.data();
    knot.generate(roomy);
    EXPECT_EQ(roomy.capacity(), 2500u);
    EXPECT_EQ(roomy.data(), before);
    EXPECT_EQ(roomy.size(), 1001u);
}

} // namespace
