#include "render/RenderBraid.h"

#include "cords/BraidMeshWorker.h"
#include "cords/BraidModel.h"
#include "engine/Globals.h"
#include "render/BraidProgram.h"

#include <algorithm>

namespace ZQ {

namespace {

// True when the matrix's upper 3x3 turns right-handed axes into left-handed
// ones, which turns every triangle's winding round on the screen.
bool mirrors(const PVRTMat4& m) {
    const float det = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
                      m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                      m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    return det < 0.0f;
}

} // namespace

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
    // The braid mesh is counter-clockwise seen from outside, but the scene
    // camera's view mirrors x: drawn with the frame's counter-clockwise
    // front faces, the outside would be culled and the braids show their
    // far inner walls.
    const bool mirrored = mirrors(braidProgram->viewMatrix);
    if (mirrored) {
        glFrontFace(GL_CW);
    }
    glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
    if (mirrored) {
        glFrontFace(GL_CCW);
    }
    braidProgram->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
