#pragma once

#include "engine/MeshArrays.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>

namespace ZQ {

struct CordVertex;

// The vertex and index store of cord tube meshes: one for the cords (the
// cord-mesh model) and one per hologram, with one range per string.
struct MeshBuffer : MeshArrays<CordVertex> {
    GLuint vbo = 0;
    GLuint ibo = 0;

    explicit MeshBuffer(GLenum usage);

    // Sizes both arrays for a whole cord (zero until the jobs run) and gives
    // every string a zero range. Frees earlier arrays first.
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
