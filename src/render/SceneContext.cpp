#include "render/SceneContext.h"

#include "engine/PlatformLog.h"

namespace ZQ {

SceneContext::SceneContext(float width, float height, bool multisample)
    : width(width), height(height), multisample(multisample) {
    colorRenderbuffer = genRenderbuffer("colorRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
}

void SceneContext::setUp() {
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);

    depthRenderbuffer = genRenderbuffer("depthRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, w, h);

    framebuffer = genFramebuffer("framebuffer invalid");
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRenderbuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRenderbuffer);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        platformLog("failed to make complete framebuffer object %x", status);
    }

    multisampled = multisampleFor(multisample, "screen");
    if (multisampled) {
        msaa = createMultisampleBuffers(w, h, "failed to make complete framebuffer object %x");
    }
}

void SceneContext::tearDown() {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &depthRenderbuffer);
    glDeleteRenderbuffers(1, &colorRenderbuffer);
    colorRenderbuffer = 0;
    framebuffer = 0;
    depthRenderbuffer = 0;
    deleteMultisampleBuffers(msaa);
    multisampled = false;
}

void SceneContext::bind() {
    if (multisampled) {
        glBindFramebuffer(GL_FRAMEBUFFER, msaa.framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.depthRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.colorRenderbuffer);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
    }
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void SceneContext::resolve() {
    if (!multisampled) {
        return;
    }
    resolveMultisample(msaa, framebuffer, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    // Presenting shows the GL_RENDERBUFFER binding: the resolved colour.
    glBindRenderbuffer(GL_RENDERBUFFER, colorRenderbuffer);
}

} // namespace ZQ
