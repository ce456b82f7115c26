#include "render/TextureContext.h"

#include "engine/PlatformLog.h"

namespace ZQ {

TextureContext::TextureContext(float width, float height, GLuint texture, bool multisample,
                               GLint internalFormat, GLenum format, GLenum type, GLenum target)
    : width(width), height(height), texture(texture), format(format), internalFormat(internalFormat),
      type(type), target(target), multisample(multisample) {}

void TextureContext::setUp() {
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);

    depthRenderbuffer = genRenderbuffer("depthRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, w, h);

    framebuffer = genFramebuffer("framebuffer invalid");
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRenderbuffer);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, texture);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(target, 0, internalFormat, w, h, 0, format, type, pixels);

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        platformLog("failed to make complete framebuffer object 0x%x", status);
    }
    glBindTexture(target, 0);

    multisampled = multisampleFor(multisample, "texture");
    if (multisampled) {
        msaa = createMultisampleBuffers(w, h, "failed to make complete framebuffer object %x");
    }
    pixels = nullptr;
}

void TextureContext::tearDown() {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &depthRenderbuffer);
    framebuffer = 0;
    depthRenderbuffer = 0;
    deleteMultisampleBuffers(msaa);
    multisampled = false;
}

void TextureContext::bind() {
    if (multisampled) {
        glBindFramebuffer(GL_FRAMEBUFFER, msaa.framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.depthRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, msaa.colorRenderbuffer);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture, 0);
        glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
    }
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void TextureContext::resolve() {
    if (!multisampled) {
        return;
    }
    resolveMultisample(msaa, framebuffer, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
}

} // namespace ZQ
