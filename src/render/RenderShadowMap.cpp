#include "render/RenderShadowMap.h"

#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/Globals.h"
#include "render/OutsideWinding.h"
#include "render/ShadowProgram.h"
#include "stage/LightModel.h"
#include "stage/ShadowModel.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstddef>

namespace ZQ {

RenderShadowMap::RenderShadowMap() : Render(new ShadowProgram()) {}

void RenderShadowMap::render() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    casters.reset(std::max(viewport[2], 1), std::max(viewport[3], 1), gGlobals.frameCount);
    const CordModel* cord = gGlobals.cordModel;
    const ShadowModel* meshes = gGlobals.shadowModel;
    if (cord == nullptr || meshes == nullptr || program == nullptr || cord->segments.empty()) {
        return;
    }
    if (cord->instance != nullptr && cord->instance->layout.alpha < kMinimumAlpha) {
        return;
    }
    const MeshBuffer& buffer = meshes->getBuffer();
    if (buffer.vbo == 0 || buffer.ibo == 0) {
        return; // never uploaded: nothing to cast yet
    }

    glBindBuffer(GL_ARRAY_BUFFER, buffer.vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.ibo);
    program->use();
    const PVRTMat4 identity = PVRTMat4::identity();
    program->setModelMatrix(identity.f);
    casters.project(static_cast<const ShadowProgram*>(program)->casterMatrix(identity), buffer.vertices,
                    buffer.vertexCount());
    // The frame culls front faces here so the map holds the tubes' far sides
    // as the light sees them; through the light's mirroring look-at the
    // outside's windings are turned round, and without this the map would
    // hold the lit sides and the cords would shadow themselves.
    if (gGlobals.lightModel != nullptr) {
        glFrontFace(outsideWinding(gGlobals.lightModel->viewMatrix()));
    }
    for (const MeshBuffer::Range& range : buffer.ranges) {
        if (range.indexCount > 0) {
            casters.addTriangles(buffer.indices + range.firstIndex,
                                 static_cast<std::size_t>(range.indexCount));
            glDrawElements(GL_TRIANGLES, range.indexCount, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(range.firstIndex) * 4));
        }
    }
    glFrontFace(GL_CCW);
    program->unuse();
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
