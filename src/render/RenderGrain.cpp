#include "render/RenderGrain.h"

#include "cords/GrainEmitter.h"
#include "cords/GrainModel.h"
#include "engine/Globals.h"
#include "render/GrainMesh.h"
#include "render/GrainProgram.h"

#include <algorithm>

namespace ZQ {

RenderGrain::RenderGrain() : Render(new GrainProgram()) {}

int32_t RenderGrain::drawnIndexCount(const GrainEmitter& emitter) {
    if (emitter.mesh == nullptr) {
        return 0;
    }
    return std::min(emitter.getCount() * emitter.mesh->indicesPerGrain, emitter.mesh->iCount);
}

void RenderGrain::render() {
    emitters.clear();
    if (gGlobals.grainModel != nullptr) {
        gGlobals.grainModel->getCloudlets(emitters);
    }
    if (emitters.empty()) {
        return;
    }
    auto* grainProgram = static_cast<GrainProgram*>(program);
    bool used = false;
    for (Cloudlet* item : emitters) {
        const auto* emitter = static_cast<const GrainEmitter*>(item);
        const int32_t indexCount = drawnIndexCount(*emitter);
        if (indexCount == 0) {
            continue;
        }
        glBindBuffer(GL_ARRAY_BUFFER, emitter->mesh->vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, emitter->mesh->indexBuffer);
        grainProgram->use();
        used = true;
        grainProgram->setEmitterUniforms(*emitter);
        glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
    }
    if (!used) {
        return;
    }
    grainProgram->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
