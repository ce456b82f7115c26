#include "render/BalloonProgram.h"

#include "engine/Assert.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Balloon_frag.h"
#include "shaders/Balloon_vert.h"

namespace ZQ {

using namespace ShaderNames;

void BalloonProgram::setUp() {
    setUpShader("BalloonProgram", true, Shaders::Balloon_vert, Shaders::Balloon_frag,
                {u_modelViewProjectionMatrix, u_normalMatrix, u_color}, {a_position, a_normal});
}

void BalloonProgram::use() {
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position);
    shader->setAttribPointer(a_position, 3, GL_FALSE, kStride, nullptr);
    enableAttribute(*shader, a_normal);
    shader->setAttribPointer(a_normal, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(12));
}

void BalloonProgram::setModelMatrix(const float m[16]) {
    RenderProgram::setModelMatrix(m);
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    float normal[9];
    normalMatrix(normal, viewMatrix * modelMatrix);
    glUniformMatrix3fv(shader->uniform(u_normalMatrix), 1, GL_FALSE, normal);
    ZQ_ASSERT(!colours.empty());
    const int32_t size = static_cast<int32_t>(colours.size());
    const PVRTVec4& c = colours[static_cast<std::size_t>(((colourIndex % size) + size) % size)];
    const float colour[4] = {c.x, c.y, c.z, c.w};
    glUniform4fv(shader->uniform(u_color), 1, colour);
}

void BalloonProgram::unuse() {
    disableAttribute(*shader, a_position);
    disableAttribute(*shader, a_normal);
}

} // namespace ZQ
