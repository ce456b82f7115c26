#include "stage/MeshBuffer.h"

#include "cords/CordMeshWorker.h"
#include "engine/Assert.h"

#include <cstdlib>

namespace ZQ {

MeshBuffer::MeshBuffer(GLenum usage) : usage(usage) {}

MeshBuffer::~MeshBuffer() {
    release();
}

void MeshBuffer::allocate(size_t vertexCount, size_t indexCount, size_t rangeCount) {
    release();
    vertexBytes = vertexCount * sizeof(CordVertex);
    indexBytes = indexCount * sizeof(uint32_t);
    // malloc(0) may return null; an empty cord still gets valid (if unused) arrays.
    vertices = static_cast<CordVertex*>(std::malloc(vertexBytes > 0 ? vertexBytes : 1));
    indices = static_cast<uint32_t*>(std::malloc(indexBytes > 0 ? indexBytes : 1));
    ZQ_ASSERT(vertices != nullptr && indices != nullptr);
    ranges.assign(rangeCount, Range{});
}

void MeshBuffer::release() {
    std::free(vertices);
    std::free(indices);
    vertices = nullptr;
    indices = nullptr;
    vertexBytes = 0;
    indexBytes = 0;
}

size_t MeshBuffer::vertexCount() const {
    return vertexBytes / sizeof(CordVertex);
}

void MeshBuffer::deleteNames() {
    if (vbo != 0) {
        glDeleteBuffers(1, &vbo);
        vbo = 0;
    }
    if (ibo != 0) {
        glDeleteBuffers(1, &ibo);
        ibo = 0;
    }
}

void MeshBuffer::upload() {
    if (vbo == 0) {
        glGenBuffers(1, &vbo);
    }
    if (ibo == 0) {
        glGenBuffers(1, &ibo);
    }
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), vertices, usage);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes), indices, usage);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
