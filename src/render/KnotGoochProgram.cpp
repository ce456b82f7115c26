#include "render/KnotGoochProgram.h"

#include "constants/Material.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "shaders/KnotGooch_frag.h"
#include "shaders/KnotGooch_vert.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace ZQ {

namespace {

constexpr GLsizei kStride = 36;

PVRTVec4 eyeSpace(const PVRTMat4& m, const PVRTVec3& p) {
    return m * PVRTVec4(p.x, p.y, p.z, 1.0f);
}

} // namespace

// clang-format off
const char* const KnotGoochProgram::kNormalMapNames[kNormalMapCount] = {
    "carpet01_normal",                // 0
    "carpet03_normal",                // 1
    "metal15_normal",                 // 2
    "rough_string_normal",            // 3
    "Golden_snakeskin_pxr128_normal", // 4
    "Wallpapercleannormal",           // 5
    "plasticshutter_normal",          // 6
    "Spots_pxr128_normal",            // 7
};
// clang-format on
static_assert(sizeof KnotGoochProgram::kNormalMapNames / sizeof KnotGoochProgram::kNormalMapNames[0] == 8);

KnotGoochProgram::KnotGoochProgram() : KnotGoochProgram(ShaderProgram::processShadowSwitches().cord) {}

KnotGoochProgram::KnotGoochProgram(bool cordShadows) : cordShadows(cordShadows) {}

KnotGoochProgram::~KnotGoochProgram() {
    // A program destroyed without tearDown still owns its textures.
    for (Texture* map : normalMaps) {
        delete map;
    }
    delete flatNormalMap;
}

void KnotGoochProgram::setUp() {
    using namespace ShaderNames;
    // A second setUp without tearDown would orphan the first GL program.
    ZQ_ASSERT(shader == nullptr);
    shader = new ShaderProgram("KnotGoochProgram", false);
    ShadowSwitches switches = ShaderProgram::processShadowSwitches();
    switches.cord = cordShadows;
    shader->build(Shaders::KnotGooch_vert, Shaders::KnotGooch_frag, switches);
    for (const char* name : {u_modelViewProjectionMatrix, u_NMatrix, u_MVMatrix, u_normalMap}) {
        shader->registerUniform(name);
    }
    if (cordShadows) {
        for (const char* name :
             {u_modelLightViewProjMatrix, u_shadowMap, u_shadowMapStep, u_PCFRadius, u_biasMinMax}) {
            shader->registerUniform(name);
        }
    }
    warmNames.build("u_materials", "warm", kSlots);
    ambientNames.build("u_materials", "ambient", kSlots);
    specularNames.build("u_materials", "specular", kSlots);
    shininessNames.build("u_materials", "shininess", kSlots);
    coolNames.build("u_materials", "cool", kSlots);
    for (int i = 0; i < kSlots; ++i) {
        for (const ElementNames* names :
             {&warmNames, &ambientNames, &specularNames, &shininessNames, &coolNames}) {
            shader->registerUniform((*names)[i]);
        }
    }
    for (const char* name : {u_lightPos, u_eye, u_alpha}) {
        shader->registerUniform(name);
    }
    for (const char* name : {a_position, a_normal, a_matindex, a_tex}) {
        shader->registerAttribute(name);
    }
    fillMatrices();

    // One texel of the normal (0, 0, 1).
    auto* flat = static_cast<uint8_t*>(std::malloc(4));
    ZQ_ASSERT(flat != nullptr);
    flat[0] = 128;
    flat[1] = 128;
    flat[2] = 255;
    flat[3] = 255;
    flatNormalMap = new TextureRaw(1, 1, flat, true, GL_NEAREST, GL_NEAREST);
    flatNormalMap->setUp();

    normalMaps.clear();
    for (const char* name : kNormalMapNames) {
        auto* map = new TextureFile(name, "pvr", true, GL_NEAREST, GL_NEAREST);
        map->setUp();
        normalMaps.push_back(map);
    }
}

void KnotGoochProgram::tearDown() {
    RenderProgram::tearDown();
    // Each texture deletes its GL name with itself.
    for (Texture* map : normalMaps) {
        delete map;
    }
    normalMaps.clear();
    delete flatNormalMap;
    flatNormalMap = nullptr;
    for (ElementNames* names : {&warmNames, &ambientNames, &specularNames, &shininessNames, &coolNames}) {
        *names = ElementNames();
    }
}

void KnotGoochProgram::use() {
    using namespace ShaderNames;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position, 3, kStride, 0);
    enableAttribute(*shader, a_normal, 3, kStride, 12);
    enableAttribute(*shader, a_tex, 2, kStride, 24);
    enableAttribute(*shader, a_matindex, 1, kStride, 32);
}

void KnotGoochProgram::unuse() {
    using namespace ShaderNames;
    for (const char* name : {a_position, a_normal, a_tex, a_matindex}) {
        disableAttribute(*shader, name);
    }
}

void KnotGoochProgram::setUniforms() {
    using namespace ShaderNames;
    fillMatrices();
    modelMatrix = PVRTMat4::identity();
    if (gGlobals.cameraModel != nullptr) {
        viewMatrix = gGlobals.cameraModel->viewMatrix();
    }
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
    const PVRTMat4 viewCentring = viewMatrix * centringMatrix;
    const PVRTMat4 modelView = viewCentring * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE,
                       (cameraMatrix * modelMatrix).f);
    glUniformMatrix4fv(shader->uniform(u_MVMatrix), 1, GL_FALSE, modelView.f);
    float normal[9];
    normalMatrix(normal, modelView);
    glUniformMatrix3fv(shader->uniform(u_NMatrix), 1, GL_FALSE, normal);

    const LightModel* light = gGlobals.lightModel;
    if (cordShadows) {
        PVRTMat4 inverseView = PVRTMat4::identity();
        matrixInverseAffine(inverseView, viewMatrix);
        const PVRTMat4 lightMatrix = light != nullptr ? light->lightMatrix() : PVRTMat4::identity();
        glUniformMatrix4fv(shader->uniform(u_modelLightViewProjMatrix), 1, GL_FALSE,
                           (lightMatrix * inverseView).f);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, gGlobals.shadowMapTexture);
        glUniform1i(shader->uniform(u_shadowMap), 1);
        const PVRTVec2& bias = DeviceProfile::get().biasMinMax;
        glUniform2f(shader->uniform(u_biasMinMax), bias.x, bias.y);
        const float w = gGlobals.screenSize.x;
        const float h = gGlobals.screenSize.y;
        const float s = std::min(DeviceProfile::get().targetSize, h);
        glUniform2f(shader->uniform(u_shadowMapStep), h / (w * s), 1.0f / s);
        glUniform1f(shader->uniform(u_PCFRadius), kPCFRadius);
    }

    const PVRTVec3 lightPos =
        light != nullptr && light->eye != nullptr ? light->eye->getPosition() : PVRTVec3();
    const PVRTVec4 l = eyeSpace(viewCentring, lightPos);
    glUniform4f(shader->uniform(u_lightPos), l.x, l.y, l.z, l.w);
    const CameraModel* camera = gGlobals.cameraModel;
    const PVRTVec3 eyePos =
        camera != nullptr && camera->eye != nullptr ? camera->eye->getPosition() : PVRTVec3();
    const PVRTVec4 e = eyeSpace(viewCentring, eyePos);
    glUniform3f(shader->uniform(u_eye), e.x, e.y, e.z);
}

void KnotGoochProgram::uploadMaterial(int32_t slot, const Material& m) {
    ZQ_ASSERT(slot >= 0 && slot < kSlots);
    glUniform3f(shader->uniform(ambientNames[slot]), m.ambient.x, m.ambient.y, m.ambient.z);
    glUniform3f(shader->uniform(warmNames[slot]), m.warm.x, m.warm.y, m.warm.z);
    glUniform3f(shader->uniform(specularNames[slot]), m.specular.x, m.specular.y, m.specular.z);
    glUniform1f(shader->uniform(shininessNames[slot]), m.shininess);
    glUniform3f(shader->uniform(coolNames[slot]), m.cool.x, m.cool.y, m.cool.z);
}

void KnotGoochProgram::bindNormalMap(int32_t index) {
    ZQ_ASSERT(index >= 0 && index < kNormalMapCount);
    glActiveTexture(GL_TEXTURE0);
    const std::size_t at = static_cast<std::size_t>(index);
    const GLuint map = at < normalMaps.size() ? normalMaps[at]->name : 0;
    glBindTexture(GL_TEXTURE_2D, map != 0 ? map : flatNormalMap->name);
    glUniform1i(shader->uniform(ShaderNames::u_normalMap), 0);
}

} // namespace ZQ
