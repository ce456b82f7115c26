#include "render/RenderBraid.h"

#include "cords/BraidMeshWorker.h"
#include "cords/BraidModel.h"
#include "engine/Globals.h"
#include "render/BraidProgram.h"
#include "render/OutsideWinding.h"

#include <algorithm>

namespace ZQ {

RenderBraid::RenderBraid() : Render(new BraidProgram()) {}

void RenderBraid::render() {
    BraidModel* model = gGlobals.braidModel;
    braids.clear();
    if (model != nullptr) {
        model->getCloudlets(braids);
    }
    if (braids.empty()) {
        return;
    }
    auto* braidProgram = static_cast<BraidProgram*>(program);
    const BraidMeshBuffer& mesh = model->getMesh();
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
    braidProgram->use();

    braidProgram->modelMatrix = PVRTMat4::identity();
    braidProgram->followSceneCamera();
    braidProgram->setFrameUniforms(braids.front()->layout.alpha);

    const auto slots = std::min(braids.size(), static_cast<std::size_t>(BraidProgram::kMaterials));
    for (std::size_t i = 0; i < slots; ++i) {
        braidProgram->setMaterial(static_cast<int32_t>(i),
                                  static_cast<const BraidInstance*>(braids[i])->material);
    }
    // Drawn with the frame's counter-clockwise front faces through the
    // mirroring scene camera, the outside would be culled and the braids
    // show their far inner walls.
    glFrontFace(outsideWinding(braidProgram->viewMatrix));
    glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
    glFrontFace(GL_CCW);
    braidProgram->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
