#include "render/RenderProgram.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/ShaderProgram.h"

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
