#include "engine/GLMeshBuffers.h"

namespace ZQ {

void generateMeshBuffers(GLuint& vertexBuffer, GLuint& indexBuffer) {
    if (vertexBuffer == 0) {
        glGenBuffers(1, &vertexBuffer);
    }
    if (indexBuffer == 0) {
        glGenBuffers(1, &indexBuffer);
    }
}

void uploadMeshBuffers(GLuint vertexBuffer, const void* vertices, size_t vertexBytes, GLuint indexBuffer,
                       const void* indices, size_t indexBytes, GLenum usage) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), vertices, usage);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes), indices, usage);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void deleteMeshBuffers(GLuint& vertexBuffer, GLuint& indexBuffer) {
    if (vertexBuffer != 0) {
        glDeleteBuffers(1, &vertexBuffer);
        vertexBuffer = 0;
    }
    if (indexBuffer != 0) {
        glDeleteBuffers(1, &indexBuffer);
        indexBuffer = 0;
    }
}

} // namespace ZQ
