// The models' geometry on its own: unit normals that agree with outward
// windings. How the mesh pass shows them is MeshPassTest's.
#include "Models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace VelmoraBundle;

// Every normal has unit length and agrees with the winding of each triangle
// it belongs to; the windings enclose a positive volume (outwards), as the
// divergence theorem sums it over the triangles.
TEST(Models, NormalsAgreeWithOutwardWindings) {
    for (int id = 0; id < kModelCount; ++id) {
        const ModelMesh mesh = makeModel(id);
        const auto at = [&](uint16_t i) { return &mesh.vertices[std::size_t(i) * 6]; };
        for (std::size_t i = 0; i < mesh.vertices.size(); i += 6) {
            EXPECT_NEAR(std::hypot(mesh.vertices[i + 3], mesh.vertices[i + 4], mesh.vertices[i + 5]), 1.0f,
                        1e-5f)
                << modelName(id);
        }
        double volume = 0.0;
        int disagreeing = 0;
        for (std::size_t t = 0; t < mesh.indices.size(); t += 3) {
            const float* a = at(mesh.indices[t]);
            const float* b = at(mesh.indices[t + 1]);
            const float* c = at(mesh.indices[t + 2]);
            const float e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const float f[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            const float n[3] = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2],
                                e[0] * f[1] - e[1] * f[0]};
            volume += (a[0] * n[0] + a[1] * n[1] + a[2] * n[2]) / 6.0;
            for (const float* v : {a, b, c}) {
                disagreeing += (v[3] * n[0] + v[4] * n[1] + v[5] * n[2] <= 0.0f) ? 1 : 0;
            }
        }
        EXPECT_GT(volume, 0.0) << modelName(id);
        EXPECT_EQ(disagreeing, 0) << modelName(id);
    }
}

} // namespace
