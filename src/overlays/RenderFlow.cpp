#include "overlays/RenderFlow.h"

#include "engine/Assert.h"
#include "engine/CloudletContainer.h"
#include "engine/MathHelpers.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionProgram.h"
#include "overlays/FlowInstance.h"
#include "render/Texture.h"

#include <vector>

namespace ZQ {

RenderFlow::RenderFlow(CloudletContainer* flows) : Render(new CaptionProgram()), flows(flows) {}

CaptionProgram* RenderFlow::captionProgram() const {
    return static_cast<CaptionProgram*>(program);
}

void RenderFlow::setUp() {
    Render::setUp();
    glGenBuffers(1, &vertexBuffer);
}

void RenderFlow::tearDown() {
    Render::tearDown();
    glDeleteBuffers(1, &vertexBuffer);
    vertexBuffer = 0;
}

void RenderFlow::letterMatrix(float out[16], const float position[3], float w, float h,
                              const float angles[3]) {
    const PVRTMat4 m = PVRTMat4::translation(position[0], position[1], position[2]) *
                       PVRTMat4::scale(w, h, w) * rotationY(angles[1]) * rotationX(angles[0]) *
                       rotationZ(angles[2]);
    for (int i = 0; i < 16; ++i) {
        out[i] = m.f[i];
    }
}

void RenderFlow::render() {
    std::vector<Cloudlet*> letters;
    flows->getCloudlets(letters);
    if (letters.empty()) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    program->use();
    for (Cloudlet* item : letters) {
        const auto* letter = static_cast<const FlowInstance*>(item);
        // Letters are cut from text captions only, which carry their metrics.
        const auto* texture = dynamic_cast<const TextureMetrics*>(letter->entry->texture);
        ZQ_ASSERT(texture != nullptr);
        const std::vector<double>& metrics = texture->metrics;
        const auto i = static_cast<std::size_t>(letter->letter);
        ZQ_ASSERT(letter->letter >= 0);
        // A new, shorter text swapped into the caption leaves the word's last
        // letters without a slice: they are not drawn until it grows again.
        if (i + 1 >= metrics.size()) {
            continue;
        }
        const double textureWidth = texture->width;
        // The letter's slice, one pixel in from either boundary.
        const auto u0 = static_cast<float>((metrics[i] + 1.0) / textureWidth);
        const auto u1 = static_cast<float>((metrics[i + 1] - 1.0) / textureWidth);
        const float f = u1 - u0;
        // clang-format off
        const float quad[24] = {
            -f / 2, -0.5f, 0.0f, 1.0f,   u0, 0.0f,
            -f / 2,  0.5f, 0.0f, 1.0f,   u0, 1.0f,
             f / 2, -0.5f, 0.0f, 1.0f,   u1, 0.0f,
             f / 2,  0.5f, 0.0f, 1.0f,   u1, 1.0f,
        };
        // clang-format on
        glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STREAM_DRAW);
        const float w = item->layout.scale * item->baseLayout.scale;
        const float h = w * static_cast<float>(texture->height) / static_cast<float>(texture->width);
        const float position[3] = {item->layout.position.x, item->layout.position.y, item->layout.position.z};
        const float angles[3] = {item->layout.angles.x, item->layout.angles.y, item->layout.angles.z};
        float m[16];
        letterMatrix(m, position, w, h, angles);
        program->setModelMatrix(m);
        captionProgram()->bindCaption(texture, item->layout.alpha);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    program->unuse();
}

} // namespace ZQ
