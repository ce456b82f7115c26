#include "render/HoloProgram.h"

#include "engine/Cloudlet.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Holo_frag.h"
#include "shaders/Holo_vert.h"

namespace ZQ {

using namespace ShaderNames;

void HoloProgram::setUp() {
    setUpShader("HoloProgram", false, Shaders::Holo_vert, Shaders::Holo_frag,
                {u_modelViewProjectionMatrix, u_NMatrix, u_MVMatrix, u_MMatrix, u_lightPos, u_alpha,
                 u_bbox_max, u_bbox_min, u_noise, u_scanner_phase, u_color, u_scancolor},
                {a_position, a_normal});
}

void HoloProgram::use() {
    glUseProgram(shader->program);
    struct Pointer {
        const char* name;
        std::size_t offset;
    };
    for (const Pointer& p : {Pointer{a_position, 0}, Pointer{a_normal, 12}}) {
        enableAttribute(*shader, p.name);
        shader->setAttribPointer(p.name, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(p.offset));
    }
}

void HoloProgram::setModelMatrix(const float m[16]) {
    RenderProgram::setModelMatrix(m);
    followSceneCamera();

    glUniformMatrix4fv(shader->uniform(u_MMatrix), 1, GL_FALSE, modelMatrix.f);
    uploadLitModel();

    uniform3(shader->uniform(u_bbox_min), boxMin);
    uniform3(shader->uniform(u_bbox_max), boxMax);
    uniform3(shader->uniform(u_noise), noise);
    glUniform1f(shader->uniform(u_scanner_phase), scannerPhase);
}

void HoloProgram::setString(float alpha, const PVRTVec3& colour, const PVRTVec3& scanColour) const {
    glUniform1f(shader->uniform(u_alpha), alpha);
    uniform3(shader->uniform(u_color), colour);
    uniform3(shader->uniform(u_scancolor), scanColour);
}

void HoloProgram::unuse() {
    for (const char* name : {a_position, a_normal}) {
        disableAttribute(*shader, name);
    }
}

} // namespace ZQ
