#include "render/KnotGoochProgram.h"
#include "render/RenderGoochMultiKnot.h"
#include "render/RenderShadowMap.h"

#include "KnotFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A float colour target, where a NaN the shader computes survives to be read
// back (a byte target would turn it into some colour). Needs a context that
// renders to float textures; null without one.
std::unique_ptr<ZQ::TextureContext> floatTarget(float width, float height, GLuint& texture) {
    constexpr GLint kRGBA32F = 0x8814;
    glGenTextures(1, &texture);
    auto target =
        std::make_unique<ZQ::TextureContext>(width, height, texture, false, kRGBA32F, GL_RGBA, GL_FLOAT);
    target->setUp();
    target->bind();
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    while (glGetError() != GL_NO_ERROR) {
    }
    if (!complete) {
        target->tearDown();
        glDeleteTextures(1, &texture);
        return nullptr;
    }
    return target;
}

class KnotFramesTest : public KnotFixture {};

// Three levels played for ten seconds each with shadows on: every frame's
// shadow map and cord pass, and not one NaN in the colour they leave.
TEST_F(KnotFramesTest, NoFrameOfAThreeHundredFrameRunHasANaNPixel) {
    GLuint texture = 0;
    std::unique_ptr<ZQ::TextureContext> target = floatTarget(kWidth, kHeight, texture);
    if (target == nullptr) {
        GTEST_SKIP() << "this context cannot render to float textures";
    }
    ZQ::RenderShadowMap shadow;
    shadow.setUp();
    ZQ::RenderGoochMultiKnot knot(new ZQ::KnotGoochProgram(true));
    knot.setUp();

    const int w = static_cast<int>(kWidth);
    const int h = static_cast<int>(kHeight);
    std::vector<float> pixels(static_cast<std::size_t>(w * h * 4));
    for (int32_t level : {0, 10, 73}) {
        layLevel(level, 0);
        int nan = 0;
        int drawn = 0;
        for (int frame = 0; frame < 300; ++frame) {
            step();
            targets->shadowContext->bind();
            glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            glDepthFunc(GL_LEQUAL);
            glEnable(GL_DEPTH_TEST);
            shadow.render();

            target->bind();
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glCullFace(GL_BACK);
            glDepthFunc(GL_LESS);
            knot.render();
            glDisable(GL_CULL_FACE);
            glDisable(GL_DEPTH_TEST);
            glReadPixels(0, 0, w, h, GL_RGBA, GL_FLOAT, pixels.data());
            for (std::size_t i = 0; i < pixels.size(); i += 4) {
                drawn += pixels[i + 3] > 0.0f;
                for (std::size_t c = 0; c < 4; ++c) {
                    nan += std::isnan(pixels[i + c]) ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(nan, 0) << "level " << level;
        EXPECT_GT(drawn, 300 * 100) << "level " << level;
        cord->unload();
        meshes->unloadJobs();
    }
    knot.tearDown();
    shadow.tearDown();
    target->tearDown();
    glDeleteTextures(1, &texture);
    EXPECT_NO_GL_ERROR();
}

} // namespace
