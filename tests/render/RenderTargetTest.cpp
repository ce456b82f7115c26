#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/RenderContext.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <tuple>

namespace {

using ZQ::RenderTargets;

struct Size {
    float width;
    float height;
};

// (screen size, multisampling asked for)
class RenderTargetTest : public HeadlessGLTest, public testing::WithParamInterface<std::tuple<Size, bool>> {
protected:
    ZQ::DeviceProfile profile() const {
        ZQ::DeviceProfile p = ZQ::DeviceProfile::get();
        p.targetSize = 2048.0f;
        p.sceneMultisample = std::get<1>(GetParam());
        p.textureMultisample = std::get<1>(GetParam());
        return p;
    }
};

// Clears the bound target, resolves it and reads the plain framebuffer back
// at two corners and the centre.
void expectClearsTo(ZQ::RenderContext& target, float width, float height, std::array<uint8_t, 4> rgba,
                    const std::string& which) {
    target.bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
        << which;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], static_cast<GLint>(width)) << which;
    EXPECT_EQ(viewport[3], static_cast<GLint>(height)) << which;

    glClearColor(rgba[0] / 255.0f, rgba[1] / 255.0f, rgba[2] / 255.0f, rgba[3] / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    target.resolve();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
        << which;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{w - 1, h - 1}, std::pair{w / 2, h / 2}}) {
        EXPECT_EQ(HeadlessGL::readPixel(x, y), rgba) << which << " at " << x << ", " << y;
    }
}

TEST_P(RenderTargetTest, EveryTargetIsCompleteAndClearsToItsColour) {
    const Size screen = std::get<0>(GetParam());
    const ZQ::DeviceProfile p = profile();
    RenderTargets targets;
    testing::internal::CaptureStderr();
    targets.create(screen.width, screen.height, p);
    // The screen's colour renderbuffer is bound for its storage, as the view's layer would give it.
    GLint bound = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), targets.sceneContext->colorRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(screen.width),
                          static_cast<GLsizei>(screen.height));
    targets.setUp();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("invalid"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed to make complete"), std::string::npos) << log;

    const bool multisampled = p.sceneMultisample && ZQ::multisampleAvailable();
    EXPECT_EQ(targets.sceneContext->isMultisampled(), multisampled);
    EXPECT_EQ(targets.shadowContext->isMultisampled(), multisampled);

    expectClearsTo(*targets.sceneContext, screen.width, screen.height, {10, 20, 30, 40}, "screen");
    const PVRTVec2 shadow = RenderTargets::shadowSize(screen.width, screen.height, 2048.0f);
    expectClearsTo(*targets.shadowContext, shadow.x, shadow.y, {255, 255, 255, 255}, "shadow map");
    for (int i = 0; i < RenderTargets::kRoomBuffers; ++i) {
        expectClearsTo(*targets.colourContexts[i], 2048.0f, 2048.0f, {50, 60, 70, 80},
                       "wallpaper colour " + std::to_string(i));
        expectClearsTo(*targets.heightContexts[i], 2048.0f, 2048.0f, {90, 100, 110, 120},
                       "wallpaper height " + std::to_string(i));
    }
    targets.tearDown();
}

TEST_P(RenderTargetTest, TextureTargetsDrawIntoTheirOwnTextures) {
    const Size screen = std::get<0>(GetParam());
    RenderTargets targets;
    targets.create(screen.width, screen.height, profile());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(screen.width),
                          static_cast<GLsizei>(screen.height));
    targets.setUp();

    // Five distinct texture names, published in the engine globals.
    const std::set<GLuint> names = {ZQ::gGlobals.shadowMapTexture, ZQ::gGlobals.wallPaperColourTextures[0],
                                    ZQ::gGlobals.wallPaperHeightTextures[0],
                                    ZQ::gGlobals.wallPaperColourTextures[1],
                                    ZQ::gGlobals.wallPaperHeightTextures[1]};
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(names.count(0), 0u);
    EXPECT_EQ(targets.shadowContext->texture, ZQ::gGlobals.shadowMapTexture);
    EXPECT_EQ(targets.colourContexts[1]->texture, ZQ::gGlobals.wallPaperColourTextures[1]);
    EXPECT_EQ(targets.heightContexts[0]->texture, ZQ::gGlobals.wallPaperHeightTextures[0]);

    // The texture is what the framebuffer's colour is, and samples without mipmaps.
    ZQ::TextureContext& colour = *targets.colourContexts[0];
    colour.bind();
    colour.resolve();
    GLint attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(static_cast<GLuint>(attached), colour.texture);
    glBindTexture(GL_TEXTURE_2D, colour.texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);

    const GLuint framebuffer = colour.framebuffer;
    const GLuint texture = colour.texture;
    targets.tearDown();
    EXPECT_EQ(glIsFramebuffer(framebuffer), GL_FALSE);
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
    EXPECT_EQ(ZQ::gGlobals.shadowMapTexture, 0u);
    EXPECT_EQ(ZQ::gGlobals.wallPaperHeightTextures[1], 0u);
}

INSTANTIATE_TEST_SUITE_P(Screens, RenderTargetTest,
                         testing::Combine(testing::Values(Size{750.0f, 1334.0f}, Size{2048.0f, 1536.0f}),
                                          testing::Bool()),
                         [](const testing::TestParamInfo<RenderTargetTest::ParamType>& info) {
                             const Size s = std::get<0>(info.param);
                             return std::to_string(static_cast<int>(s.width)) + "x" +
                                    std::to_string(static_cast<int>(s.height)) +
                                    (std::get<1>(info.param) ? "_multisampled" : "_plain");
                         });

class PlainTargetTest : public HeadlessGLTest {};

TEST_F(PlainTargetTest, WithoutMultisamplingResolveLeavesEveryBindingAlone) {
    ZQ::SceneContext screen(64.0f, 32.0f, false);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, 64, 32);
    screen.setUp();
    ZQ::TextureContext texture(16.0f, 16.0f, 0, false);
    glGenTextures(1, &texture.texture);
    texture.setUp();

    screen.bind();
    GLint framebuffer = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(static_cast<GLuint>(framebuffer), screen.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, texture.framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, texture.depthRenderbuffer);
    screen.resolve();
    texture.resolve();
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    EXPECT_EQ(static_cast<GLuint>(framebuffer), texture.framebuffer);
    EXPECT_EQ(static_cast<GLuint>(renderbuffer), texture.depthRenderbuffer);
    screen.tearDown();
    texture.tearDown();
    glDeleteTextures(1, &texture.texture);
}

TEST_F(PlainTargetTest, MultisampledScreenEndsItsResolveOnThePlainColour) {
    if (!ZQ::multisampleAvailable()) {
        GTEST_SKIP() << "this context is OpenGL ES 2.0: no multisampled targets to resolve";
    }
    ZQ::SceneContext screen(64.0f, 32.0f, true);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, 64, 32);
    screen.setUp();
    ASSERT_TRUE(screen.isMultisampled());
    screen.bind();
    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(static_cast<GLuint>(framebuffer), screen.msaa.framebuffer) << "drawing goes to the samples";
    screen.resolve();
    GLint renderbuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    EXPECT_EQ(static_cast<GLuint>(framebuffer), screen.framebuffer);
    EXPECT_EQ(static_cast<GLuint>(renderbuffer), screen.colorRenderbuffer)
        << "presenting shows the resolved colour";
    screen.tearDown();
}

TEST(RenderTargetSizeTest, TheShadowMapKeepsTheScreenAspectUpToTheTargetSize) {
    EXPECT_EQ(RenderTargets::shadowSize(640.0f, 960.0f, 1024.0f), PVRTVec2(640.0f, 960.0f));
    const PVRTVec2 tall = RenderTargets::shadowSize(640.0f, 1136.0f, 1024.0f);
    EXPECT_EQ(tall.y, 1024.0f);
    EXPECT_NEAR(tall.x, 1024.0f * 640.0f / 1136.0f, 1e-3f);
    EXPECT_EQ(RenderTargets::shadowSize(2048.0f, 1536.0f, 2048.0f), PVRTVec2(2048.0f, 1536.0f));
}

} // namespace
