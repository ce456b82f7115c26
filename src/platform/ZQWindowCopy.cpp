#include "platform/ZQWindowCopy.h"

#include "engine/Log.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/WindowCopy_frag.h"
#include "shaders/WindowCopy_vert.h"

#include <algorithm>

namespace {

namespace Names = ZQ::ShaderNames;

// What the copy changes, read before and put back after.
struct SavedState {
    GLint framebuffer, renderbuffer, program, activeTexture, texture, arrayBuffer;
    GLint viewport[4];
    GLfloat clearColor[4];
    GLboolean blend, depthTest, cullFace, scissorTest;
    GLint attributeEnabled;

    explicit SavedState(GLint attribute) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
        blend = glIsEnabled(GL_BLEND);
        depthTest = glIsEnabled(GL_DEPTH_TEST);
        cullFace = glIsEnabled(GL_CULL_FACE);
        scissorTest = glIsEnabled(GL_SCISSOR_TEST);
        attributeEnabled = GL_FALSE;
        if (attribute >= 0) {
            glGetVertexAttribiv(static_cast<GLuint>(attribute), GL_VERTEX_ATTRIB_ARRAY_ENABLED,
                                &attributeEnabled);
        }
    }

    void restore(GLint attribute) const {
        if (attribute >= 0 && attributeEnabled == GL_FALSE) {
            glDisableVertexAttribArray(static_cast<GLuint>(attribute));
        }
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glActiveTexture(static_cast<GLenum>(activeTexture));
        glUseProgram(static_cast<GLuint>(program));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
        switchTo(GL_BLEND, blend);
        switchTo(GL_DEPTH_TEST, depthTest);
        switchTo(GL_CULL_FACE, cullFace);
        switchTo(GL_SCISSOR_TEST, scissorTest);
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
        glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    }

    static void switchTo(GLenum cap, GLboolean on) {
        if (on == GL_TRUE) {
            glEnable(cap);
        } else {
            glDisable(cap);
        }
    }
};

} // namespace

ZQWindowCopy::ZQWindowCopy() : shader(std::make_unique<ZQ::ShaderProgram>("WindowCopy", true)) {
    shader->build(ZQ::Shaders::WindowCopy_vert, ZQ::Shaders::WindowCopy_frag, ZQ::ShadowSwitches{});
    shader->registerUniform(Names::u_screen);
    shader->registerAttribute(Names::a_position);

    glGenTextures(1, &texture);
    const GLfloat corners[] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
    GLint previous = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previous);
    glGenBuffers(1, &quad);
    glBindBuffer(GL_ARRAY_BUFFER, quad);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previous));
}

ZQWindowCopy::~ZQWindowCopy() {
    glDeleteBuffers(1, &quad);
    glDeleteTextures(1, &texture);
}

bool ZQWindowCopy::copy(int windowWidth, int windowHeight) {
    GLint width = 0;
    GLint height = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    if (width <= 0 || height <= 0 || !shader->linked || windowWidth <= 0 || windowHeight <= 0) {
        return false;
    }
    const GLint attribute = shader->attribute(Names::a_position);
    const SavedState saved(attribute);

    glBindTexture(GL_TEXTURE_2D, texture);
    if (width != textureWidth || height != textureHeight) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        textureWidth = width;
        textureHeight = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The largest rectangle of the frame's aspect, centred.
    const float scale = std::min(static_cast<float>(windowWidth) / static_cast<float>(width),
                                 static_cast<float>(windowHeight) / static_cast<float>(height));
    const auto w = static_cast<GLsizei>(static_cast<float>(width) * scale);
    const auto h = static_cast<GLsizei>(static_cast<float>(height) * scale);
    glViewport((windowWidth - w) / 2, (windowHeight - h) / 2, w, h);

    glUseProgram(shader->program);
    glUniform1i(shader->uniform(Names::u_screen), 0);
    glBindBuffer(GL_ARRAY_BUFFER, quad);
    if (attribute >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(attribute));
        shader->setAttribPointer(Names::a_position, 2, GL_FALSE, 0, nullptr);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    saved.restore(attribute);
    return true;
}
