#include "render/RenderGrain.h"

#include "GLRecorder.h"
#include "cords/GrainEmitter.h"
#include "engine/LeafActions.h"
#include "render/GrainMesh.h"
#include "render/GrainProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using ZQ::GrainEmitter;
using ZQ::GrainMesh;
using ZQ::RenderGrain;

class RenderGrainTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    // A burst at the centre of the screen, its mesh built, in the grain model.
    GrainEmitter* addEmitter(int32_t maxCount, int32_t shape) {
        auto* emitter = new GrainEmitter(maxCount, shape);
        emitter->layout.position = PVRTVec3(kW / 2.0f, kH / 2.0f, 0.0f);
        GrainMesh::build(*emitter);
        emitter->setAction(new ZQ::WaitAction(1000));
        grains->addEmitter(emitter);
        return emitter;
    }

    // The frame's state for the grains, then the pass.
    void drawGrains() {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        pass.render();
    }

    // Pixels of rows y0 .. y1 - 1 that anything was drawn on.
    static int litPixels(int y0, int y1) {
        const std::vector<uint8_t> rows = HeadlessGL::readPixels(0, y0, kW, y1 - y0);
        int n = 0;
        for (std::size_t k = 3; k < rows.size(); k += 4) {
            n += rows[k] > 0 ? 1 : 0;
        }
        return n;
    }

    RenderGrain pass;
};

TEST_F(RenderGrainTest, EveryGrainIsACopyOfTheShapeTaggedWithItsNumber) {
    GrainEmitter* emitter = addEmitter(3, 0);
    const GrainMesh& mesh = *emitter->mesh;
    EXPECT_EQ(mesh.vCount, 108);
    EXPECT_EQ(mesh.iCount, 180);
    EXPECT_FLOAT_EQ(emitter->layout.scale, 0.5f / ZQ::gGlobals.worldScale);
    for (int k = 0; k < 60; ++k) {
        EXPECT_EQ(mesh.indices[120 + k], mesh.indices[k] + 72) << "index " << k;
    }
    for (int v = 72; v < 108; ++v) {
        EXPECT_EQ(mesh.vertices[v].index, 2.0f);
        EXPECT_EQ(std::memcmp(mesh.vertices[v].position, mesh.vertices[v - 72].position, 12), 0);
    }
    GLint bytes = 0;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    EXPECT_EQ(bytes, 360);
}

TEST_F(RenderGrainTest, BothShapesAreClosedSolidsWithFlatOutwardFacets) {
    for (int shape : {0, 1}) {
        GrainEmitter* emitter = addEmitter(1, shape);
        const GrainMesh& mesh = *emitter->mesh;
        EXPECT_EQ(mesh.vCount, 36);
        EXPECT_EQ(mesh.iCount, shape == 0 ? 60 : 54);
        float volume = 0.0f;
        for (int t = 0; t < mesh.iCount; t += 3) {
            auto at = [&](int k) {
                const auto& v = mesh.vertices[mesh.indices[t + k]];
                return PVRTVec3(v.position[0], v.position[1], v.position[2]);
            };
            const PVRTVec3 a = at(0), b = at(1), c = at(2);
            const PVRTVec3 n = (b - a).cross(c - a);
            const auto& stored = mesh.vertices[mesh.indices[t]].normal;
            const PVRTVec3 normal(stored[0], stored[1], stored[2]);
            EXPECT_NEAR(normal.length(), 1.0f, 2e-3f) << "shape " << shape << " triangle " << t / 3;
            // The stored normal is the facet's own, and the winding agrees with it.
            EXPECT_NEAR(n.normalized().dot(normal), 1.0f, 2e-3f)
                << "shape " << shape << " triangle " << t / 3;
            volume += a.dot(b.cross(c)) / 6.0f;
        }
        EXPECT_GT(volume, 0.0f) << "counter-clockwise outside: a positive volume";
        if (shape == 0) {
            // A hexagonal prism of circumradius 0.5 and height 0.5.
            EXPECT_NEAR(volume, 1.5f * std::sqrt(3.0f) * 0.25f * 0.5f, 1e-3f);
        }
    }
}

// A burst that can throw no grain has nothing to draw: asking for its mesh
// is the caller's mistake, which must not pass unseen.
TEST_F(RenderGrainTest, AMeshForABurstOfNoGrainsIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            GrainEmitter emitter(0, 0);
            GrainMesh::build(emitter);
        },
        "getMaxCount\\(\\) > 0");
}

TEST_F(RenderGrainTest, WithoutBurstsThePassMakesNoGLCall) {
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty());
}

TEST_F(RenderGrainTest, OnlyTheGrainsThrownSoFarAreUploadedAndDrawn) {
    GrainEmitter* emitter = addEmitter(10, 0);
    for (int g = 0; g < 4; ++g) {
        emitter->addGrain(30.0f);
    }
    GLRecorder gl;
    pass.render();
    const auto draws = gl.all("glDrawElements");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[1], 4.0 * 60.0);
    const GLint orientations = pass.program->shader->uniform(ZQ::ShaderNames::u_orientations);
    const auto uploaded = gl.uniformValues(orientations);
    ASSERT_EQ(uploaded.size(), 1u);
    EXPECT_EQ(uploaded[0].size(), 4u * 4u);
}

TEST_F(RenderGrainTest, AGrainBeyondTheCountLeavesNoPhantomFromAnEarlierBurst) {
    // The first burst throws all of its grains in a row across the lower
    // half of the screen (the scene's pixels shrink toward the centre on
    // screen, so the band checked is wide).
    GrainEmitter* first = addEmitter(8, 0);
    for (int g = 0; g < 8; ++g) {
        first->addGrain(0.0f);
        first->positionsAlpha[g][0] = 100.0f + 70.0f * static_cast<float>(g);
        first->positionsAlpha[g][1] = kH / 2.0f - 300.0f;
    }
    clearTarget();
    drawGrains();
    EXPECT_GT(litPixels(0, kH / 2 - 100), 0) << "the first burst shows";
    // The first burst ends; a second, in the middle, has thrown one grain.
    first->setAction(nullptr);
    grains->doStep();
    GrainEmitter* second = addEmitter(8, 0);
    second->addGrain(0.0f);
    clearTarget();
    drawGrains();

    EXPECT_EQ(litPixels(0, kH / 2 - 100), 0) << "no phantom grain of the first burst";
    EXPECT_GT(litPixels(kH / 2 - 50, kH / 2 + 50), 0) << "the second burst's one grain shows";
}

} // namespace
