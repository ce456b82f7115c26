#include "render/MeshInstance.h"

#include "engine/MathHelpers.h"

namespace ZQ {

MeshInstance::MeshInstance(PodModel* model, int32_t materialIndex)
    : mesh(std::make_unique<MeshReference>(MeshReference{model, 0})), materialIndex(materialIndex) {}

void MeshInstance::step() {
    Cloudlet::step();
    boundsDirty = true;
    matrixDirty = true;
}

int32_t MeshInstance::meshIndex() const {
    const PodModel* model = mesh->model;
    if (model == nullptr || model->scene == nullptr || model->meshCount() == 0) {
        return -1;
    }
    const SPODScene& scene = *model->scene;
    const int32_t node = mesh->node;
    // Only the first numMeshNode nodes place meshes; the reader checked
    // that their mesh indices are in range.
    if (node < 0 || static_cast<uint32_t>(node) >= scene.numMeshNode) {
        return -1;
    }
    return scene.nodes[static_cast<uint32_t>(node)].index;
}

const PVRTMat4& MeshInstance::getModelMatrix() {
    if (matrixDirty) {
        const PVRTVec3& p = layout.position;
        const PVRTVec3& a = layout.angles;
        const float s = layout.scale * baseLayout.scale;
        modelMatrix = PVRTMat4::translation(p.x, p.y, p.z) * podRotationMatrix(layout.orientation) *
                      rotationY(a.y) * rotationX(a.x) * rotationZ(a.z) * PVRTMat4::scale(s, s, s);
        if (meshIndex() >= 0) {
            modelMatrix = modelMatrix * mesh->model->scene->nodeMatrix(static_cast<uint32_t>(mesh->node));
        }
        matrixDirty = false;
    }
    return modelMatrix;
}

const PodModel::Corners& MeshInstance::updateBounds() {
    if (boundsDirty) {
        const int32_t index = meshIndex();
        if (index < 0) {
            bounds = PodModel::Corners{};
        } else {
            const PVRTMat4& m = getModelMatrix();
            const PodModel::Corners& box = mesh->model->bounds[static_cast<uint32_t>(index)];
            for (std::size_t k = 0; k < 8; ++k) {
                bounds[k] = m.transformPoint(box[k]);
            }
        }
        boundsDirty = false;
    }
    return bounds;
}

} // namespace ZQ
