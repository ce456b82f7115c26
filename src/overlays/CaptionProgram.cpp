#include "overlays/CaptionProgram.h"

#include "engine/Globals.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "shaders/Caption_frag.h"
#include "shaders/Caption_vert.h"

namespace ZQ {

namespace {

constexpr GLsizei kVertexBytes = 24; // a_position (4 floats), a_tex (2 floats)

// A program that failed to link has no attributes (-1), which GL refuses.
void setArray(const ShaderProgram& shader, const char* name, bool enable) {
    const GLint location = shader.attribute(name);
    if (location < 0) {
        return;
    }
    if (enable) {
        glEnableVertexAttribArray(static_cast<GLuint>(location));
    } else {
        glDisableVertexAttribArray(static_cast<GLuint>(location));
    }
}

} // namespace

PVRTMat4 CaptionProgram::projection(float w, float h) {
    PVRTMat4 p;
    p.f[0] = 2.0f / w;
    p.f[5] = 2.0f / h;
    p.f[10] = -2.0f / (1.5f - 3.0f * h);
    p.f[14] = (3.0f * h + 1.5f) / (1.5f - 3.0f * h);
    p.f[15] = 1.0f;
    return p;
}

void CaptionProgram::setUp() {
    setUpShader("CaptionProgram", true, Shaders::Caption_vert, Shaders::Caption_frag,
                {ShaderNames::u_modelViewProjectionMatrix, ShaderNames::u_captionTex, ShaderNames::u_alpha},
                {ShaderNames::a_position, ShaderNames::a_tex});
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    viewMatrix = defaultView();
    projectionMatrix = projection(w, h);
    centringMatrix = PVRTMat4::translation(-w / 2.0f, -h / 2.0f, -h);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
}

void CaptionProgram::use() {
    glUseProgram(shader->program);
    setArray(*shader, ShaderNames::a_position, true);
    shader->setAttribPointer(ShaderNames::a_position, 4, GL_FALSE, kVertexBytes, nullptr);
    setArray(*shader, ShaderNames::a_tex, true);
    shader->setAttribPointer(ShaderNames::a_tex, 2, GL_FALSE, kVertexBytes,
                             reinterpret_cast<const void*>(4 * sizeof(float)));
}

void CaptionProgram::setModelMatrix(const float m[16]) {
    PVRTMat4 model;
    for (int i = 0; i < 16; ++i) {
        model.f[i] = m[i];
    }
    const PVRTMat4 mvp = cameraMatrix * model;
    glUniformMatrix4fv(shader->uniform(ShaderNames::u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
}

void CaptionProgram::bindCaption(const Texture* texture, float alpha) {
    glUniform1f(shader->uniform(ShaderNames::u_alpha), alpha);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glUniform1i(shader->uniform(ShaderNames::u_captionTex), 0);
}

void CaptionProgram::unuse() {
    setArray(*shader, ShaderNames::a_position, false);
    setArray(*shader, ShaderNames::a_tex, false);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

} // namespace ZQ
