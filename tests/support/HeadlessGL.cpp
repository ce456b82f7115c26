#include "support/HeadlessGL.h"

#include "platform/ZQEGLContext.h"

namespace HeadlessGL {

ZQEGLContext* context() {
    static ZQEGLContext* const shared = ZQEGLContext::sharedHeadless(kWidth, kHeight);
    // A test may have made a window context current in between.
    if (shared != nullptr) {
        shared->setCurrentContext();
    }
    return shared;
}

std::array<uint8_t, 4> readPixel(int x, int y) {
    std::array<uint8_t, 4> rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

std::vector<uint8_t> readPixels(int x, int y, int width, int height) {
    std::vector<uint8_t> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

} // namespace HeadlessGL

void HeadlessGLTest::SetUp() {
    ASSERT_NE(HeadlessGL::context(), nullptr)
        << "no headless OpenGL ES 2.0 context: " << ZQEGLContext::sharedFailure();
    savedGlobals = ZQ::gGlobals;
    ZQ::gGlobals.setScreenSize(static_cast<float>(HeadlessGL::kWidth),
                               static_cast<float>(HeadlessGL::kHeight));
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBlendEquation(GL_FUNC_ADD);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

void HeadlessGLTest::TearDown() {
    if (HeadlessGL::context() != nullptr) {
        EXPECT_NO_GL_ERROR() << "a GL call of this test failed";
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    ZQ::gGlobals = savedGlobals;
}
