#include <cmath>

#include <gtest/gtest.h>

#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/Random.h"
#include "support/GlobalsTest.h"
#include "support/SeededRandom.h"

namespace {

constexpr float kMathPi = 3.14159265358979f;

float randomUnit() {
    return static_cast<float>(ZQ::arc4random_uniform(20001)) / 10000.0f - 1.0f;
}

PVRTQuaternion aboutY(float radians) {
    return {0.0f, std::sin(radians / 2.0f), 0.0f, std::cos(radians / 2.0f)};
}

float quaternionLength(const PVRTQuaternion& q) {
    return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
}

void expectQuaternionNear(const PVRTQuaternion& actual, const PVRTQuaternion& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

void expectIdentity(const PVRTMat4& m, float tolerance) {
    const PVRTMat4 id = PVRTMat4::identity();
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(m.f[i], id.f[i], tolerance) << "element " << i;
    }
}

PVRTMat4 rotationAboutY(float radians) {
    PVRTMat4 m = PVRTMat4::identity();
    m.f[0] = std::cos(radians);
    m.f[2] = -std::sin(radians);
    m.f[8] = std::sin(radians);
    m.f[10] = std::cos(radians);
    return m;
}

// --- quaternions -----------------------------------------------------------

TEST(QuaternionSlerpTest, OutsideTheUnitIntervalGivesTheIdentity) {
    const PVRTQuaternion q0 = aboutY(0.3f);
    const PVRTQuaternion q1(0.5f, 0.5f, 0.5f, 0.5f);
    for (float t : {-0.1f, 1.5f, -1e-6f, 1.000001f}) {
        PVRTQuaternion out(9.0f, 9.0f, 9.0f, 9.0f);
        ZQ::quaternionSlerp(out, q0, q1, t);
        EXPECT_EQ(out, PVRTQuaternion()) << "t = " << t;
    }
}

TEST(QuaternionSlerpTest, OppositeQuaternionsAreTheSameRotation) {
    const PVRTQuaternion q0(0.5f, -0.5f, 0.5f, 0.5f);
    const PVRTQuaternion q1(-0.5f, 0.5f, -0.5f, -0.5f);
    for (float t : {0.0f, 0.25f, 0.5f, 1.0f}) {
        PVRTQuaternion out;
        ZQ::quaternionSlerp(out, q0, q1, t);
        EXPECT_EQ(out, q0) << "t = " << t;
    }
}

TEST(QuaternionSlerpTest, HalfwayToAQuarterTurnIsAnEighthTurn) {
    PVRTQuaternion out;
    ZQ::quaternionSlerp(out, PVRTQuaternion(), aboutY(kMathPi / 2.0f), 0.5f);
    expectQuaternionNear(out, aboutY(kMathPi / 4.0f), 1e-6f);

    // The same rotation written with the opposite sign takes the short arc too.
    const PVRTQuaternion q = aboutY(kMathPi / 2.0f);
    ZQ::quaternionSlerp(out, PVRTQuaternion(), PVRTQuaternion(-q.x, -q.y, -q.z, -q.w), 0.5f);
    expectQuaternionNear(out, aboutY(kMathPi / 4.0f), 1e-6f);
}

TEST(QuaternionSlerpTest, EndsAreTheInputsAndEveryStepIsUnitLength) {
    const PVRTQuaternion q0 = aboutY(0.2f);
    const PVRTQuaternion q1(0.0f, 0.0f, std::sin(1.0f), std::cos(1.0f));
    PVRTQuaternion out;
    ZQ::quaternionSlerp(out, q0, q1, 0.0f);
    expectQuaternionNear(out, q0, 1e-6f);
    ZQ::quaternionSlerp(out, q0, q1, 1.0f);
    expectQuaternionNear(out, q1, 1e-6f);
    for (int i = 0; i <= 10; ++i) {
        ZQ::quaternionSlerp(out, q0, q1, static_cast<float>(i) / 10.0f);
        EXPECT_NEAR(quaternionLength(out), 1.0f, 1e-6f);
    }
}

TEST(QuaternionMultiplyTest, HamiltonProductInOrderAndNormalised) {
    const PVRTQuaternion i(1.0f, 0.0f, 0.0f, 0.0f);
    const PVRTQuaternion j(0.0f, 1.0f, 0.0f, 0.0f);
    PVRTQuaternion out;
    ZQ::quaternionMultiply(out, i, j);
    EXPECT_EQ(out, PVRTQuaternion(0.0f, 0.0f, 1.0f, 0.0f));
    ZQ::quaternionMultiply(out, j, i);
    EXPECT_EQ(out, PVRTQuaternion(0.0f, 0.0f, -1.0f, 0.0f));

    // Two quarter turns about y make a half turn.
    ZQ::quaternionMultiply(out, aboutY(kMathPi / 2.0f), aboutY(kMathPi / 2.0f));
    expectQuaternionNear(out, aboutY(kMathPi), 1e-6f);

    const PVRTQuaternion q(1.0f, 2.0f, 3.0f, 4.0f);
    const float len = std::sqrt(30.0f);
    ZQ::quaternionMultiply(out, PVRTQuaternion(), q);
    expectQuaternionNear(out, PVRTQuaternion(1.0f / len, 2.0f / len, 3.0f / len, 4.0f / len), 1e-6f);

    ZQ::quaternionMultiply(out, PVRTQuaternion(0.0f, 0.0f, 0.0f, 3.0f), q);
    EXPECT_NEAR(quaternionLength(out), 1.0f, 1e-6f);

    // A zero product has no direction: it stays zero instead of turning into NaNs.
    ZQ::quaternionMultiply(out, PVRTQuaternion(0.0f, 0.0f, 0.0f, 0.0f), q);
    EXPECT_EQ(out, PVRTQuaternion(0.0f, 0.0f, 0.0f, 0.0f));
}

// --- matrices --------------------------------------------------------------

TEST(MatrixInverseAffineTest, InvertsTranslationsRotationsAndScales) {
    PVRTMat4 out = PVRTMat4::identity();
    ZQ::matrixInverseAffine(out, PVRTMat4::translation(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(out, PVRTMat4::translation(-1.0f, -2.0f, -3.0f));

    const PVRTMat4 m =
        PVRTMat4::translation(4.0f, -5.0f, 6.0f) * rotationAboutY(0.7f) * PVRTMat4::scale(2.0f, 0.5f, 3.0f);
    ZQ::matrixInverseAffine(out, m);
    expectIdentity(out * m, 1e-5f);
    expectIdentity(m * out, 1e-5f);

    PVRTMat4 same = m;
    ZQ::matrixInverseAffine(same, same);
    EXPECT_EQ(same, out) << "inverting in place must read the input before writing";
}

TEST(MatrixInverseAffineTest, SingularBlockLeavesTheOutputAsItWas) {
    PVRTMat4 out;
    for (int i = 0; i < 16; ++i) {
        out.f[i] = static_cast<float>(i) + 0.5f;
    }
    const PVRTMat4 before = out;
    PVRTMat4 zeroBlock = PVRTMat4::translation(1.0f, 2.0f, 3.0f);
    zeroBlock.f[0] = zeroBlock.f[5] = zeroBlock.f[10] = 0.0f;
    ZQ::matrixInverseAffine(out, zeroBlock);
    EXPECT_EQ(out, before);

    // A pop-in at scale 0: a caller that starts from the identity keeps a
    // usable matrix.
    PVRTMat4 inverse = PVRTMat4::identity();
    ZQ::matrixInverseAffine(inverse,
                            PVRTMat4::translation(7.0f, 8.0f, 9.0f) * PVRTMat4::scale(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(inverse, PVRTMat4::identity());
}

TEST(LinearEqSolveTest, SolvesSmallSystems) {
    float one[] = {6.0f, 3.0f};
    float* oneRows[] = {one};
    float res1[1];
    ZQ::linearEqSolve(res1, oneRows, 1);
    EXPECT_FLOAT_EQ(res1[0], 2.0f);

    float a[] = {5.0f, 1.0f, 1.0f};
    float b[] = {1.0f, 1.0f, -1.0f};
    float* rows[] = {a, b};
    float res[2];
    ZQ::linearEqSolve(res, rows, 2);
    EXPECT_FLOAT_EQ(res[0], 3.0f);
    EXPECT_FLOAT_EQ(res[1], 2.0f);
}

TEST(LinearEqSolveTest, BringsAPivotDownWhenTheLastRowLacksTheLastUnknown) {
    // 5 = x + 3y, 2 = x.
    float a[] = {5.0f, 1.0f, 3.0f};
    float b[] = {2.0f, 1.0f, 0.0f};
    float* rows[] = {a, b};
    float res[2];
    ZQ::linearEqSolve(res, rows, 2);
    EXPECT_FLOAT_EQ(res[0], 2.0f);
    EXPECT_FLOAT_EQ(res[1], 1.0f);
}

class InverseMatrixTest : public SeededRandomTest {};

TEST_F(InverseMatrixTest, RandomInvertibleMatricesTimesTheirInverseAreTheIdentity) {
    for (int trial = 0; trial < 200; ++trial) {
        PVRTMat4 m;
        for (float& e : m.f) {
            e = randomUnit();
        }
        // A dominant diagonal keeps the matrix well away from singular.
        for (int d = 0; d < 4; ++d) {
            m.f[5 * d] += 4.0f;
        }
        PVRTMat4 inv;
        ZQ::inverseMatrix4x4(inv, m);
        SCOPED_TRACE(trial);
        expectIdentity(inv * m, 1e-5f);
        expectIdentity(m * inv, 1e-5f);
    }
}

TEST(InverseMatrix4x4Test, InvertsPermutationsAndProjections) {
    // Every column has its 1 in another row: the solver has to move pivots.
    PVRTMat4 p;
    p.f[4 * 0 + 2] = 1.0f;
    p.f[4 * 1 + 0] = 1.0f;
    p.f[4 * 2 + 3] = 1.0f;
    p.f[4 * 3 + 1] = 1.0f;
    PVRTMat4 inv;
    ZQ::inverseMatrix4x4(inv, p);
    expectIdentity(inv * p, 0.0f);

    PVRTMat4 persp;
    persp.f[0] = 1.2f;
    persp.f[5] = 1.6f;
    persp.f[10] = -1.001f;
    persp.f[11] = -1.0f;
    persp.f[14] = -3.0f;
    ZQ::inverseMatrix4x4(inv, persp);
    expectIdentity(inv * persp, 1e-5f);
}

// --- projection ------------------------------------------------------------

class ProjectionTest : public GlobalsTest {
protected:
    static PVRTVec2 toPixels(const PVRTVec2& ndc) {
        const PVRTVec2 size = ZQ::gGlobals.screenSize;
        return {(ndc.x * 0.5f + 0.5f) * size.x, (ndc.y * 0.5f + 0.5f) * size.y};
    }
};

TEST_F(ProjectionTest, TheScreenCentreProjectsToTheMiddleAtAnyDepth) {
    const PVRTMat4 view = PVRTMat4::identity();
    for (float z : {-1000.0f, -200.0f, 0.0f, 300.0f, 1000.0f}) {
        const PVRTVec2 ndc = ZQ::projectPoint(view, {320.0f, 568.0f, z}, false);
        EXPECT_NEAR(ndc.x, 0.0f, 1e-6f) << z;
        EXPECT_NEAR(ndc.y, 0.0f, 1e-6f) << z;
    }
}

TEST_F(ProjectionTest, PerspectiveShrinksWithDistance) {
    // On the screen plane (z = 0) the camera is one screen height away, so a
    // point half a width to the right lies at (W/2) / (W tan(fov/2)).
    const PVRTMat4 view = PVRTMat4::identity();
    const float s = std::tan(ZQ::gFieldOfView / 2.0f);
    const PVRTVec2 onPlane = ZQ::projectPoint(view, {640.0f, 568.0f, 0.0f}, false);
    EXPECT_NEAR(onPlane.x, 0.5f / s, 1e-5f);
    EXPECT_NEAR(onPlane.y, 0.0f, 1e-6f);
    const PVRTVec2 up = ZQ::projectPoint(view, {320.0f, 1136.0f, 0.0f}, false);
    EXPECT_NEAR(up.y, 0.5f / s, 1e-5f);

    const PVRTVec2 farther = ZQ::projectPoint(view, {640.0f, 568.0f, -1136.0f}, false);
    EXPECT_NEAR(farther.x, onPlane.x / 2.0f, 1e-5f);
}

TEST_F(ProjectionTest, OrthographicMapsTheScreenRectangleToTheUnitSquare) {
    const PVRTMat4 view = PVRTMat4::identity();
    for (float z : {-500.0f, 0.0f, 500.0f}) {
        const PVRTVec2 low = ZQ::projectPoint(view, {0.0f, 0.0f, z}, true);
        const PVRTVec2 high = ZQ::projectPoint(view, {640.0f, 1136.0f, z}, true);
        EXPECT_NEAR(low.x, -1.0f, 1e-6f);
        EXPECT_NEAR(low.y, -1.0f, 1e-6f);
        EXPECT_NEAR(high.x, 1.0f, 1e-6f);
        EXPECT_NEAR(high.y, 1.0f, 1e-6f);
    }
}

TEST_F(ProjectionTest, UnprojectedPixelsProjectBackToThemselves) {
    const PVRTMat4 views[] = {
        PVRTMat4::identity(),
        rotationAboutY(0.3f) * PVRTMat4::translation(15.0f, -40.0f, 25.0f),
    };
    for (const PVRTMat4& view : views) {
        for (const PVRTVec2 pixel :
             {PVRTVec2(320.0f, 568.0f), PVRTVec2(10.0f, 20.0f), PVRTVec2(600.0f, 1100.0f)}) {
            // From just past the near plane to the far plane (the screen plane
            // lies near 0.998).
            for (float depth : {-0.5f, 0.0f, 0.5f, 0.99f, 0.998f, 1.0f}) {
                const PVRTVec3 world = ZQ::unprojectPoint(view, pixel.x, pixel.y, depth);
                const PVRTVec2 back = ZQ::projectPoint(view, world, false);
                // In normalised coordinates: the single-precision solve on a
                // 1136-pixel scene leaves a few hundredths of a pixel.
                EXPECT_NEAR(back.x, 2.0f * pixel.x / 640.0f - 1.0f, 1e-3f) << "depth " << depth;
                EXPECT_NEAR(back.y, 2.0f * pixel.y / 1136.0f - 1.0f, 1e-3f) << "depth " << depth;
                EXPECT_NEAR(toPixels(back).x, pixel.x, 0.1f) << "depth " << depth;
                EXPECT_NEAR(toPixels(back).y, pixel.y, 0.1f) << "depth " << depth;
            }
        }
    }
}

TEST_F(ProjectionTest, DepthsZeroAndOneGiveTheLineOfSightThroughAPoint) {
    const PVRTMat4 view = rotationAboutY(-0.2f);
    const PVRTVec3 point(100.0f, 900.0f, -50.0f);
    const PVRTVec2 pixel = toPixels(ZQ::projectPoint(view, point, false));
    const PVRTVec3 nearer = ZQ::unprojectPoint(view, pixel.x, pixel.y, 0.0f);
    const PVRTVec3 farther = ZQ::unprojectPoint(view, pixel.x, pixel.y, 1.0f);

    const PVRTVec3 dir = (farther - nearer).normalized();
    const PVRTVec3 toPoint = point - nearer;
    const PVRTVec3 offLine = toPoint - dir * toPoint.dot(dir);
    EXPECT_LT(offLine.length(), 1e-2f * toPoint.length());
}

} // namespace
