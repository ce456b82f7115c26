#include "engine/PVRTVector.h"
#include "platform/ZQEGLContext.h"
#include "render/SceneContext.h"
#include "support/HeadlessGL.h"

#include "XvfbDisplay.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 200;

// A real window on a private Xvfb: the frame must reach the X screen.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        // The process's own context comes first, as in every GL test: the
        // driver it loads then outlives the window's.
        ASSERT_NE(HeadlessGL::context(), nullptr) << ZQEGLContext::sharedFailure();
        if (!XvfbDisplay::installed()) {
            GTEST_SKIP() << "Xvfb is not installed, so no window can be opened here (apt-get install xvfb)";
        }
        std::string failure;
        ASSERT_TRUE(xvfb.start(1024, 768, environment, failure)) << failure;
    }

    void TearDown() override {
        // The other tests of this process draw on the shared headless context.
        if (ZQEGLContext* shared = HeadlessGL::context()) {
            shared->setCurrentContext();
        }
    }

    // Waits for the X server to show `count` pixels of `rgb`; the copy to
    // the screen happens in the server after the swap returns, and a busy
    // server makes it late, never lost: only a hang takes two minutes.
    long waitForPixels(std::array<uint8_t, 3> rgb, long count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        long seen = xvfb.countPixels(rgb);
        while (seen != count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            seen = xvfb.countPixels(rgb);
        }
        return seen;
    }

    XvfbDisplay xvfb;
    ScopedEnvironment environment;
};

TEST_F(WindowTest, AWindowOpensAndShowsThePresentedFrame) {
    ZQEGLContext::Options options;
    options.surface = ZQEGLContext::Surface::Window;
    options.width = kWidth;
    options.height = kHeight;
    options.title = "Velmora window test";
    std::string failure;
    std::unique_ptr<ZQEGLContext> context = ZQEGLContext::create(options, failure);
    ASSERT_NE(context, nullptr) << failure;
    EXPECT_EQ(context->surface(), ZQEGLContext::Surface::Window);
    EXPECT_EQ(context->api(), 2u);
    ASSERT_EQ(context->drawableWidth(), kWidth);
    ASSERT_EQ(context->drawableHeight(), kHeight);

    // The screen target as the game makes it, multisampled where the context can.
    ZQ::SceneContext screen(kWidth, kHeight, true);
    context->setUpLayer();
    screen.setUp();
    for (const auto& [r, g, b] : {std::array<uint8_t, 3>{255, 0, 0}, std::array<uint8_t, 3>{0, 0, 255}}) {
        screen.bind();
        glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 0.0f); // alpha 0 must not leak to the window
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        screen.resolve();

        GLint framebuffer = 0;
        GLint renderbuffer = 0;
        GLint viewport[4];
        GLfloat clear[4];
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
        context->presentRenderbuffer();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        // What the frame left bound and set is there again for the next frame.
        GLint after = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
        EXPECT_EQ(after, framebuffer);
        glGetIntegerv(GL_RENDERBUFFER_BINDING, &after);
        EXPECT_EQ(after, renderbuffer);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], kWidth);
        EXPECT_EQ(viewport[3], kHeight);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_EQ(clear[0], r / 255.0f);

        EXPECT_EQ(waitForPixels({r, g, b}, long{kWidth} * kHeight), long{kWidth} * kHeight)
            << "the window shows the frame's colour (after two minutes the server hangs, or the frame never "
               "reached it)";
    }
    screen.tearDown();
}

} // namespace
