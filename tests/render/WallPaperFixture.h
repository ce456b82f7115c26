#pragma once

#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>

#include <array>
#include <cstdint>
#include <vector>

// The render targets of a small screen without multisampling, so each
// target's own framebuffer holds what was drawn and can be read back.
class WallPaperFixture : public HeadlessGLTest {
protected:
    static constexpr float kWidth = 90.0f;
    static constexpr float kHeight = 160.0f;
    static constexpr float kTarget = 64.0f;

    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.setScreenSize(kWidth, kHeight);
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        profile.targetSize = kTarget;
        profile.sceneMultisample = false;
        profile.textureMultisample = false;
        targets.create(kWidth, kHeight, profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(kWidth),
                              static_cast<GLsizei>(kHeight));
        targets.setUp();
    }

    void TearDown() override {
        targets.tearDown();
        HeadlessGLTest::TearDown();
    }

    // One texel of a texture target.
    static std::array<uint8_t, 4> texel(const ZQ::TextureContext& target, int x, int y) {
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        return HeadlessGL::readPixel(x, y);
    }

    // Gives a texture a size x size image of one texel value.
    static void fill(GLuint texture, int width, int height, std::array<uint8_t, 4> value) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < width * height; ++i) {
            pixels.insert(pixels.end(), value.begin(), value.end());
        }
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    ZQ::RenderTargets targets;
};
