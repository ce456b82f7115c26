#include "render/BBoxProgram.h"

#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/BBox_frag.h"
#include "shaders/BBox_vert.h"

namespace ZQ {

using namespace ShaderNames;

void BBoxProgram::setUp() {
    setUpShader("BBoxProgram", true, Shaders::BBox_vert, Shaders::BBox_frag, {u_modelViewProjectionMatrix},
                {a_position});
}

void BBoxProgram::use() {
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position);
    shader->setAttribPointer(a_position, 3, GL_FALSE, 12, nullptr);
}

void BBoxProgram::setModelMatrix(const float m[16]) {
    RenderProgram::setModelMatrix(m);
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
}

void BBoxProgram::unuse() {
    glDisable(GL_DEPTH_TEST);
    disableAttribute(*shader, a_position);
}

} // namespace ZQ
