#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The seven models of the POD store, by model id: "torus", "sphere",
// "disc", "discmedium", "discsmall", "cube", "slate". Each is one mesh of
// positions and outward unit normals with counter-clockwise triangles seen
// from outside, the front the mesh pass keeps when it culls back faces.
//
// Sizes, in model units the passes scale: the torus is the cursor ring
// (diameter 1.2 with the tube: 0.08 w on a cord, a screen wide when it
// spins); the three discs are the pads under the level map's holograms,
// laid flat in the x-z plane, the smallest tried first (diameters 1, 0.75
// and 0.5: w/6, w/8 and w/12 at the map's scale); the slate is the story's
// tablet, facing +z, 1.6 x 1.0.
namespace VelmoraBundle {

constexpr int kModelCount = 7;

struct ModelMesh {
    std::vector<float> vertices; // x, y, z, nx, ny, nz per vertex
    std::vector<uint16_t> indices;

    std::size_t vertexCount() const { return vertices.size() / 6; }
};

const char* modelName(int id);
ModelMesh makeModel(int id);

} // namespace VelmoraBundle
