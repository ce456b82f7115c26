#include "render/BraidProgram.h"

#include "constants/Material.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Braid_frag.h"
#include "shaders/Braid_vert.h"
#include "stage/CameraModel.h"

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
    // The braids are drawn with the identity model matrix: the camera's
    // view always has an inverse, so the base's guard never steps in.
    const PVRTMat4 viewCentring = uploadLitModel();
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
