#include "platform/ZQEGLContext.h"
#include "support/HeadlessGL.h"

#include "support/ScopedEnvironment.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ZQEGLContextTest : public HeadlessGLTest {};

TEST_F(ZQEGLContextTest, TheSharedContextIsMadeOnceAndRunsOpenGLES2) {
    ZQEGLContext* first = ZQEGLContext::sharedEGLContext();
    ZQEGLContext* second = ZQEGLContext::sharedEGLContext();
    ASSERT_NE(first, nullptr) << ZQEGLContext::sharedFailure();
    EXPECT_EQ(first, second);
    // A later headless request gets the same context at the first size.
    EXPECT_EQ(ZQEGLContext::sharedHeadless(16, 16), first);
    EXPECT_EQ(first->screenWidth(), HeadlessGL::kWidth);
    EXPECT_EQ(first->screenHeight(), HeadlessGL::kHeight);
    EXPECT_EQ(first, HeadlessGL::context());
    EXPECT_TRUE(ZQEGLContext::sharedFailure().empty());
    EXPECT_EQ(first->api(), 2u);
    EXPECT_EQ(first->surface(), ZQEGLContext::Surface::Headless);
    EXPECT_EQ(first->drawableWidth(), HeadlessGL::kWidth);
    EXPECT_EQ(first->drawableHeight(), HeadlessGL::kHeight);
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::strncmp(version, "OpenGL ES ", 10), 0) << version;
}

TEST_F(ZQEGLContextTest, MakingAContextLogsTheVersionItUses) {
    ZQEGLContext::Options options;
    options.surface = ZQEGLContext::Surface::Headless;
    options.width = 64;
    options.height = 32;
    std::string failure;
    testing::internal::CaptureStderr();
    std::unique_ptr<ZQEGLContext> context = ZQEGLContext::create(options, failure);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_NE(context, nullptr) << failure;
    EXPECT_EQ(log, "Using OpenGL ES 2.0\n");
    EXPECT_EQ(context->api(), 2u);
    EXPECT_EQ(context->drawableWidth(), 64);
    EXPECT_NE(context.get(), ZQEGLContext::sharedEGLContext()) << "a context apart from the shared one";

    context.reset();
    // The shared context carries on once current again.
    ASSERT_TRUE(HeadlessGL::context()->setCurrentContext());
    EXPECT_EQ(std::strncmp(reinterpret_cast<const char*>(glGetString(GL_VERSION)), "OpenGL ES ", 10), 0);
}

TEST_F(ZQEGLContextTest, SetUpLayerGivesTheBoundRenderbufferTheScreenStorage) {
    GLuint renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    HeadlessGL::context()->setUpLayer();
    GLint width = 0;
    GLint height = 0;
    GLint format = 0;
    GLint red = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_RED_SIZE, &red);
    EXPECT_EQ(width, HeadlessGL::kWidth);
    EXPECT_EQ(height, HeadlessGL::kHeight);
    EXPECT_EQ(format, GL_RGBA8_OES);
    EXPECT_EQ(red, 8);
    glDeleteRenderbuffers(1, &renderbuffer);
}

TEST_F(ZQEGLContextTest, HeadlessPresentLeavesTheFrameAlone) {
    GLuint renderbuffer = 0;
    GLuint framebuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    HeadlessGL::context()->setUpLayer();
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    HeadlessGL::context()->presentRenderbuffer();
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), framebuffer);
    EXPECT_EQ(HeadlessGL::readPixel(5, 5), (std::array<uint8_t, 4>{0, 255, 0, 255}));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &renderbuffer);
}

TEST_F(ZQEGLContextTest, AWindowWithoutADisplayIsRefusedWithAReason) {
    ScopedEnvironment environment;
    environment.set("DISPLAY", ":4093");
    environment.unset("WAYLAND_DISPLAY");
    environment.unset("SDL_VIDEODRIVER");
    ZQEGLContext::Options options;
    options.surface = ZQEGLContext::Surface::Window;
    std::string failure;
    testing::internal::CaptureStderr();
    std::unique_ptr<ZQEGLContext> context = ZQEGLContext::create(options, failure);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(context, nullptr);
    EXPECT_NE(failure.find("could not open display \":4093\""), std::string::npos) << failure;
    EXPECT_EQ(log.find("Using OpenGL ES"), std::string::npos) << log;

    HeadlessGL::context()->setCurrentContext();
}

} // namespace
