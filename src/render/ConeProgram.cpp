#include "render/ConeProgram.h"

#include "constants/Material.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Cone_frag.h"
#include "shaders/Cone_vert.h"
#include "stage/CameraModel.h"

namespace ZQ {

using namespace ShaderNames;

void ConeProgram::setUp() {
    setUpShader("ConeProgram", false, Shaders::Cone_vert, Shaders::Cone_frag,
                {u_modelViewProjectionMatrix, u_NMatrix, u_MVMatrix, u_materialsWarm, u_materialsAmbient,
                 u_materialsShininess, u_materialsSpecular, u_materialsCool, u_lightPos, u_eye, u_alpha},
                {a_position, a_normal, a_alpha});
}

void ConeProgram::use() {
    glUseProgram(shader->program);
    struct Pointer {
        const char* name;
        GLint size;
        std::size_t offset;
    };
    for (const Pointer& p : {Pointer{a_position, 3, 0}, Pointer{a_normal, 3, 12}, Pointer{a_alpha, 1, 28}}) {
        enableAttribute(*shader, p.name);
        shader->setAttribPointer(p.name, p.size, GL_FALSE, kStride, reinterpret_cast<const void*>(p.offset));
    }
}

void ConeProgram::setModelMatrix(const float m[16]) {
    RenderProgram::setModelMatrix(m);
    followSceneCamera();

    const PVRTMat4 viewCentring = uploadLitModel();
    const PVRTVec3 eye = gGlobals.cameraModel->eye->getPosition();
    const PVRTVec4 eyePos = viewCentring * PVRTVec4(eye.x, eye.y, eye.z, 1.0f);
    const float eyePosition[3] = {eyePos.x, eyePos.y, eyePos.z};
    glUniform3fv(shader->uniform(u_eye), 1, eyePosition);
}

void ConeProgram::setMaterial(float alpha, const Material& material) const {
    glUniform1f(shader->uniform(u_alpha), alpha);
    uniform3(shader->uniform(u_materialsAmbient), material.ambient);
    uniform3(shader->uniform(u_materialsWarm), material.warm);
    uniform3(shader->uniform(u_materialsSpecular), material.specular);
    glUniform1f(shader->uniform(u_materialsShininess), material.shininess);
    uniform3(shader->uniform(u_materialsCool), material.cool);
}

void ConeProgram::unuse() {
    for (const char* name : {a_position, a_normal, a_alpha}) {
        disableAttribute(*shader, name);
    }
}

} // namespace ZQ
