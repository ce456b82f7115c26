#include "render/ShadowProgram.h"

#include "engine/Globals.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Shadow_frag.h"
#include "shaders/Shadow_vert.h"
#include "stage/LightModel.h"

#include <cstring>

namespace ZQ {

namespace {

constexpr GLsizei kStride = 36;

} // namespace

void ShadowProgram::setUp() {
    using namespace ShaderNames;
    setUpShader("ShadowProgram", true, Shaders::Shadow_vert, Shaders::Shadow_frag,
                {u_modelViewProjectionMatrix}, {aShadowPosition});
}

void ShadowProgram::use() {
    using namespace ShaderNames;
    glUseProgram(shader->program);
    const GLint location = shader->attribute(aShadowPosition);
    if (location >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        shader->setAttribPointer(aShadowPosition, 3, GL_FALSE, kStride, nullptr);
    }
}

void ShadowProgram::unuse() {
    const GLint location = shader->attribute(ShaderNames::aShadowPosition);
    if (location >= 0) {
        glDisableVertexAttribArray(static_cast<GLuint>(location));
    }
}

PVRTMat4 ShadowProgram::casterMatrix(const PVRTMat4& m) const {
    const PVRTMat4 light =
        gGlobals.lightModel != nullptr ? gGlobals.lightModel->lightMatrix() : PVRTMat4::identity();
    return light * centringMatrix * m;
}

void ShadowProgram::setModelMatrix(const float m[16]) {
    RenderProgram::setModelMatrix(m);
    glUniformMatrix4fv(shader->uniform(ShaderNames::u_modelViewProjectionMatrix), 1, GL_FALSE,
                       casterMatrix(modelMatrix).f);
}

} // namespace ZQ
