#include "render/RenderTangle.h"

#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "cords/TangleModel.h"
#include "engine/Layout.h"
#include "render/TangleProgram.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using ZQ::RenderTangle;
using ZQ::TangleProgram;

TEST(RenderTangleMetals, TheFresnelTermOfEachMetalIsItsReflectanceAtNormalIncidenceSquared) {
    // Worked out by hand from each metal's refractive index.
    const double expected[RenderTangle::kMetalCount] = {0.00149, 0.02972, 0.0000465, 0.2332, 0.01690};
    for (int i = 0; i < RenderTangle::kMetalCount; ++i) {
        const float f =
            TangleProgram::fresnelTerm(RenderTangle::materials[static_cast<std::size_t>(i)].refractiveIndex);
        EXPECT_NEAR(f, expected[i], expected[i] * 0.01) << "metal " << i;
    }
}

TEST(RenderTangleMetals, TheModelMatrixTurnsAboutZThenXThenYAndScalesByTheTangleScale) {
    ZQ::Layout layout;
    layout.position = PVRTVec3(10.0f, 20.0f, 30.0f);
    layout.angles = PVRTVec3(0.3f, -0.7f, 1.1f);
    layout.scale = 2.0f;
    const PVRTVec3 k(1.0f, 1.0f, 0.25f);
    const PVRTMat4 m = RenderTangle::tangleModelMatrix(layout, k);
    // The axis x lands on Rz · Rx · Ry · (2, 0, 0), worked out term by term.
    const float c1 = std::cos(0.3f), s1 = std::sin(0.3f);
    const float c2 = std::cos(-0.7f), s2 = std::sin(-0.7f);
    const float c3 = std::cos(1.1f), s3 = std::sin(1.1f);
    const PVRTVec3 ry(c2, 0.0f, s2);                                        // Ry · x
    const PVRTVec3 rx(ry.x, c1 * ry.y + s1 * ry.z, -s1 * ry.y + c1 * ry.z); // Rx · (Ry · x)
    const PVRTVec3 rz(c3 * rx.x + s3 * rx.y, -s3 * rx.x + c3 * rx.y, rx.z); // Rz · (...)
    const PVRTVec4 x = m * PVRTVec4(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(x.x, 10.0f + 2.0f * rz.x, 1e-4f);
    EXPECT_NEAR(x.y, 20.0f + 2.0f * rz.y, 1e-4f);
    EXPECT_NEAR(x.z, 30.0f + 2.0f * rz.z, 1e-4f);
    // The tangle scale flattens z only.
    const PVRTVec4 o = m * PVRTVec4(0.0f, 0.0f, 0.0f, 1.0f);
    const PVRTVec4 z = m * PVRTVec4(0.0f, 0.0f, 1.0f, 1.0f);
    const PVRTVec3 dz(z.x - o.x, z.y - o.y, z.z - o.z);
    EXPECT_NEAR(std::sqrt(dz.x * dz.x + dz.y * dz.y + dz.z * dz.z), 2.0f * 0.25f, 1e-5f);
}

// The award tangle of a catalogue knot, drawn on the screen framebuffer in
// the tangle group's state.
class RenderTangleTest : public HeadlessGLTest {
protected:
    static constexpr int kSize = 200;

    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.setScreenSize(kSize, kSize);
        ZQ::gGlobals.tangleModel = &model;
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, kSize, kSize);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kSize, kSize);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, kSize, kSize);
        pass.setUp();
    }

    void TearDown() override {
        pass.tearDown();
        model.tearDown();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colour);
        glDeleteRenderbuffers(1, &depth);
        HeadlessGLTest::TearDown();
    }

    std::vector<uint8_t> draw() {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        glDepthFunc(GL_LESS);
        glEnable(GL_DEPTH_TEST);
        pass.render();
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        return HeadlessGL::readPixels(0, 0, kSize, kSize);
    }

    // A revealed tangle of the trefoil in metal `material`.
    ZQ::TangleInstance* reveal(int32_t material) {
        ZQ::Cord cord(0.25f * kSize, PVRTVec3(), 1, false, new ZQ::TorusKnot(2, 4, 2, 5, 0));
        cord.build();
        ZQ::TangleInstance* tangle = model.showAwardTangle(cord, material, {false, true});
        for (int frame = 0; frame < 70; ++frame) {
            model.doStep();
        }
        return tangle;
    }

    // Mean colour of the pixels drawn, and how many there are.
    static int meanColour(const std::vector<uint8_t>& image, double mean[3]) {
        int drawn = 0;
        mean[0] = mean[1] = mean[2] = 0.0;
        for (std::size_t i = 0; i < image.size(); i += 4) {
            if (image[i] + image[i + 1] + image[i + 2] == 0) {
                continue;
            }
            ++drawn;
            for (int c = 0; c < 3; ++c) {
                mean[c] += image[i + static_cast<std::size_t>(c)];
            }
        }
        for (int c = 0; c < 3 && drawn > 0; ++c) {
            mean[c] /= drawn;
        }
        return drawn;
    }

    ZQ::TangleModel model;
    RenderTangle pass;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
};

TEST_F(RenderTangleTest, GoldShinesWarmerAndBrighterThanObsidianAndUnopenedRangesDrawNothing) {
    double mean[3];
    // Nothing to draw: the target keeps its clear.
    EXPECT_EQ(meanColour(draw(), mean), 0);

    ZQ::TangleInstance* gold = reveal(4);
    ASSERT_FALSE(gold->ranges.empty());
    std::vector<ZQ::TangleInstance::Range> opened = gold->ranges;
    // Ranges that are not yet open (last = first - 1) draw nothing.
    for (ZQ::TangleInstance::Range& range : gold->ranges) {
        range.last = range.first - 1;
    }
    EXPECT_EQ(meanColour(draw(), mean), 0);
    gold->ranges = opened;
    const int goldPixels = meanColour(draw(), mean);
    EXPECT_GT(goldPixels, 500);
    const double goldMean[3] = {mean[0], mean[1], mean[2]};
    EXPECT_GT(goldMean[0], goldMean[2] * 1.5);
    model.tearDown();

    reveal(0);
    const int obsidianPixels = meanColour(draw(), mean);
    EXPECT_EQ(obsidianPixels, goldPixels);
    EXPECT_GT(goldMean[0] + goldMean[1] + goldMean[2], (mean[0] + mean[1] + mean[2]) * 1.5);
    EXPECT_NO_GL_ERROR();
}

} // namespace
