// The models' winding, decided by drawing them: under the mesh pass's
// culling (back faces culled, counter-clockwise fronts) what remains on
// screen must be the surface facing the eye, seen from every side.
#include "Models.h"
#include "ModelView.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using namespace VelmoraBundle;

constexpr int kEdge = 96;

class ModelsTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kEdge, kEdge, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kEdge, kEdge);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, kEdge, kEdge);
    }
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &depth);
        glDeleteTextures(1, &colour);
        HeadlessGLTest::TearDown();
    }

    // Pixels drawn facing the eye and facing away, over six views.
    std::pair<int, int> facing(const ModelMesh& mesh) {
        ModelView view;
        int towards = 0;
        int away = 0;
        const float views[][2] = {{0.3f, 0.4f},  {2.0f, -0.5f},   {3.5f, 1.2f},
                                  {5.0f, -1.3f}, {0.0f, 1.5707f}, {1.0f, -1.5707f}};
        for (const auto& v : views) {
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            view.draw(mesh, v[0], v[1], ModelView::Shading::Facing);
            const std::vector<uint8_t> pixels = HeadlessGL::readPixels(0, 0, kEdge, kEdge);
            for (std::size_t i = 0; i < pixels.size(); i += 4) {
                towards += pixels[i + 1] > 128 ? 1 : 0;
                away += pixels[i] > 128 ? 1 : 0;
            }
        }
        return {towards, away};
    }

    GLuint colour = 0;
    GLuint depth = 0;
    GLuint framebuffer = 0;
};

TEST_F(ModelsTest, CullingLeavesTheSurfaceFacingTheEye) {
    for (int id = 0; id < kModelCount; ++id) {
        const ModelMesh mesh = makeModel(id);
        ASSERT_GT(mesh.indices.size(), 0u) << modelName(id);
        ASSERT_LE(mesh.vertexCount(), 65536u) << modelName(id);
        EXPECT_EQ(mesh.indices.size() % 3, 0u) << modelName(id);
        EXPECT_TRUE(std::all_of(mesh.indices.begin(), mesh.indices.end(), [&](uint16_t i) {
            return i < mesh.vertexCount();
        })) << modelName(id);

        const auto [towards, away] = facing(mesh);
        EXPECT_GT(towards, 6 * kEdge * kEdge / 20) << modelName(id);
        // Smooth normals may turn a hair away at the silhouette.
        EXPECT_LT(away * 100, towards) << modelName(id) << ": faces the wrong way";

        // The check sees a wrong winding: reversed, the far side shows.
        ModelMesh reversed = mesh;
        for (std::size_t i = 0; i < reversed.indices.size(); i += 3) {
            std::swap(reversed.indices[i + 1], reversed.indices[i + 2]);
        }
        const auto [towardsReversed, awayReversed] = facing(reversed);
        EXPECT_GT(awayReversed, towardsReversed) << modelName(id);
    }
    EXPECT_NO_GL_ERROR();
}

// Every normal has unit length and agrees with the winding of each triangle
// it belongs to; the windings enclose a positive volume (outwards), as the
// divergence theorem sums it over the triangles.
TEST(Models, NormalsAgreeWithOutwardWindings) {
    for (int id = 0; id < kModelCount; ++id) {
        const ModelMesh mesh = makeModel(id);
        const auto at = [&](uint16_t i) { return &mesh.vertices[std::size_t(i) * 6]; };
        for (std::size_t i = 0; i < mesh.vertices.size(); i += 6) {
            EXPECT_NEAR(std::hypot(mesh.vertices[i + 3], mesh.vertices[i + 4], mesh.vertices[i + 5]), 1.0f,
                        1e-5f)
                << modelName(id);
        }
        double volume = 0.0;
        int disagreeing = 0;
        for (std::size_t t = 0; t < mesh.indices.size(); t += 3) {
            const float* a = at(mesh.indices[t]);
            const float* b = at(mesh.indices[t + 1]);
            const float* c = at(mesh.indices[t + 2]);
            const float e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const float f[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            const float n[3] = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2],
                                e[0] * f[1] - e[1] * f[0]};
            volume += (a[0] * n[0] + a[1] * n[1] + a[2] * n[2]) / 6.0;
            for (const float* v : {a, b, c}) {
                disagreeing += (v[3] * n[0] + v[4] * n[1] + v[5] * n[2] <= 0.0f) ? 1 : 0;
            }
        }
        EXPECT_GT(volume, 0.0) << modelName(id);
        EXPECT_EQ(disagreeing, 0) << modelName(id);
    }
}

} // namespace
