#include "render/RenderShadowMap.h"

#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/Globals.h"
#include "render/ShadowProgram.h"
#include "stage/ShadowModel.h"

#include <GLES2/gl2.h>

#include <cstddef>

namespace ZQ {

RenderShadowMap::RenderShadowMap() : Render(new ShadowProgram()) {}

void RenderShadowMap::render() {
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
    for (const MeshBuffer::Range& range : buffer.ranges) {
        if (range.indexCount > 0) {
            glDrawElements(GL_TRIANGLES, range.indexCount, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(range.firstIndex) * 4));
        }
    }
    program->unuse();
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
