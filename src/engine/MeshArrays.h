#pragma once

#include "engine/Assert.h"
#include "engine/GLMeshBuffers.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace ZQ {

// The CPU side of a mesh of tubes: the vertex and index arrays the GL upload
// reads as they stand, and one index range per tube. Tube jobs write disjoint
// runs of the arrays, so several jobs may fill them from different threads;
// sizing, freeing and uploading happen on the main thread only. The cord
// tubes and the braids differ only in the vertex they store.
template <typename Vertex> struct MeshArrays {
    struct Range {
        int32_t firstIndex = 0;
        int32_t indexCount = 0;
    };

    uint32_t* indices = nullptr; // calloc'd
    Vertex* vertices = nullptr;  // calloc'd
    std::vector<Range> ranges;   // one per tube, indexed by its segment's index
    size_t vertexBytes = 0;
    size_t indexBytes = 0;
    GLenum usage;

    MeshArrays(const MeshArrays&) = delete;
    MeshArrays& operator=(const MeshArrays&) = delete;

protected:
    explicit MeshArrays(GLenum usage) : usage(usage) {}
    ~MeshArrays() { releaseArrays(); }

    // Frees any earlier arrays (a new batch must never leak one still in
    // flight), then sizes both zero-filled, so fields no job writes read as
    // zero, and gives every tube a zero range.
    void allocateArrays(size_t vertexCount, size_t indexCount, size_t rangeCount) {
        releaseArrays();
        vertexBytes = vertexCount * sizeof(Vertex);
        indexBytes = indexCount * sizeof(uint32_t);
        // calloc(0) may return null; an empty batch still gets valid (if unused) arrays.
        vertices = static_cast<Vertex*>(std::calloc(vertexCount > 0 ? vertexCount : 1, sizeof(Vertex)));
        indices = static_cast<uint32_t*>(std::calloc(indexCount > 0 ? indexCount : 1, sizeof(uint32_t)));
        ZQ_ASSERT(vertices != nullptr && indices != nullptr);
        ranges.assign(rangeCount, Range{});
    }

    // Frees both arrays and zeroes the byte sizes; the ranges stay.
    void releaseArrays() {
        std::free(vertices);
        std::free(indices);
        vertices = nullptr;
        indices = nullptr;
        vertexBytes = 0;
        indexBytes = 0;
    }

    // Loads the whole of both arrays into the given buffers with `usage`.
    void uploadArrays(GLuint vertexBuffer, GLuint indexBuffer) const {
        uploadMeshBuffers(vertexBuffer, vertices, vertexBytes, indexBuffer, indices, indexBytes, usage);
    }
};

} // namespace ZQ
