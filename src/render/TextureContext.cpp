#include "render/TextureContext.h"

#include "engine/Log.h"

namespace ZQ {

TextureContext::TextureContext(float width, float height, GLuint texture, bool multisample,
                               GLint internalFormat, GLenum format, GLenum type, GLenum target)
    : FramebufferContext(width, height, multisample), texture(texture), format(format),
      internalFormat(internalFormat), type(type), target(target) {}

void TextureContext::setUp() {
    setUpDepthFramebuffer();

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, texture);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(target, 0, internalFormat, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 format, type, pixels);

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        platformLog("failed to make complete framebuffer object 0x%x", status);
    }
    glBindTexture(target, 0);

    setUpMultisample("texture");
    pixels = nullptr;
}

void TextureContext::bindPlain() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
}

} // namespace ZQ
