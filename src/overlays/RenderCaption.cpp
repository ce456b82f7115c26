#include "overlays/RenderCaption.h"

#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionProgram.h"
#include "render/Texture.h"

#include <vector>

namespace ZQ {

namespace {

// The unit quad centred on the origin as a triangle strip: x, y, z, w, u, v.
// clang-format off
constexpr float kQuad[] = {
    -0.5f, -0.5f, 0.0f, 1.0f,   0.0f, 0.0f, // 0
    -0.5f,  0.5f, 0.0f, 1.0f,   0.0f, 1.0f, // 1
     0.5f, -0.5f, 0.0f, 1.0f,   1.0f, 0.0f, // 2
     0.5f,  0.5f, 0.0f, 1.0f,   1.0f, 1.0f, // 3
};
// clang-format on
static_assert(sizeof kQuad == 96, "four vertices of 24 bytes");

} // namespace

RenderCaption::RenderCaption(CloudletContainer* captions) : Render(nullptr), captions(captions) {}

CaptionProgram* RenderCaption::captionProgram() const {
    return static_cast<CaptionProgram*>(program);
}

void RenderCaption::setUp() {
    program = new CaptionProgram();
    program->setUp();
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void RenderCaption::tearDown() {
    Render::tearDown();
    glDeleteBuffers(1, &vertexBuffer);
    vertexBuffer = 0;
}

void RenderCaption::captionMatrix(float out[16], float x, float y, float z, float w, float h) {
    const PVRTMat4 m = PVRTMat4::translation(x, y, z) * PVRTMat4::scale(w, h, w);
    for (int i = 0; i < 16; ++i) {
        out[i] = m.f[i];
    }
}

void RenderCaption::render() {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    program->use();
    std::vector<Cloudlet*> items;
    captions->getCloudlets(items);
    for (Cloudlet* item : items) {
        if (item->drawn == 0) {
            continue;
        }
        const auto* caption = static_cast<const CaptionInstance*>(item);
        const Texture* texture = caption->entry->texture;
        if (texture->width <= 0) {
            continue; // a picture whose file was missing
        }
        const float w = item->layout.scale * item->baseLayout.scale;
        const float h = w * static_cast<float>(texture->height) / static_cast<float>(texture->width);
        float m[16];
        const PVRTVec3& p = item->layout.position;
        captionMatrix(m, p.x, p.y, p.z, w, h);
        program->setModelMatrix(m);
        captionProgram()->bindCaption(texture, item->layout.alpha);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    program->unuse();
}

} // namespace ZQ
