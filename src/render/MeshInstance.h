#pragma once

#include "engine/Cloudlet.h"
#include "engine/PVRTMatrix.h"
#include "render/PodBox.h"

#include <array>
#include <cstdint>
#include <memory>

namespace ZQ {

// A scene item showing one node of a POD model: a cursor disc, the story's
// disc. Its world matrix combines the layout's pose with the node's own
// transform at the model's current frame; its bounds are the node's mesh box
// carried into the world. Both are cached and recomputed once after each
// step, so a pose written outside step shows after the next step.
//
// An instance whose model record is missing, failed to load or whose node
// places no mesh is unusable: its matrix leaves the node out, its bounds are
// zero, and the mesh pass skips it.
//
// Ownership: the instance owns its mesh reference, never the model record
// (the POD box's). Main thread only.
class MeshInstance : public Cloudlet {
public:
    // The model record and the node shown.
    struct MeshReference {
        PodModel* model = nullptr;
        int32_t node = 0;
    };

    MeshInstance(PodModel* model, int32_t materialIndex);

    // The base's step, then both caches go stale.
    void step() override;

    const PVRTMat4& getModelMatrix();
    const PodModel::Corners& updateBounds();

    // The mesh the node places, or -1 for an unusable instance.
    int32_t meshIndex() const;

    std::unique_ptr<MeshReference> mesh;
    int32_t materialIndex;
    // Set once the mesh pass has logged skipping this instance.
    bool skipLogged = false;

private:
    PodModel::Corners bounds{};
    bool boundsDirty = true;
    PVRTMat4 modelMatrix = PVRTMat4::identity();
    bool matrixDirty = true;
};

} // namespace ZQ
