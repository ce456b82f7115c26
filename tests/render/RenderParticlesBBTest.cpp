#include "render/RenderParticlesBB.h"

#include "GLRecorder.h"
#include "engine/physics/FxForce.h"
#include "stage/CameraModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using ZQ::RenderParticlesBB;

class RenderParticlesBBTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    RenderParticlesBB pass;
};

TEST_F(RenderParticlesBBTest, BeforeTheCameraHasAnEyeNothingIsDrawn) {
    camera.tearDown();
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty());
    camera.setUp();
}

TEST_F(RenderParticlesBBTest, AnEmptyWorldStillUploadsUsesAndDrawsNothing) {
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(gl.names(), (std::vector<std::string>{
                              "glBindBuffer", "glBufferData", "glBindBuffer", "glEnable", "glDepthMask",
                              "glDepthFunc", "glEnable", "glUseProgram", "glEnableVertexAttribArray",
                              "glVertexAttribPointer", "glUniformMatrix4fv", "glLineWidth", "glDrawArrays",
                              "glBindBuffer", "glBindBuffer", "glDisable", "glDisableVertexAttribArray"}));
    EXPECT_EQ(gl.all("glBufferData")[0].args[1], 0.0);
    EXPECT_EQ(gl.all("glDrawArrays")[0].args[2], 0.0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "culling is left on";
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "and the depth test off";
}

TEST_F(RenderParticlesBBTest, EveryParticleGetsATwelveEdgedCubeAndOnlyAcceleratingOnesALine) {
    layLevel(1);
    frame();
    const int count = world->getParticleCount();
    ASSERT_GT(count, 0);
    // Still the world: no particle accelerates.
    for (int i = 0; i < count; ++i) {
        const_cast<PVRTVec3*>(world->getAccelerations())[i] = PVRTVec3();
    }
    const_cast<PVRTVec3*>(world->getAccelerations())[3] = PVRTVec3(0.0f, 2.0f, 0.0f);
    pass.render();
    const auto& v = pass.getVertices();
    ASSERT_EQ(v.size(), static_cast<std::size_t>(48 * count + 2));
    // Particles 0 .. 2 have 48 box vertices each; then particle 3's line.
    const PVRTVec3 p3 = cord->positions[3];
    EXPECT_EQ(v[3 * 48], p3);
    EXPECT_EQ(v[3 * 48 + 1], p3 + PVRTVec3(0.0f, 2.0f, 0.0f));
    // Particle 0's box: 24 lines over the 12 edges of a cube of half-size one
    // physics unit, each edge twice.
    const float half = 1.0f / ZQ::gGlobals.worldScale;
    std::multiset<std::pair<std::array<float, 3>, std::array<float, 3>>> edges;
    const PVRTVec3 p0 = cord->positions[0];
    for (int k = 0; k < 48; k += 2) {
        const PVRTVec3 a = (v[k] - p0) * (1.0f / half);
        const PVRTVec3 b = (v[k + 1] - p0) * (1.0f / half);
        EXPECT_NEAR((a - b).length(), 2.0f, 1e-4f) << "line " << k / 2 << " is a cube edge";
        std::array<float, 3> lo{std::round(a.x), std::round(a.y), std::round(a.z)};
        std::array<float, 3> hi{std::round(b.x), std::round(b.y), std::round(b.z)};
        edges.insert(lo < hi ? std::make_pair(lo, hi) : std::make_pair(hi, lo));
    }
    std::set<std::pair<std::array<float, 3>, std::array<float, 3>>> distinct(edges.begin(), edges.end());
    EXPECT_EQ(distinct.size(), 12u);
    for (const auto& edge : distinct) {
        EXPECT_EQ(edges.count(edge), 2u);
    }
}

} // namespace
