#include "render/SceneContext.h"

#include "engine/Log.h"

namespace ZQ {

SceneContext::SceneContext(float width, float height, bool multisample)
    : FramebufferContext(width, height, multisample) {
    colorRenderbuffer = genRenderbuffer("colorRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
}

void SceneContext::setUp() {
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
    setUpDepthFramebuffer();
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRenderbuffer);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        platformLog("failed to make complete framebuffer object %x", status);
    }
    setUpMultisample("screen");
}

void SceneContext::tearDown() {
    FramebufferContext::tearDown();
    glDeleteRenderbuffers(1, &colorRenderbuffer);
    colorRenderbuffer = 0;
}

void SceneContext::bindPlain() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
}

void SceneContext::resolve() {
    FramebufferContext::resolve();
    if (isMultisampled()) {
        // Presenting shows the GL_RENDERBUFFER binding: the resolved colour.
        glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
    }
}

} // namespace ZQ
