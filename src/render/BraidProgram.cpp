#include "render/BraidProgram.h"

#include "constants/Material.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Braid_frag.h"
#include "shaders/Braid_vert.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <cmath>

namespace ZQ {

using namespace ShaderNames;

void BraidProgram::setUp() {
    ambientNames.build("u_materials", "ambient", kMaterials);
    warmNames.build("u_materials", "warm", kMaterials);
    specularNames.build("u_materials", "specular", kMaterials);
    shininessNames.build("u_materials", "shininess", kMaterials);
    coolNames.build("u_materials", "cool", kMaterials);
    setUpShader("BraidProgram", true, Shaders::Braid_vert, Shaders::Braid_frag,
                {u_modelViewProjectionMatrix, u_NMatrix, u_MVMatrix, u_lightPos, u_eye, u_alpha},
                {a_position, a_normal, a_matindex});
    for (int32_t i = 0; i < kMaterials; ++i) {
        for (const ElementNames* names :
             {&warmNames, &ambientNames, &specularNames, &shininessNames, &coolNames}) {
            shader->registerUniform((*names)[i]);
        }
    }
}

void BraidProgram::use() {
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position);
    shader->setAttribPointer(a_position, 3, GL_FALSE, kStride, nullptr);
    enableAttribute(*shader, a_normal);
    shader->setAttribPointer(a_normal, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(12));
    enableAttribute(*shader, a_matindex);
    shader->setAttribPointer(a_matindex, 1, GL_FALSE, kStride, reinterpret_cast<const void*>(40));
}

void BraidProgram::unuse() {
    for (const char* name : {a_position, a_normal, a_matindex}) {
        disableAttribute(*shader, name);
    }
}

void BraidProgram::setFrameUniforms(float alpha) const {
    glUniform1f(shader->uniform(u_alpha), alpha);
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    const PVRTMat4 viewCentring = viewMatrix * centringMatrix;
    const PVRTMat4 mv = viewCentring * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_MVMatrix), 1, GL_FALSE, mv.f);
    PVRTMat4 inverse;
    inverseMatrix4x4(inverse, mv);
    float normal[9];
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            normal[3 * c + r] = inverse(c, r);
        }
    }
    glUniformMatrix3fv(shader->uniform(u_NMatrix), 1, GL_FALSE, normal);
    const PVRTVec3 light = gGlobals.lightModel->eye->getPosition();
    const PVRTVec4 lightPos = viewCentring * PVRTVec4(light, 1.0f);
    const float lightPosition[4] = {lightPos.x, lightPos.y, lightPos.z, lightPos.w};
    glUniform4fv(shader->uniform(u_lightPos), 1, lightPosition);
    const PVRTVec4 eye = viewCentring * PVRTVec4(gGlobals.cameraModel->eye->getPosition(), 1.0f);
    uniform3(shader->uniform(u_eye), PVRTVec3(eye.x, eye.y, eye.z));
}

void BraidProgram::setMaterial(int32_t i, const Material& material) const {
    ZQ_ASSERT(i >= 0 && i < kMaterials);
    uniform3(shader->uniform(warmNames[i]), material.warm);
    uniform3(shader->uniform(ambientNames[i]), material.ambient);
    uniform3(shader->uniform(specularNames[i]), material.specular);
    glUniform1f(shader->uniform(shininessNames[i]), material.shininess);
    uniform3(shader->uniform(coolNames[i]), material.cool);
}

} // namespace ZQ
