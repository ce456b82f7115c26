#include "render/WallPaperProgram.h"

#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/WallPaper_frag.h"
#include "shaders/WallPaper_vert.h"

namespace ZQ {

namespace {

constexpr GLsizei kStride = 36;

} // namespace

void WallPaperProgram::setUp() {
    using namespace ShaderNames;
    setUpShader("WallPaperProgram", true, Shaders::WallPaper_vert, Shaders::WallPaper_frag,
                {u_modelViewProjectionMatrix, u_drawHeight, u_zHeight}, {a_position, a_normal, a_cindex});
    viewMatrix = PVRTMat4::identity();
}

void WallPaperProgram::use() {
    using namespace ShaderNames;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position, 3, kStride, 0);
    enableAttribute(*shader, a_normal, 3, kStride, 12);
    enableAttribute(*shader, a_cindex, 1, kStride, 32);
}

void WallPaperProgram::setModelMatrix(const float m[16]) {
    PVRTMat4 model;
    for (int i = 0; i < 16; ++i) {
        model.f[i] = m[i];
    }
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    const PVRTMat4 mvp = cameraMatrix * model;
    glUniformMatrix4fv(shader->uniform(ShaderNames::u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
}

void WallPaperProgram::unuse() {
    using namespace ShaderNames;
    disableAttribute(*shader, a_position);
    disableAttribute(*shader, a_normal);
    disableAttribute(*shader, a_cindex);
    glUseProgram(0);
}

void WallPaperProgram::setDrawHeight(float drawHeight) {
    glUniform1f(shader->uniform(ShaderNames::u_drawHeight), drawHeight);
    glUniform1f(shader->uniform(ShaderNames::u_zHeight), kZHeight);
}

PVRTMat4 WallPaperProgram::targetProjection(float t) {
    // glOrtho(-t/2, t/2, -t/2, t/2, -1.5, -3t).
    const float nearPlane = -1.5f;
    const float farPlane = -3.0f * t;
    PVRTMat4 p = PVRTMat4::identity();
    p.f[0] = 2.0f / t;
    p.f[5] = 2.0f / t;
    p.f[10] = -2.0f / (farPlane - nearPlane);
    p.f[14] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    return p;
}

PVRTMat4 WallPaperProgram::targetCentring(float t) {
    return PVRTMat4::translation(-0.5f * t, -0.5f * t, -t);
}

} // namespace ZQ
