#include "render/TangleProgram.h"

#include "constants/Material.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Tangle_frag.h"
#include "shaders/Tangle_vert.h"
#include "stage/LightModel.h"

namespace ZQ {

namespace {

constexpr GLsizei kStride = 52;

} // namespace

void TangleProgram::setUp() {
    using namespace ShaderNames;
    setUpShader("TangleProgram", true, Shaders::Tangle_vert, Shaders::Tangle_frag,
                {u_modelViewProjectionMatrix, u_MVMatrix, u_NMatrix, u_lightPos, u_cameraPos, u_metalDiffuse,
                 u_metalAmbient, u_metalSpecular, u_metalF},
                {a_position, a_normal});
}

void TangleProgram::use() {
    using namespace ShaderNames;
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position, 3, kStride, 0);
    enableAttribute(*shader, a_normal, 3, kStride, 12);
}

void TangleProgram::unuse() {
    using namespace ShaderNames;
    for (const char* name : {a_position, a_normal}) {
        disableAttribute(*shader, name);
    }
}

void TangleProgram::setModelMatrix(const float m[16]) {
    using namespace ShaderNames;
    RenderProgram::setModelMatrix(m);
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE,
                       (cameraMatrix * modelMatrix).f);
    const PVRTMat4 modelView = viewMatrix * centringMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_MVMatrix), 1, GL_FALSE, modelView.f);
    float normal[9];
    normalMatrix(normal, modelView);
    glUniformMatrix3fv(shader->uniform(u_NMatrix), 1, GL_FALSE, normal);

    const LightModel* light = gGlobals.lightModel;
    const PVRTVec3 p = light != nullptr && light->eye != nullptr ? light->eye->getPosition() : PVRTVec3();
    const PVRTVec4 l = viewMatrix * PVRTVec4(p.x, p.y, p.z, 1.0f);
    glUniform4f(shader->uniform(u_lightPos), l.x, l.y, l.z, l.w);
    glUniform4f(shader->uniform(u_cameraPos), 0.0f, 0.0f, 0.0f, 0.0f);
}

float TangleProgram::fresnelTerm(float refractiveIndex) {
    const float a = (1.0f - refractiveIndex) * (1.0f - refractiveIndex);
    const float b = (1.0f + refractiveIndex) * (1.0f + refractiveIndex);
    const float r = a / b;
    return r * r;
}

void TangleProgram::uploadMetal(const Material& metal) {
    using namespace ShaderNames;
    glUniform3f(shader->uniform(u_metalAmbient), metal.ambient.x, metal.ambient.y, metal.ambient.z);
    glUniform3f(shader->uniform(u_metalDiffuse), metal.diffuse.x, metal.diffuse.y, metal.diffuse.z);
    glUniform3f(shader->uniform(u_metalSpecular), metal.specular.x, metal.specular.y, metal.specular.z);
    glUniform1f(shader->uniform(u_metalF), fresnelTerm(metal.refractiveIndex));
}

} // namespace ZQ
