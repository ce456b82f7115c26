#include "render/RenderCone.h"

#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "render/ConeProgram.h"
#include "stage/ConeModel.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

RenderCone::RenderCone() : Render(new ConeProgram()) {}

float RenderCone::tangleFactor(const CordModel& cord, int32_t index) {
    const float threshold = cord.stringCount() == 1 ? CordModel::kSingleSolved : CordModel::kMultiSolved;
    const auto k = static_cast<std::size_t>(index);
    if (index < 0 || k >= cord.energy.size() || k >= cord.startEnergy.size()) {
        return 0.0f;
    }
    const float e0 = cord.startEnergy[k];
    if (!(e0 > threshold)) {
        return 0.0f;
    }
    return std::clamp((cord.energy[k] - threshold) / (e0 - threshold), 0.0f, 1.0f);
}

void RenderCone::modelMatrix(float out[16], const Cloudlet& cone, float radius) {
    const PVRTVec3& p = cone.layout.position;
    const float a = cone.layout.angles.y;
    const float b = cone.layout.angles.z;
    const float ca = std::cos(a);
    const float sa = std::sin(a);
    const float cb = std::cos(b);
    const float sb = std::sin(b);
    // Ry(a) maps (x, y, z) to (x ca - z sa, y, x sa + z ca) and Rz(b) maps it
    // to (x cb + y sb, -x sb + y cb, z); the product's columns, each scaled.
    PVRTMat4 rotation = PVRTMat4::identity();
    rotation(0, 0) = ca * cb;
    rotation(1, 0) = -sb;
    rotation(2, 0) = sa * cb;
    rotation(0, 1) = ca * sb;
    rotation(1, 1) = cb;
    rotation(2, 1) = sa * sb;
    rotation(0, 2) = -sa;
    rotation(1, 2) = 0.0f;
    rotation(2, 2) = ca;
    const PVRTMat4 m = PVRTMat4::translation(p.x, p.y, p.z) * rotation *
                       PVRTMat4::scale(2.0f * radius, 4.0f * radius, 2.0f * radius);
    std::copy(std::begin(m.f), std::end(m.f), out);
}

void RenderCone::render() {
    ConeModel* model = gGlobals.coneModel;
    const CordModel* cord = gGlobals.cordModel;
    cones.clear();
    if (model != nullptr) {
        model->getCloudlets(cones);
    }
    if (cones.empty() || cord == nullptr || model->getMesh() == nullptr) {
        return;
    }
    auto* cone = static_cast<ConeProgram*>(program);
    const ConeMesh& mesh = *model->getMesh();
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo);
    cone->use();
    const float radius = cord->instance->radius;
    const float cordAlpha = cord->instance->layout.alpha;
    const std::vector<Material>& materials = cord->settings.materials;
    for (Cloudlet* item : cones) {
        const auto* instance = static_cast<const ConeInstance*>(item);
        // A cord laid without a level has no colours: its cones stay dark.
        const auto k = static_cast<std::size_t>(instance->cordIndex);
        if (k >= materials.size()) {
            continue;
        }
        float m[16];
        modelMatrix(m, *instance, radius);
        cone->setModelMatrix(m);
        cone->setMaterial(tangleFactor(*cord, instance->cordIndex) * cordAlpha, materials[k]);
        glDrawElements(GL_TRIANGLES, 6 * mesh.segments, GL_UNSIGNED_INT, nullptr);
    }
    cone->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
