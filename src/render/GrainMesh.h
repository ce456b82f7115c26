#pragma once

#include <GLES2/gl2.h>

#include <cstdint>

namespace ZQ {

class GrainEmitter;

// The static mesh of one grain burst: a copy of the grain shape per grain the
// emitter may throw, each tagged with its grain number, so that one draw
// renders the whole burst. The grain program places and turns each copy from
// uniform arrays indexed by that number. Each grain's indices are contiguous
// (grain g owns indices g x indicesPerGrain onward), so a draw of the first
// count grains is a prefix of the index buffer.
//
// Ownership: owned by its emitter, which frees it through release.
// Threads: main thread with a current context.
class GrainMesh {
public:
    static constexpr int32_t MAX_ELEMENTS = 131072;
    // Every shape has this many vertices.
    static constexpr int32_t kShapeVertices = 36;

    // 28 bytes, as the grain program reads it.
    struct Vertex {
        float index; // grain number, 0 .. 127
        float position[3];
        float normal[3];
    };

    // Sets the emitter's layout scale (half a world unit, in pixels), builds
    // the mesh for its shape and maximum grain count, uploads it and hands it
    // to the emitter with release as its way back. The shape must be 0 or 1
    // and the maximum count at least 1.
    static void build(GrainEmitter& emitter);
    // Deletes the emitter's mesh (GL names and arrays) and clears it.
    static void release(GrainEmitter& emitter);

    // The shape's indices per grain: 60 for kind 0 (hexagonal prism), 54 for
    // kind 1 (triangular ring), 0 for any other kind.
    static int32_t shapeIndexCount(int32_t shape);

    GrainMesh();
    ~GrainMesh();
    GrainMesh(const GrainMesh&) = delete;
    GrainMesh& operator=(const GrainMesh&) = delete;

    void addVertices(const Vertex* run, int32_t count);
    void addIndices(const uint16_t* run, int32_t count);
    void loadBuffers();

    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int32_t vCount = 0;
    int32_t iCount = 0;
    int32_t indicesPerGrain = 0;
    Vertex* vertices;  // MAX_ELEMENTS, zero-filled
    uint16_t* indices; // MAX_ELEMENTS
};
static_assert(sizeof(GrainMesh::Vertex) == 28);

} // namespace ZQ
