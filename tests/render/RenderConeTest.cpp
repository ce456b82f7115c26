#include "render/RenderCone.h"

#include "GLRecorder.h"
#include "cords/CordModel.h"
#include "render/ConeProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/ConeModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::RenderCone;

class RenderConeTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    // Level start, then frames until the tube has grown.
    void layGrown(int strings) {
        layLevel(strings);
        for (int f = 0; f < 200 && cord->instance->radius < 10.0f; ++f) {
            frame();
        }
        ASSERT_GE(cord->instance->radius, 10.0f);
    }

    // The frame's GL state for the cones, then one draw of the pass.
    void drawCones() {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_FALSE);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glCullFace(GL_FRONT);
        pass.render();
        glCullFace(GL_BACK);
        pass.render();
        glDepthMask(GL_TRUE);
    }

    GLint location(const char* name) const { return pass.program->shader->uniform(name); }

    RenderCone pass;
};

TEST_F(RenderConeTest, WithoutConesThePassMakesNoGLCallAtAll) {
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty());
}

TEST_F(RenderConeTest, EachConeIsDrawnOnceWithItsStringsTangleAndTheCordsFade) {
    layGrown(2);
    cord->startEnergy = {3.0f, 0.9f}; // the second string began solved
    cord->energy = {2.0f, 0.5f};
    cord->instance->layout.alpha = 0.5f;
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(gl.count("glUseProgram"), 1);
    const auto draws = gl.all("glDrawElements");
    ASSERT_EQ(draws.size(), 4u);
    for (const auto& draw : draws) {
        EXPECT_EQ(draw.args[1], 120.0);
        EXPECT_EQ(draw.args[2], static_cast<double>(GL_UNSIGNED_INT));
    }
    const auto alphas = gl.uniformValues(location(ZQ::ShaderNames::u_alpha));
    ASSERT_EQ(alphas.size(), 4u);
    // t = (2 - 1) / (3 - 1) for string 0, times the cord's alpha; 0 for string 1.
    EXPECT_FLOAT_EQ(static_cast<float>(alphas[0][0]), 0.25f);
    EXPECT_FLOAT_EQ(static_cast<float>(alphas[1][0]), 0.25f);
    EXPECT_EQ(alphas[2][0], 0.0);
    EXPECT_EQ(alphas[3][0], 0.0);
    // Both cones of a string wear its material.
    const auto warm = gl.uniformValues(location(ZQ::ShaderNames::u_materialsWarm));
    ASSERT_EQ(warm.size(), 4u);
    const PVRTVec3& w1 = cord->settings.materials[1].warm;
    EXPECT_EQ(warm[2], (std::vector<double>{w1.x, w1.y, w1.z}));
    EXPECT_EQ(warm[2], warm[3]);
    // The pass leaves nothing bound.
    const auto binds = gl.all("glBindBuffer");
    ASSERT_GE(binds.size(), 4u);
    EXPECT_EQ(binds[binds.size() - 1].args[1], 0.0);
    EXPECT_EQ(binds[binds.size() - 2].args[1], 0.0);
}

TEST_F(RenderConeTest, TheTangleFactorFallsLinearlyToTheThresholdOfTheCordsStringCount) {
    ZQ::CordModel one;
    one.segments = {{0, 9, 0}};
    one.startEnergy = {2.35f};
    for (float e : {2.35f, 2.0f, 1.6f, 1.35f, 1.0f}) {
        one.energy = {e};
        const float expected = std::clamp((e - 1.35f) / 1.0f, 0.0f, 1.0f);
        EXPECT_NEAR(RenderCone::tangleFactor(one, 0), expected, 1e-6f) << "energy " << e;
    }
    ZQ::CordModel two;
    two.segments = {{0, 9, 0}, {10, 19, 1}};
    two.startEnergy = {3.0f, 1.0f};
    two.energy = {2.0f, 3.0f};
    EXPECT_FLOAT_EQ(RenderCone::tangleFactor(two, 0), 0.5f) << "several strings: threshold 1";
    EXPECT_EQ(RenderCone::tangleFactor(two, 1), 0.0f) << "a string that began at the threshold";
    two.energy = {3.5f, 3.0f};
    EXPECT_EQ(RenderCone::tangleFactor(two, 0), 1.0f) << "clamped above the start energy";
    EXPECT_EQ(RenderCone::tangleFactor(two, 5), 0.0f) << "no such string";
}

TEST_F(RenderConeTest, AConeOfAnUntangledStringLeavesTheImageUnchanged) {
    layGrown(1);
    // Looked at from the camera, the cones lie somewhere on the screen: draw
    // them tangled first to be sure they cover pixels at all.
    clearTarget();
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<uint8_t> background = HeadlessGL::readPixels(0, 0, kW, kH);
    cord->startEnergy = {3.0f};
    cord->energy = {3.0f};
    drawCones();
    EXPECT_NE(HeadlessGL::readPixels(0, 0, kW, kH), background) << "tangled cones light the image";

    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    cord->energy = {1.2f}; // below the one-string threshold
    drawCones();
    EXPECT_EQ(HeadlessGL::readPixels(0, 0, kW, kH), background);
    cord->startEnergy = {1.35f}; // began at the threshold
    cord->energy = {3.0f};
    drawCones();
    EXPECT_EQ(HeadlessGL::readPixels(0, 0, kW, kH), background);
}

TEST_F(RenderConeTest, TheModelMatrixTurnsTheMeshAxisOutwardFourRadiiLong) {
    layGrown(3);
    const float r = cord->instance->radius;
    for (const ZQ::ConeInstance* cone : cones->getCones()) {
        float m[16];
        RenderCone::modelMatrix(m, *cone, r);
        const auto& seg = cord->segments[static_cast<std::size_t>(cone->cordIndex)];
        const PVRTVec3 end = cord->positions[cone->side == 0 ? seg.first : seg.last];
        const PVRTVec3 outward = (cone->layout.position - end).normalized();
        const PVRTVec3 axis(m[4], m[5], m[6]); // M (0, 1, 0, 0)
        EXPECT_NEAR(axis.length(), 4.0f * r, 1e-3f * r);
        EXPECT_NEAR(axis.normalized().dot(outward), 1.0f, 1e-5f);
        EXPECT_NEAR(PVRTVec3(m[0], m[1], m[2]).length(), 2.0f * r, 1e-3f * r);
        EXPECT_NEAR(PVRTVec3(m[8], m[9], m[10]).length(), 2.0f * r, 1e-3f * r);
        EXPECT_NEAR(PVRTVec3(m[0], m[1], m[2]).dot(axis), 0.0f, 1e-2f * r * r);
        EXPECT_EQ(PVRTVec3(m[12], m[13], m[14]), cone->layout.position);
    }
}

TEST_F(RenderConeTest, WithoutATubeEveryConeHasZeroSizeAndCoversNoPixel) {
    layLevel(2);
    ASSERT_EQ(cord->instance->radius, 0.0f);
    cord->startEnergy = {3.0f, 3.0f};
    cord->energy = {3.0f, 3.0f};
    clearTarget();
    const std::vector<uint8_t> before = HeadlessGL::readPixels(0, 0, kW, kH);
    {
        GLRecorder gl;
        drawCones();
        EXPECT_EQ(gl.count("glDrawElements"), 8);
        for (const auto& call : gl.calls()) {
            for (double value : call.args) {
                ASSERT_TRUE(std::isfinite(value)) << call.name;
            }
        }
    }
    EXPECT_EQ(HeadlessGL::readPixels(0, 0, kW, kH), before);
}

} // namespace
