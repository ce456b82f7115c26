#include "render/RenderTangle.h"

#include "cords/TangleMesh.h"
#include "cords/TangleModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Layout.h"
#include "engine/MathHelpers.h"
#include "render/TangleProgram.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <vector>

namespace ZQ {

namespace {

// A metal: the level material layout with the refractive index in the place
// of the reserved float; the two-tone colours stay zero.
constexpr Material metal(PVRTVec3 ambient, PVRTVec3 diffuse, PVRTVec3 specular, float shininess, float n) {
    return {ambient, diffuse, specular, shininess, n, PVRTVec3(), PVRTVec3()};
}

} // namespace

// clang-format off
const std::array<Material, RenderTangle::kMetalCount> RenderTangle::materials = {
    //    ambient                         diffuse                          specular                            shininess  n
    metal({0.05375f, 0.05f,   0.06625f},  {0.18275f, 0.17f,    0.22525f},  {0.332741f, 0.328634f, 0.346435f},  38.4f,     1.489f), // 0 obsidian
    metal({0.25f,    0.25f,   0.25f},     {0.4f,     0.4f,     0.4f},      {0.774597f, 0.774597f, 0.774597f},  76.8f,     2.42f),  // 1 chrome
    metal({0.25f,    0.148f,  0.06475f},  {0.4f,     0.2368f,  0.1036f},   {0.774597f, 0.458561f, 0.200621f},  76.8f,     1.18f),  // 2 polished bronze
    metal({0.23125f, 0.23125f, 0.23125f}, {0.2775f,  0.2775f,  0.2775f},   {0.773911f, 0.773911f, 0.773911f},  89.6f,     0.18f),  // 3 polished silver
    metal({0.24725f, 0.1995f, 0.0745f},   {0.75164f, 0.60648f, 0.22648f},  {0.628281f, 0.555802f, 0.366065f},  51.2f,     0.47f),  // 4 gold
};
// clang-format on
static_assert(RenderTangle::materials.size() == 5);

void RenderTangle::setUp() {
    // A second setUp without tearDown would orphan the first program.
    ZQ_ASSERT(program == nullptr);
    program = new TangleProgram();
    program->setUp();
}

PVRTMat4 RenderTangle::tangleModelMatrix(const Layout& layout, const PVRTVec3& k) {
    const PVRTVec3& p = layout.position;
    const PVRTVec3& a = layout.angles;
    const float s = layout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * rotationZ(a.z) * rotationX(a.x) * rotationY(a.y) *
           PVRTMat4::scale(s * k.x, s * k.y, s * k.z);
}

void RenderTangle::render() {
    TangleModel* model = gGlobals.tangleModel;
    if (model == nullptr || program == nullptr) {
        return;
    }
    std::vector<Cloudlet*> tangles;
    model->getCloudlets(tangles);
    if (tangles.empty()) {
        return;
    }
    auto& p = *static_cast<TangleProgram*>(program);
    p.viewMatrix = RenderProgram::defaultView();
    for (Cloudlet* item : tangles) {
        const auto& tangle = *static_cast<const TangleInstance*>(item);
        glBindBuffer(GL_ARRAY_BUFFER, tangle.mesh->vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, tangle.mesh->indexBuffer);
        p.use();
        p.setModelMatrix(tangleModelMatrix(tangle.layout, tangle.scale).f);
        ZQ_ASSERT(tangle.materialIndex >= 0 && tangle.materialIndex < kMetalCount);
        p.uploadMetal(materials[static_cast<std::size_t>(tangle.materialIndex)]);
        for (const TangleInstance::Range& range : tangle.ranges) {
            const int32_t count = range.last - range.first + 1;
            if (count <= 0) {
                continue; // not yet opened
            }
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(range.first) * 4));
        }
    }
    p.unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace ZQ
