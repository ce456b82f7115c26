#include "cords/MeshBuffer.h"

#include "cords/CordMeshWorker.h"
#include "engine/GLMeshBuffers.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using ZQ::MeshBuffer;

bool allZero(const void* p, size_t bytes) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < bytes; ++i) {
        if (b[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST(MeshBuffer, EveryAllocationReplacesTheArraysWithZeroedOnes) {
    MeshBuffer mesh(GL_DYNAMIC_DRAW);
    mesh.allocate(3, 5, 2);
    EXPECT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(mesh.indexCount(), 5u);
    EXPECT_EQ(mesh.vertexBytes, 3u * sizeof(ZQ::CordVertex));
    EXPECT_TRUE(allZero(mesh.vertices, mesh.vertexBytes));
    EXPECT_TRUE(allZero(mesh.indices, mesh.indexBytes));
    ASSERT_EQ(mesh.ranges.size(), 2u);
    std::memset(mesh.vertices, 0xAB, mesh.vertexBytes);
    mesh.ranges[1] = {4, 1};

    // An empty cord still gets arrays a job or an upload may point at.
    mesh.allocate(1, 0, 1);
    EXPECT_EQ(mesh.vertexCount(), 1u);
    EXPECT_EQ(mesh.indexCount(), 0u);
    ASSERT_NE(mesh.indices, nullptr);
    EXPECT_TRUE(allZero(mesh.vertices, mesh.vertexBytes));
    ASSERT_EQ(mesh.ranges.size(), 1u);
    EXPECT_EQ(mesh.ranges[0].indexCount, 0);

    mesh.release();
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.indices, nullptr);
    EXPECT_EQ(mesh.vertexCount(), 0u);
    EXPECT_EQ(mesh.ranges.size(), 1u) << "the ranges outlive the arrays";
}

using MeshBufferGLTest = HeadlessGLTest;

GLint boundSize(GLenum target, GLuint buffer) {
    glBindBuffer(target, buffer);
    GLint bytes = -1;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(target, 0);
    return bytes;
}

TEST_F(MeshBufferGLTest, UploadNamesTheBuffersOnceAndLeavesThemUnbound) {
    MeshBuffer mesh(GL_DYNAMIC_DRAW);
    mesh.allocate(28, 84, 1);
    mesh.upload();
    const GLuint vbo = mesh.vbo;
    const GLuint ibo = mesh.ibo;
    ASSERT_NE(vbo, 0u);
    ASSERT_NE(ibo, 0u);
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(boundSize(GL_ARRAY_BUFFER, vbo), static_cast<GLint>(28 * sizeof(ZQ::CordVertex)));
    EXPECT_EQ(boundSize(GL_ELEMENT_ARRAY_BUFFER, ibo), 84 * 4);

    mesh.allocate(14, 0, 1);
    mesh.upload();
    EXPECT_EQ(mesh.vbo, vbo);
    EXPECT_EQ(mesh.ibo, ibo);
    EXPECT_EQ(boundSize(GL_ARRAY_BUFFER, vbo), static_cast<GLint>(14 * sizeof(ZQ::CordVertex)));

    ASSERT_TRUE(glIsBuffer(vbo));
    mesh.deleteNames();
    EXPECT_EQ(mesh.vbo, 0u);
    EXPECT_EQ(mesh.ibo, 0u);
    EXPECT_FALSE(glIsBuffer(vbo));
    EXPECT_FALSE(glIsBuffer(ibo));
    mesh.deleteNames(); // nothing left to delete
    EXPECT_NO_GL_ERROR();
}

TEST_F(MeshBufferGLTest, NamingAPairNamesOnlyTheBufferThatHasNone) {
    GLuint kept = 0;
    glGenBuffers(1, &kept);
    glBindBuffer(GL_ARRAY_BUFFER, kept); // a name becomes a buffer when first bound
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    GLuint vertexBuffer = kept;
    GLuint indexBuffer = 0;
    ZQ::generateMeshBuffers(vertexBuffer, indexBuffer);
    EXPECT_EQ(vertexBuffer, kept);
    EXPECT_NE(indexBuffer, 0u);
    EXPECT_NE(indexBuffer, kept);
    ASSERT_TRUE(glIsBuffer(kept));
    ZQ::deleteMeshBuffers(vertexBuffer, indexBuffer);
    EXPECT_FALSE(glIsBuffer(kept));
    EXPECT_EQ(vertexBuffer, 0u);
    EXPECT_EQ(indexBuffer, 0u);
    EXPECT_NO_GL_ERROR();
}

} // namespace
