#include "render/HoloProgram.h"

#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Holo_frag.h"
#include "shaders/Holo_vert.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <cmath>

namespace ZQ {

using namespace ShaderNames;

namespace {

void uniform3(GLint location, const PVRTVec3& v) {
    const float values[3] = {v.x, v.y, v.z};
    glUniform3fv(location, 1, values);
}

} // namespace

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
    viewMatrix = gGlobals.cameraModel->viewMatrix();
    projectionMatrix = scenePerspective(gGlobals.screenSize.x, gGlobals.screenSize.y);
    centringMatrix = sceneCentring(gGlobals.screenSize.x, gGlobals.screenSize.y);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;

    glUniformMatrix4fv(shader->uniform(u_MMatrix), 1, GL_FALSE, modelMatrix.f);
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    const PVRTMat4 viewCentring = viewMatrix * centringMatrix;
    const PVRTMat4 mv = viewCentring * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_MVMatrix), 1, GL_FALSE, mv.f);

    // A hologram of scale 0 has no inverse; it covers no pixel then, but the
    // identity keeps NaN out of the upload.
    PVRTMat4 inverse;
    inverseMatrix4x4(inverse, mv);
    for (float value : inverse.f) {
        if (!std::isfinite(value)) {
            inverse = PVRTMat4::identity();
            break;
        }
    }
    float normal[9];
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            normal[3 * c + r] = inverse(c, r);
        }
    }
    glUniformMatrix3fv(shader->uniform(u_NMatrix), 1, GL_FALSE, normal);

    uniform3(shader->uniform(u_bbox_min), boxMin);
    uniform3(shader->uniform(u_bbox_max), boxMax);
    uniform3(shader->uniform(u_noise), noise);
    glUniform1f(shader->uniform(u_scanner_phase), scannerPhase);

    const PVRTVec3 light = gGlobals.lightModel->eye->getPosition();
    const PVRTVec4 lightPos = viewCentring * PVRTVec4(light.x, light.y, light.z, 1.0f);
    const float lightPosition[4] = {lightPos.x, lightPos.y, lightPos.z, lightPos.w};
    glUniform4fv(shader->uniform(u_lightPos), 1, lightPosition);
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
