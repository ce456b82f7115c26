#include "cords/MeshBuffer.h"

#include "cords/CordMeshWorker.h"

namespace ZQ {

// The arrays' members are defined here, where CordVertex is complete.
MeshBuffer::MeshBuffer(GLenum usage) : MeshArrays(usage) {}

void MeshBuffer::allocate(size_t vertexCount, size_t indexCount, size_t rangeCount) {
    allocateArrays(vertexCount, indexCount, rangeCount);
}

void MeshBuffer::release() {
    releaseArrays();
}

size_t MeshBuffer::vertexCount() const {
    return vertexBytes / sizeof(CordVertex);
}

void MeshBuffer::upload() {
    generateMeshBuffers(vbo, ibo);
    uploadArrays(vbo, ibo);
}

void MeshBuffer::deleteNames() {
    deleteMeshBuffers(vbo, ibo);
}

} // namespace ZQ
