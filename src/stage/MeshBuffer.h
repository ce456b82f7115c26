#pragma once

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ {

struct CordVertex;

// The vertex and index store of tube meshes: one for the cords (the cord-mesh
// model) and one per hologram. Tube jobs write disjoint runs of the two
// arrays, so several jobs may fill one buffer from different threads; GL calls
// happen on the main thread only.
struct MeshBuffer {
    struct Range {
        int32_t firstIndex = 0;
        int32_t indexCount = 0;
    };

    GLuint vbo = 0;
    GLuint ibo = 0;
    uint32_t* indices = nullptr;    // malloc'd
    CordVertex* vertices = nullptr; // malloc'd
    std::vector<Range> ranges;      // one per string, indexed by the string's index
    size_t vertexBytes = 0;
    size_t indexBytes = 0;
    GLenum usage = GL_DYNAMIC_DRAW;

    explicit MeshBuffer(GLenum usage);
    ~MeshBuffer();
    MeshBuffer(const MeshBuffer&) = delete;
    MeshBuffer& operator=(const MeshBuffer&) = delete;

    // Sizes both arrays for a whole cord (contents undefined until the jobs
    // run) and gives every string a zero range. Frees earlier arrays first.
    void allocate(size_t vertexCount, size_t indexCount, size_t rangeCount);
    // Frees both arrays and zeroes the byte sizes; the ranges and GL names stay.
    void release();

    size_t vertexCount() const;
    size_t indexCount() const { return indexBytes / sizeof(uint32_t); }

    // GL side, main thread with a current context.
    // Re-specifies both GL buffers with the whole of both arrays, generating
    // the buffer names on first use.
    void upload();
    void deleteNames();
};

} // namespace ZQ
