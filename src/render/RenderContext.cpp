#include "render/RenderContext.h"

// The multisample calls are OpenGL ES 3.0; only this file uses them, and only
// after multisampleAvailable() said the current context has them.
#include <GLES3/gl3.h>

#include "engine/Log.h"

#include <cstdio>
#include <set>
#include <string>

namespace ZQ {

bool multisampleAvailable() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    return version != nullptr && std::sscanf(version, "OpenGL ES %d.%d", &major, &minor) == 2 && major >= 3;
}

bool multisampleFor(bool wanted, const char* kind) {
    if (!wanted) {
        return false;
    }
    if (multisampleAvailable()) {
        return true;
    }
    static std::set<std::string> told;
    if (told.insert(kind).second) {
        platformLog("Multisampling needs OpenGL ES 3.0; the %s target draws without it", kind);
    }
    return false;
}

namespace {

// One name from a glGen* call; GL gives 0 when it could not make one.
GLuint genName(void (*gen)(GLsizei, GLuint*), const char* invalid) {
    GLuint name = 0;
    gen(1, &name);
    if (name == 0) {
        platformLog("%s", invalid);
    }
    return name;
}

} // namespace

GLuint genRenderbuffer(const char* invalid) {
    return genName(glGenRenderbuffers, invalid);
}

GLuint genFramebuffer(const char* invalid) {
    return genName(glGenFramebuffers, invalid);
}

MultisampleBuffers createMultisampleBuffers(GLsizei width, GLsizei height, const char* incomplete) {
    constexpr GLsizei kSamples = 4;
    MultisampleBuffers buffers;
    buffers.colorRenderbuffer = genRenderbuffer("msaaColorRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, buffers.colorRenderbuffer);
    buffers.framebuffer = genFramebuffer("msaaFramebuffer invalid");
    glBindFramebuffer(GL_FRAMEBUFFER, buffers.framebuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, kSamples, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              buffers.colorRenderbuffer);
    buffers.depthRenderbuffer = genRenderbuffer("msaaDepthRenderbuffer invalid");
    glBindRenderbuffer(GL_RENDERBUFFER, buffers.depthRenderbuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, kSamples, GL_DEPTH_COMPONENT16, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              buffers.depthRenderbuffer);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        platformLog(incomplete, status);
    }
    return buffers;
}

void deleteMultisampleBuffers(MultisampleBuffers& buffers) {
    glDeleteFramebuffers(1, &buffers.framebuffer);
    glDeleteRenderbuffers(1, &buffers.colorRenderbuffer);
    glDeleteRenderbuffers(1, &buffers.depthRenderbuffer);
    buffers = MultisampleBuffers{};
}

void resolveMultisample(const MultisampleBuffers& buffers, GLuint plain, GLsizei width, GLsizei height) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, plain);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, buffers.framebuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    const GLenum attachments[] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    glInvalidateFramebuffer(GL_READ_FRAMEBUFFER, 2, attachments);
    glBindFramebuffer(GL_FRAMEBUFFER, plain);
}

} // namespace ZQ
