#include "render/GaugeProgram.h"

#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Gauge_frag.h"
#include "shaders/Gauge_vert.h"
#include "stage/GaugeModel.h"

#include <algorithm>

namespace ZQ {

using namespace ShaderNames;

void GaugeProgram::setUp() {
    diffuseNames.build("u_materials", "diffuse", kMaterials);
    setUpShader("GaugeProgram", true, Shaders::Gauge_vert, Shaders::Gauge_frag,
                {u_modelViewProjectionMatrix, u_modelViewMatrix, u_normalMatrix, u_alpha, u_lightPos, u_eye},
                {a_position, a_normal, a_index});
    registerElements(diffuseNames);
}

void GaugeProgram::use() {
    glUseProgram(shader->program);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    enableAttribute(*shader, a_position);
    shader->setAttribPointer(a_position, 3, GL_FALSE, kStride, nullptr);
    enableAttribute(*shader, a_normal);
    shader->setAttribPointer(a_normal, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(12));
    enableAttribute(*shader, a_index);
    shader->setAttribPointer(a_index, 1, GL_FALSE, kStride, reinterpret_cast<const void*>(24));
}

void GaugeProgram::unuse() {
    for (const char* name : {a_position, a_normal, a_index}) {
        disableAttribute(*shader, name);
    }
}

PVRTMat4 GaugeProgram::gaugeModelMatrix(const GaugeInstance& gauge) {
    const Layout& l = gauge.layout;
    return PVRTMat4::translation(l.position.x, l.position.y, l.position.z) * rotationY(l.angles.y) *
           rotationX(l.angles.x) * rotationZ(l.angles.z) * PVRTMat4::scale(l.scale, l.scale, 1.0f);
}

void GaugeProgram::setGaugeUniforms(const GaugeInstance& gauge) {
    const PVRTMat4 model = gaugeModelMatrix(gauge);
    const PVRTMat4 mvp = cameraMatrix * model;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    const PVRTMat4 modelView = viewMatrix * centringMatrix * model;
    glUniformMatrix4fv(shader->uniform(u_modelViewMatrix), 1, GL_FALSE, modelView.f);
    float normal[9];
    normalMatrix(normal, modelView);
    glUniformMatrix3fv(shader->uniform(u_normalMatrix), 1, GL_FALSE, normal);
    glUniform1f(shader->uniform(u_alpha), gauge.layout.alpha);
    const int32_t count = std::min<int32_t>(kMaterials, static_cast<int32_t>(gauge.materials.size()));
    for (int32_t i = 0; i < count; ++i) {
        const PVRTVec3& d = gauge.materials[static_cast<std::size_t>(i)].diffuse;
        glUniform3f(shader->uniform(diffuseNames[i]), d.x, d.y, d.z);
    }
    // The light straight above the screen; the eye where the default view
    // puts it.
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTVec4 light = viewMatrix * PVRTVec4(0.0f, 0.0f, 1.0f, 0.0f);
    glUniform3f(shader->uniform(u_lightPos), light.x * h, light.y * h, light.z * h);
    const PVRTVec4 eye = viewMatrix * centringMatrix * PVRTVec4(w / 2.0f, h / 2.0f, h, 1.0f);
    glUniform3f(shader->uniform(u_eye), eye.x, eye.y, eye.z);
}

} // namespace ZQ
