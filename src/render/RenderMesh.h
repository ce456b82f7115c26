#pragma once

#include "constants/Material.h"
#include "engine/PVRTMatrix.h"
#include "render/Render.h"

#include <cstdint>

namespace ZQ {

class CloudletContainer;
class MeshInstance;

// The five colour materials of the mesh instances: ambient, specular, and
// the warm and cool ends of the shading.
inline constexpr int32_t kMeshMaterialCount = 5;
// Material `index`; an index outside the table is a programming error.
const Material& meshMaterial(int32_t index);

// Draws the mesh instances of a cloudlet container (the cursor model's discs)
// with the two-tone MeshProgram, one indexed draw per instance from the POD
// box's static buffers, in the container's order.
//
// An instance whose model is missing or failed to load, whose mesh the box
// refused or whose material is outside the table is skipped with one log
// line for that instance. Owns its MeshProgram. Main thread only.
class RenderMesh : public Render {
public:
    // `instances` may be null until whoever owns them hands them over.
    explicit RenderMesh(CloudletContainer* instances = nullptr);
    void render() override;

    CloudletContainer* instances;

    // The sun in eye space: the upper-left 3 x 3 of `view` applied to the
    // point above the screen's centre at twice the screen height.
    static PVRTVec3 sunPosition(const PVRTMat4& view, float width, float height);

private:
    void draw(MeshInstance& instance, const PVRTMat4& view);
};

} // namespace ZQ
