#include "render/RenderProgram.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <cmath>
#include <cstring>
#include <string>

namespace ZQ {

void ElementNames::build(const char* array, const char* member, int count) {
    names.clear();
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string text = std::string(array) + "[" + std::to_string(i) + "]." + member;
        auto copy = std::make_unique<char[]>(text.size() + 1);
        std::memcpy(copy.get(), text.c_str(), text.size() + 1);
        names.push_back(std::move(copy));
    }
}

const char* ElementNames::operator[](int element) const {
    ZQ_ASSERT(element >= 0 && element < size());
    return names[static_cast<std::size_t>(element)].get();
}

void RenderProgram::tearDown() {
    delete shader;
    shader = nullptr;
}

RenderProgram::~RenderProgram() {
    // A program destroyed without tearDown still owns its holder.
    delete shader;
}

void RenderProgram::setModelMatrix(const float m[16]) {
    std::memcpy(modelMatrix.f, m, sizeof modelMatrix.f);
}

PVRTMat4 RenderProgram::defaultView() {
    return PVRTMat4::translation(0.0f, 0.0f, -1.0f);
}

void RenderProgram::normalMatrix(float out[9], const PVRTMat4& modelView) {
    // matrixInverseAffine leaves its output alone for a singular input.
    PVRTMat4 inverse = PVRTMat4::identity();
    matrixInverseAffine(inverse, modelView);
    // Transposing while taking the 3x3: out column c = inverse row c.
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            out[3 * c + r] = inverse(c, r);
        }
    }
}

void RenderProgram::followSceneCamera() {
    viewMatrix = gGlobals.cameraModel->viewMatrix();
    projectionMatrix = scenePerspective(gGlobals.screenSize.x, gGlobals.screenSize.y);
    centringMatrix = sceneCentring(gGlobals.screenSize.x, gGlobals.screenSize.y);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
}

PVRTMat4 RenderProgram::uploadLitModel() const {
    using namespace ShaderNames;
    const PVRTMat4 mvp = cameraMatrix * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    const PVRTMat4 viewCentring = viewMatrix * centringMatrix;
    const PVRTMat4 mv = viewCentring * modelMatrix;
    glUniformMatrix4fv(shader->uniform(u_MVMatrix), 1, GL_FALSE, mv.f);

    // The full inverse, not normalMatrix's affine one: these models were
    // drawn with it from the first, and their pictures stay bit for bit.
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

    const PVRTVec3 light = gGlobals.lightModel->eye->getPosition();
    const PVRTVec4 lightPos = viewCentring * PVRTVec4(light.x, light.y, light.z, 1.0f);
    const float lightPosition[4] = {lightPos.x, lightPos.y, lightPos.z, lightPos.w};
    glUniform4fv(shader->uniform(u_lightPos), 1, lightPosition);
    return viewCentring;
}

void RenderProgram::uniform3(GLint location, const PVRTVec3& v) {
    const float values[3] = {v.x, v.y, v.z};
    glUniform3fv(location, 1, values);
}

void RenderProgram::setUpShader(const char* className, bool header, const char* vertexSource,
                                const char* fragmentSource, std::initializer_list<const char*> uniforms,
                                std::initializer_list<const char*> attributes) {
    // A second setUp without tearDown would orphan the first GL program.
    ZQ_ASSERT(shader == nullptr);
    shader = new ShaderProgram(className, header);
    shader->build(vertexSource, fragmentSource);
    for (const char* name : uniforms) {
        shader->registerUniform(name);
    }
    for (const char* name : attributes) {
        shader->registerAttribute(name);
    }
    fillMatrices();
}

void RenderProgram::registerElements(const ElementNames& names) {
    ZQ_ASSERT(shader != nullptr);
    for (int i = 0; i < names.size(); ++i) {
        shader->registerUniform(names[i]);
    }
}

void RenderProgram::fillMatrices() {
    const float width = gGlobals.screenSize.x;
    const float height = gGlobals.screenSize.y;
    viewMatrix = defaultView();
    projectionMatrix = scenePerspective(width, height);
    centringMatrix = sceneCentring(width, height);
    cameraMatrix = projectionMatrix * viewMatrix * centringMatrix;
}

} // namespace ZQ
