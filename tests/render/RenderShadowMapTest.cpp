#include "render/RenderShadowMap.h"

#include "KnotFixture.h"
#include "engine/MathHelpers.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/ShadowProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ZQ::RenderShadowMap;
using ZQ::ShadowProgram;

// The reader's decoding, from bytes as the sampler hands them out.
double decode(const std::array<uint8_t, 4>& t) {
    return t[0] / 255.0 / 16777216.0 + t[1] / 255.0 / 65536.0 + t[2] / 255.0 / 256.0 + t[3] / 255.0;
}

class RenderShadowMapTest : public KnotFixture {
protected:
    // The frame's state for the shadow map, the target cleared white.
    void bindShadowTarget() {
        targets->shadowContext->bind();
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }

    void restoreState() {
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
    }

    // Texels of the shadow map the cord covers (anything but the white clear).
    int castTexels() {
        const ZQ::TextureContext& map = *targets->shadowContext;
        glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer);
        const int w = static_cast<int>(map.width);
        const int h = static_cast<int>(map.height);
        const std::vector<uint8_t> texels = HeadlessGL::readPixels(0, 0, w, h);
        int cast = 0;
        for (std::size_t i = 0; i < texels.size(); i += 4) {
            cast += texels[i] != 255 || texels[i + 1] != 255 || texels[i + 2] != 255 || texels[i + 3] != 255;
        }
        return cast;
    }
};

TEST_F(RenderShadowMapTest, PackedDepthRoundTripsAndTheWhiteClearLiesBeyondEverySurface) {
    ShadowProgram program;
    program.setUp();
    ASSERT_TRUE(program.shader->linked);

    // One triangle over the whole target at clip depth z, in cord vertices.
    GLuint vbo = 0;
    glGenBuffers(1, &vbo);
    bindShadowTarget();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    EXPECT_GT(decode(HeadlessGL::readPixel(3, 3)), 1.0);

    const PVRTMat4 identity = PVRTMat4::identity();
    for (float z : {-0.999f, -0.75f, -0.3f, 0.0f, 0.1234567f, 0.5f, 0.87654f, 0.999f}) {
        float vertices[3][9] = {{-1, -1, z}, {3, -1, z}, {-1, 3, z}};
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
        glClear(GL_COLOR_BUFFER_BIT);
        program.use();
        glUniformMatrix4fv(program.shader->uniform(ZQ::ShaderNames::u_modelViewProjectionMatrix), 1, GL_FALSE,
                           identity.f);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        program.unuse();
        const double depth = (z + 1.0) / 2.0;
        for (auto [x, y] : {std::pair{0, 0}, std::pair{17, 40}, std::pair{100, 200}}) {
            EXPECT_NEAR(decode(HeadlessGL::readPixel(x, y)), depth, 1.0 / 256.0) << "z " << z;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &vbo);
    program.tearDown();
    restoreState();
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderShadowMapTest, AHalfFadedCordCastsAndAFainterOneCastsNothing) {
    RenderShadowMap pass;
    pass.setUp();
    layLevel(0);

    cord->instance->layout.alpha = 0.5f;
    bindShadowTarget();
    pass.render();
    restoreState();
    EXPECT_GT(castTexels(), 100);

    cord->instance->layout.alpha = 0.49f;
    bindShadowTarget();
    pass.render();
    restoreState();
    EXPECT_EQ(castTexels(), 0);

    // No strings: nothing drawn, the map keeps its clear.
    cord->instance->layout.alpha = 1.0f;
    cord->unload();
    bindShadowTarget();
    pass.render();
    restoreState();
    EXPECT_EQ(castTexels(), 0);
    pass.tearDown();
    EXPECT_NO_GL_ERROR();
}

// On a screen taller than the shadow map the cord and room passes look the
// map up through light · C with the screen's centring; the caster must use
// the same, or the shadow lands beside the cord that casts it.
TEST_F(RenderShadowMapTest, OnATallScreenEveryStringCastsWhereTheReceiversLookItUp) {
    tearDownScreen();
    setUpScreen(768.0f, 2048.0f, 1024.0f);
    ASSERT_LT(targets->shadowContext->height, ZQ::gGlobals.screenSize.y);
    RenderShadowMap pass;
    pass.setUp();
    layLevel(73);

    bindShadowTarget();
    pass.render();
    restoreState();

    const ZQ::TextureContext& map = *targets->shadowContext;
    glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer);
    const PVRTMat4 receiver =
        light.lightMatrix() * ZQ::sceneCentring(ZQ::gGlobals.screenSize.x, ZQ::gGlobals.screenSize.y);
    int inside = 0;
    int covered = 0;
    for (int32_t i = 0; i < cord->count; ++i) {
        const PVRTVec3 q = cord->positions[i];
        const PVRTVec4 c = receiver * PVRTVec4(q.x, q.y, q.z, 1.0f);
        if (c.w <= 0.0f) {
            continue;
        }
        const float u = (c.x / c.w + 1.0f) / 2.0f;
        const float v = (c.y / c.w + 1.0f) / 2.0f;
        if (u <= 0.0f || u >= 1.0f || v <= 0.0f || v >= 1.0f) {
            continue;
        }
        ++inside;
        const auto t =
            HeadlessGL::readPixel(static_cast<int>(u * map.width), static_cast<int>(v * map.height));
        covered += decode(t) < 1.0;
    }
    ASSERT_GT(inside, cord->count / 2);
    EXPECT_GE(covered, inside * 95 / 100) << covered << " of " << inside;
    pass.tearDown();
    EXPECT_NO_GL_ERROR();
}

// The pass's note of its casters against what it drew, on level 73's knot:
// every texel off the white clear lies in a marked cell, and much of the map
// is known clear. A map drawn while the cord fades notes nothing cast.
TEST_F(RenderShadowMapTest, TheCasterGridCoversEveryTexelTheCordCovers) {
    layLevel(73);
    RenderShadowMap pass;
    pass.setUp();
    bindShadowTarget();
    pass.render();
    restoreState();
    const ZQ::ShadowCasterGrid& grid = pass.casters;
    EXPECT_EQ(grid.frame, ZQ::gGlobals.frameCount);
    const ZQ::TextureContext& map = *targets->shadowContext;
    ASSERT_EQ(grid.width, static_cast<int32_t>(map.width));
    ASSERT_EQ(grid.height, static_cast<int32_t>(map.height));
    glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer);
    const std::vector<uint8_t> texels = HeadlessGL::readPixels(0, 0, grid.width, grid.height);
    int cast = 0;
    int clear = 0;
    for (int32_t y = 0; y < grid.height; ++y) {
        for (int32_t x = 0; x < grid.width; ++x) {
            const std::size_t i = static_cast<std::size_t>((y * grid.width + x) * 4);
            const bool white =
                texels[i] == 255 && texels[i + 1] == 255 && texels[i + 2] == 255 && texels[i + 3] == 255;
            const bool known = grid.clear(x, y, x, y);
            cast += white ? 0 : 1;
            clear += known ? 1 : 0;
            if (!white) {
                EXPECT_FALSE(known) << "texel " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(cast, 1000);
    EXPECT_GT(clear, grid.width * grid.height / 4);

    cord->instance->layout.alpha = 0.4f;
    bindShadowTarget();
    pass.render();
    restoreState();
    EXPECT_TRUE(pass.casters.clear(0, 0, grid.width - 1, grid.height - 1));
    pass.tearDown();
}

} // namespace
