#include "render/WallPaperRoomProgram.h"

#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/Spot.h"
#include "render/AttributeArrays.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/WallPaperRoomReference_frag.h"
#include "shaders/WallPaperRoom_frag.h"
#include "shaders/WallPaperRoom_vert.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"
#include "stage/RoomModel.h"

#include <algorithm>
#include <cstddef>

namespace ZQ {

namespace {

constexpr GLsizei kStride = 64;

// clang-format off
constexpr int32_t kFaceKinds[] = {
    0, // back wall
    1, // left wall
    1, // right wall
    3, // ceiling
    2, // floor
};
// clang-format on
static_assert(sizeof kFaceKinds / sizeof kFaceKinds[0] == 5);

PVRTVec3 eyeSpace(const PVRTMat4& m, const PVRTVec3& p) {
    const PVRTVec4 e = m * PVRTVec4(p.x, p.y, p.z, 1.0f);
    return PVRTVec3(e.x, e.y, e.z);
}

} // namespace

WallPaperRoomProgram::WallPaperRoomProgram()
    : WallPaperRoomProgram(ShaderProgram::processShadowSwitches().room) {}

WallPaperRoomProgram::WallPaperRoomProgram(bool roomShadows, Shading shading)
    : roomShadows(roomShadows), shading(shading) {
    ZQ_ASSERT(shading != Shading::unfiltered || !roomShadows);
}

void WallPaperRoomProgram::setUp() {
    using namespace ShaderNames;
    // A second setUp without tearDown would orphan the first GL program.
    ZQ_ASSERT(shader == nullptr);
    shader = new ShaderProgram("WallPaperRoomProgram", true);
    ShadowSwitches switches = ShaderProgram::processShadowSwitches();
    switches.room = roomShadows;
    const char* fragment =
        shading == Shading::reference ? Shaders::WallPaperRoomReference_frag : Shaders::WallPaperRoom_frag;
    shader->build(Shaders::WallPaperRoom_vert, fragment, switches);
    for (const char* name :
         {u_modelViewProjectionMatrix, u_normalMatrix, u_modelLightViewProjMatrix, u_modelView, u_Kd, u_Ks}) {
        if (name != u_modelLightViewProjMatrix || shading != Shading::unfiltered) {
            shader->registerUniform(name);
        }
    }
    if (roomShadows) {
        for (const char* name : {u_shadowMapStep, u_PCFRadius, u_shadowMap}) {
            shader->registerUniform(name);
        }
    }
    for (const char* name : {u_lightPos, u_eye, u_wallpaper, u_wallpaperHeight, u_zHeight, u_scaleTex}) {
        shader->registerUniform(name);
    }
    ambientNames.build("u_material", "ambient", kSlots);
    diffuseNames.build("u_material", "diffuse", kSlots);
    specularNames.build("u_material", "specular", kSlots);
    shininessNames.build("u_material", "shininess", kSlots);
    coolNames.build("u_material", "cool", kSlots);
    for (int i = 0; i < kSlots; ++i) {
        for (const ElementNames* names :
             {&ambientNames, &diffuseNames, &specularNames, &shininessNames, &coolNames}) {
            shader->registerUniform((*names)[i]);
        }
    }
    for (const char* name : {a_position, a_tex}) {
        shader->registerAttribute(name);
    }
    fillMatrices();
}

void WallPaperRoomProgram::tearDown() {
    RenderProgram::tearDown();
    for (ElementNames* names : {&ambientNames, &diffuseNames, &specularNames, &shininessNames, &coolNames}) {
        *names = ElementNames();
    }
}

void WallPaperRoomProgram::use() {
    using namespace ShaderNames;
    glUseProgram(shader->program);
    enableAttribute(*shader, a_position, 3, kStride, 0);
    enableAttribute(*shader, a_tex, 2, kStride, 40);
}

void WallPaperRoomProgram::unuse() {
    using namespace ShaderNames;
    disableAttribute(*shader, a_position);
    disableAttribute(*shader, a_tex);
}

void WallPaperRoomProgram::setModelMatrix(const float m[16]) {
    using namespace ShaderNames;
    RenderProgram::setModelMatrix(m);
    const PVRTMat4 view =
        gGlobals.cameraModel != nullptr ? gGlobals.cameraModel->viewMatrix() : defaultView();
    viewMatrix = view;
    cameraMatrix = projectionMatrix * view * centringMatrix;
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);

    // roomMatrix carries no rotation: every face's relief normals are
    // transformed as if the face were not turned.
    const PVRTMat4 viewCentring = view * centringMatrix;
    float normal[9];
    normalMatrix(normal, viewCentring * roomMatrix);
    glUniformMatrix3fv(shader->uniform(u_normalMatrix), 1, GL_FALSE, normal);

    PVRTMat4 inverseView = PVRTMat4::identity();
    matrixInverseAffine(inverseView, view);
    const PVRTMat4 light =
        gGlobals.lightModel != nullptr ? gGlobals.lightModel->lightMatrix() : PVRTMat4::identity();
    const PVRTMat4 lightFromEye = light * inverseView;
    if (shading != Shading::unfiltered) {
        glUniformMatrix4fv(shader->uniform(u_modelLightViewProjMatrix), 1, GL_FALSE, lightFromEye.f);
    }

    const PVRTMat4 modelView = viewCentring * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelView), 1, GL_FALSE, modelView.f);

    const PVRTVec3 lightPos = gGlobals.lightModel != nullptr && gGlobals.lightModel->eye != nullptr
                                  ? gGlobals.lightModel->eye->getPosition()
                                  : PVRTVec3();
    const PVRTVec3 l = eyeSpace(viewCentring, lightPos);
    glUniform4f(shader->uniform(u_lightPos), l.x, l.y, l.z, 1.0f);

    if (roomShadows) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, gGlobals.shadowMapTexture);
        glUniform1i(shader->uniform(u_shadowMap), 0);
    }

    const CameraModel* camera = gGlobals.cameraModel;
    const PVRTVec3 eyePos =
        camera != nullptr && camera->eye != nullptr ? camera->eye->getPosition() : PVRTVec3();
    const PVRTVec3 e = eyeSpace(viewCentring, eyePos);
    glUniform4f(shader->uniform(u_eye), e.x, e.y, e.z, 1.0f);
    // The fragment's shadow coordinate is that matrix applied to its
    // eye-space point less the eye: affine in the box point.
    shadowMatrix = lightFromEye * PVRTMat4::translation(-e.x, -e.y, -e.z) * modelView;
    const bool spot = camera != nullptr && camera->spot != nullptr;
    glUniform1f(shader->uniform(u_Kd), spot ? camera->spot->pair.y : 1.0f);
    glUniform1f(shader->uniform(u_Ks), spot ? camera->spot->third : 1.0f);

    if (roomShadows) {
        const PVRTVec2 step = shadowMapStep();
        glUniform2f(shader->uniform(u_shadowMapStep), step.x, step.y);
        glUniform1f(shader->uniform(u_PCFRadius), kPCFRadius);
    }
}

PVRTVec2 WallPaperRoomProgram::shadowMapStep() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float target = std::min(DeviceProfile::get().targetSize, h);
    return PVRTVec2(h / (w * target), 1.0f / target);
}

int32_t WallPaperRoomProgram::faceKindOf(int32_t face) {
    ZQ_ASSERT(face >= 0 && face < 5);
    return kFaceKinds[face];
}

PVRTVec2 WallPaperRoomProgram::textureScale(int32_t faceKind, float width, float height, float worldScale) {
    float ex = 3.0f * width;
    float ey = 1.4f * height;
    if (faceKind == 1) {
        ex = 1.1f * height;
    } else if (faceKind == 2 || faceKind == 3) {
        ey = 1.1f * height;
    }
    const float margin = 6.0f / worldScale;
    ex += margin;
    ey += margin;
    return ex <= ey ? PVRTVec2(ex / ey, 1.0f) : PVRTVec2(1.0f, ey / ex);
}

void WallPaperRoomProgram::bindWallpaper(const RoomInstance& instance, int32_t face) {
    using namespace ShaderNames;
    this->face = face;
    faceKind = faceKindOf(face);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, instance.colourTexture != nullptr ? *instance.colourTexture : 0);
    glUniform1i(shader->uniform(u_wallpaper), 1);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, instance.heightTexture != nullptr ? *instance.heightTexture : 0);
    glUniform1i(shader->uniform(u_wallpaperHeight), 2);
    glUniform1f(shader->uniform(u_zHeight), kZHeight);

    const PVRTVec2 scale =
        textureScale(faceKind, gGlobals.screenSize.x, gGlobals.screenSize.y, gGlobals.worldScale);
    glUniform2f(shader->uniform(u_scaleTex), scale.x, scale.y);

    // The room model keeps at most four records; the bound is the slots'.
    const int count = std::min(static_cast<int>(instance.colours.size()), static_cast<int>(kSlots));
    for (int i = 0; i < count; ++i) {
        const Material& m = instance.colours[static_cast<std::size_t>(i)];
        glUniform3f(shader->uniform(ambientNames[i]), m.ambient.x, m.ambient.y, m.ambient.z);
        glUniform3f(shader->uniform(diffuseNames[i]), m.diffuse.x, m.diffuse.y, m.diffuse.z);
        glUniform3f(shader->uniform(specularNames[i]), m.specular.x, m.specular.y, m.specular.z);
        glUniform1f(shader->uniform(shininessNames[i]), m.shininess);
        glUniform3f(shader->uniform(coolNames[i]), m.cool.x, m.cool.y, m.cool.z);
    }
}

} // namespace ZQ
