#pragma once

#include "engine/PVRTVector.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

class Cord;

// One vertex of the award tangle's tube (52 bytes).
struct TangleVertex {
    float position[3];
    float normal[3];
    float colour[3];
    float u;
    float v;
    float colourSlot; // 1, 2, 3 by ring
    float unused;     // 0
};
static_assert(sizeof(TangleVertex) == 52);

// The award knot's geometry: the whole knot as one closed tube of `rings`
// rings of `sides` vertices, sampled evenly along the cord's arc length, with
// a twist-free frame whose leftover twist is spread over the loop so the
// tube closes on itself. Built once into two GL_STATIC_DRAW buffers.
//
// Units are the cord's (pixels on the award screen).
class TangleMesh {
public:
    static constexpr int32_t kRings = 301;

    // Takes ownership of the cord, which must be built. No GL call.
    TangleMesh(int32_t sides, Cord* cord);
    ~TangleMesh();
    TangleMesh(const TangleMesh&) = delete;
    TangleMesh& operator=(const TangleMesh&) = delete;

    // Builds the geometry and uploads it into the two GL buffers, naming
    // them first if they have no names yet. Main thread, with a current
    // context.
    void setUp();
    // Deletes the GL buffers that exist.
    void tearDown();

    // The tube's vertices and triangle indices, without GL.
    void build(std::vector<TangleVertex>& vertices, std::vector<uint32_t>& indices) const;
    // The twist-free frame along the samples: tangents, normals and
    // binormals, one each per sample; the normals turn evenly about the
    // tangents so that the last frame lines up with the first.
    static void buildFrames(const std::vector<PVRTVec3>& samples, std::vector<PVRTVec3>& tangents,
                            std::vector<PVRTVec3>& normals, std::vector<PVRTVec3>& binormals);

    int32_t vertexCount() const { return sides * kRings; }
    // Two triangles per side between every ring and the next, the last ring
    // joined back to the first.
    int32_t indexCount() const { return 6 * (sides - 1) * kRings; }

    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int32_t sides = 0;
    int32_t rings = 0;    // kRings once set up
    Cord* cord = nullptr; // owned
};

} // namespace ZQ
