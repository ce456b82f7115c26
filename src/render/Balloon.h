#pragma once

#include "engine/InitProtocol.h"
#include "engine/PVRTVector.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

// The teardrop every tutorial balloon is drawn with: a surface of revolution
// about z, a sharp tip at (0, 0, 1), a round bottom at (0, 0, -1), as 625
// unshared quads (2500 vertices, 3750 indices), counter-clockwise seen from
// outside. Built once, GL_STATIC_DRAW.
//
// Ownership: held by value by the balloon pass, which sets it up; it owns
// its two GL buffers. Threads: main thread with a current context.
class Balloon : public InitProtocol {
public:
    static constexpr int32_t kBands = 25;   // from the tip (u = 0) to the bottom (u = pi)
    static constexpr int32_t kSectors = 25; // around the axis
    static constexpr int32_t kVertexCount = 4 * kBands * kSectors;
    static constexpr int32_t kIndexCount = 6 * kBands * kSectors;

    // 44 bytes; the balloon program reads position and normal only.
    struct Vertex {
        PVRTVec3 position;
        PVRTVec3 normal;
        PVRTVec3 colour; // always white
        float texCoord[2];
    };

    // The mesh on the CPU: what setUp uploads.
    static std::vector<Vertex> buildVertices();
    static std::vector<uint16_t> buildIndices();

    void setUp() override;
    void tearDown() override;

    GLuint vbo = 0;
    GLuint ibo = 0;
    uint16_t indexCount = 0;
};
static_assert(sizeof(Balloon::Vertex) == 44);

} // namespace ZQ
