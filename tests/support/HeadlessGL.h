#pragma once

#include "engine/Globals.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

class ZQEGLContext;

// The one headless OpenGL ES context of a test process, made through the
// game's own ZQEGLContext (headless back end: EGL on Mesa's surfaceless
// platform), so GL tests run on machines without any display.
namespace HeadlessGL {

inline constexpr int kWidth = 750;
inline constexpr int kHeight = 1334;

// The shared context, made on first use and made current; null when the
// machine has no OpenGL ES 2.0 at all (ZQEGLContext::sharedFailure says why).
ZQEGLContext* context();

// RGBA bytes read back from the bound framebuffer (bottom-left origin).
std::array<uint8_t, 4> readPixel(int x, int y);
std::vector<uint8_t> readPixels(int x, int y, int width, int height);

} // namespace HeadlessGL

// Base of every GL test: the shared context is current, GL starts from its
// defaults (framebuffer 0, no program, switches off), the engine globals are
// saved (and the screen set to 750 x 1334) and restored afterwards, and a
// test that leaves a GL error behind fails.
class HeadlessGLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    ZQ::Globals savedGlobals;
};

// Expands to a check that GL reports no error since the last one.
#define EXPECT_NO_GL_ERROR() EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR))
