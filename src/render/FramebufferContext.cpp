#include "render/FramebufferContext.h"

namespace ZQ {

FramebufferContext::FramebufferContext(float width, float height, bool multisample)
    : width(width), height(height), multisample(multisample) {}

void FramebufferContext::setUpDepthFramebuffer() {
    depthRenderbuffer = genRenderbuffer("depthRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));

    framebuffer = genFramebuffer("framebuffer invalid");
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRenderbuffer);
}

void FramebufferContext::setUpMultisample(const char* kind) {
    multisampled = multisampleFor(multisample, kind);
    if (multisampled) {
        msaa = createMultisampleBuffers(static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                                        "failed to make complete framebuffer object %x");
    }
}

void FramebufferContext::tearDown() {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &depthRenderbuffer);
    framebuffer = 0;
    depthRenderbuffer = 0;
    deleteMultisampleBuffers(msaa);
    multisampled = false;
}

void FramebufferContext::bind() {
    if (multisampled) {
        glBindFramebuffer(GL_FRAMEBUFFER, msaa.framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.depthRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.colorRenderbuffer);
    } else {
        bindPlain();
    }
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void FramebufferContext::resolve() {
    if (!multisampled) {
        return;
    }
    resolveMultisample(msaa, framebuffer, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
}

} // namespace ZQ
