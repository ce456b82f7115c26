#include "render/GrainProgram.h"

#include "constants/Palette.h"
#include "cords/GrainEmitter.h"
#include "engine/Globals.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Grain_frag.h"
#include "shaders/Grain_vert.h"

#include <iterator>

namespace ZQ {

using namespace ShaderNames;

namespace {

// The grain metals' colours, by material index. Only the diffuse colour shows
// in the grain shading.
// clang-format off
constexpr PVRTVec3 kGrainDiffuse[] = {
    Palette::gold,          // 0
    Palette::coldGrey,      // 1
    Palette::darkOrange,    // 2
    Palette::slateGreyDark, // 3
    Palette::ivoryBlack,    // 4
};
// clang-format on
static_assert(std::size(kGrainDiffuse) == GrainProgram::kMaterials);

} // namespace

void GrainProgram::setUp() {
    diffuseNames.build("u_materials", "diffuse", kMaterials);
    setUpShader("GrainProgram", true, Shaders::Grain_vert, Shaders::Grain_frag,
                {u_modelViewProjectionMatrix, u_modelViewMatrix, u_normalMatrix, u_scale, u_orientations,
                 u_positionsAlpha, u_indexMaterials, u_alpha, u_lightPos, u_eye},
                {a_position, a_normal, a_index});
    registerElements(diffuseNames);
}

void GrainProgram::use() {
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position);
    shader->setAttribPointer(a_position, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(4));
    enableAttribute(*shader, a_normal);
    shader->setAttribPointer(a_normal, 3, GL_FALSE, kStride, reinterpret_cast<const void*>(16));
    enableAttribute(*shader, a_index);
    shader->setAttribPointer(a_index, 1, GL_TRUE, kStride, nullptr);
}

void GrainProgram::unuse() {
    for (const char* name : {a_position, a_normal, a_index}) {
        disableAttribute(*shader, name);
    }
}

void GrainProgram::setEmitterUniforms(const GrainEmitter& emitter) {
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    const float s = emitter.layout.scale;
    glUniform3f(shader->uniform(u_scale), s, s, s);
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, cameraMatrix.f);
    const PVRTMat4 viewCentring = viewMatrix * centringMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewMatrix), 1, GL_FALSE, viewCentring.f);
    float normal[9];
    normalMatrix(normal, viewCentring);
    glUniformMatrix3fv(shader->uniform(u_normalMatrix), 1, GL_FALSE, normal);
    for (int32_t i = 0; i < kMaterials; ++i) {
        const PVRTVec3& d = kGrainDiffuse[i];
        glUniform3f(shader->uniform(diffuseNames[i]), d.x, d.y, d.z);
    }
    glUniform1f(shader->uniform(u_alpha), emitter.layout.alpha);

    // The light sits at the screen's right edge, half way up; the eye where
    // the default view puts it.
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTVec4 light = viewMatrix * PVRTVec4(w, h / 2.0f, 0.0f, 0.0f);
    glUniform3f(shader->uniform(u_lightPos), light.x, light.y, light.z);
    const PVRTVec4 eye = viewCentring * PVRTVec4(0.0f, 0.0f, h, 1.0f);
    glUniform3f(shader->uniform(u_eye), eye.x, eye.y, eye.z);

    const int32_t count = emitter.getCount();
    if (count > 0) {
        glUniform4fv(shader->uniform(u_orientations), count, &emitter.orientations[0][0]);
        glUniform4fv(shader->uniform(u_positionsAlpha), count, &emitter.positionsAlpha[0][0]);
        glUniform1fv(shader->uniform(u_indexMaterials), count, emitter.indexMaterials);
    }
}

} // namespace ZQ
