#include "render/RenderBalloon.h"

#include "GLRecorder.h"
#include "engine/LeafActions.h"
#include "render/BalloonProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/BalloonModel.h"
#include "stage/CameraModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::Balloon;
using ZQ::RenderBalloon;

class RenderBalloonTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    ZQ::BalloonInstance* addBalloon(float x, float y, float alpha = 1.0f) {
        auto* balloon = new ZQ::BalloonInstance();
        balloon->layout.position = PVRTVec3(x, y, 0.0f);
        balloon->layout.alpha = alpha;
        balloon->setAction(new ZQ::WaitAction(1000));
        balloons->addBalloon(balloon);
        return balloon;
    }

    // The frame's state for the blended interface solids, then the pass.
    void drawBalloons() {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        pass.render();
    }

    // The u_color values uploaded, in draw order.
    static std::vector<std::vector<double>> colours(const GLRecorder& gl, const RenderBalloon& p) {
        return gl.uniformValues(p.program->shader->uniform(ZQ::ShaderNames::u_color));
    }

    // Opaque sky-blue pixels (no red, more blue than green) in the 80 x 80
    // box around (x, y).
    static int skyBluePixels(int x, int y) {
        const std::vector<uint8_t> box = HeadlessGL::readPixels(x - 40, y - 40, 80, 80);
        int n = 0;
        for (std::size_t k = 0; k < box.size(); k += 4) {
            n += box[k] == 0 && box[k + 2] > 20 && box[k + 2] >= box[k + 1] && box[k + 3] == 255 ? 1 : 0;
        }
        return n;
    }

    RenderBalloon pass;
};

const std::vector<double> kSkyBlue = {0.0, static_cast<double>(0.7f), 1.0, 1.0};
const std::vector<double> kYellow = {1.0, 1.0, 0.0, 1.0};

TEST_F(RenderBalloonTest, TheMeshIsATeardropWithFiniteOutwardNormals) {
    const auto vertices = Balloon::buildVertices();
    const auto indices = Balloon::buildIndices();
    ASSERT_EQ(vertices.size(), 2500u);
    ASSERT_EQ(indices.size(), 3750u);
    EXPECT_EQ(pass.getBalloon().indexCount, 3750);
    EXPECT_NEAR(vertices[0].position.x, 0.0f, 1e-7f);
    EXPECT_NEAR(vertices[0].position.y, 0.0f, 1e-7f);
    EXPECT_EQ(vertices[0].position.z, 1.0f);
    for (std::size_t k = 2400; k < 2500; ++k) {
        EXPECT_EQ(vertices[k].normal, PVRTVec3(0.0f, 0.0f, -1.0f)) << "vertex " << k;
    }
    for (std::size_t k = 0; k < vertices.size(); ++k) {
        const auto& v = vertices[k];
        ASSERT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z))
            << "vertex " << k;
        EXPECT_NEAR(v.normal.length(), 1.0f, 1e-5f) << "vertex " << k;
        // Outward: away from the axis where the surface has a girth, and
        // at the tip along it.
        const PVRTVec3 radial(v.position.x, v.position.y, 0.0f);
        if (radial.length() > 0.05f && k < 2400) {
            EXPECT_GT(v.normal.dot(radial), 0.0f) << "vertex " << k;
        }
    }
    // Quads are counter-clockwise seen from outside.
    for (std::size_t t = 0; t < indices.size(); t += 3) {
        const PVRTVec3 a = vertices[indices[t]].position;
        const PVRTVec3 b = vertices[indices[t + 1]].position;
        const PVRTVec3 c = vertices[indices[t + 2]].position;
        const PVRTVec3 n = (b - a).cross(c - a);
        if (n.length() > 1e-4f) {
            EXPECT_GT(n.dot(vertices[indices[t]].normal + vertices[indices[t + 2]].normal), 0.0f) << t / 3;
        }
    }
}

TEST_F(RenderBalloonTest, WithoutBalloonsThePassStillBindsUsesAndUnbinds) {
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(gl.names(), (std::vector<std::string>{
                              "glBindBuffer", "glBindBuffer", "glUseProgram", "glEnableVertexAttribArray",
                              "glVertexAttribPointer", "glEnableVertexAttribArray", "glVertexAttribPointer",
                              "glDisableVertexAttribArray", "glDisableVertexAttribArray", "glBindBuffer"}));
    EXPECT_EQ(gl.all("glBindBuffer").back().args, (std::vector<double>{GL_ARRAY_BUFFER, 0}));
}

TEST_F(RenderBalloonTest, BeforeTheCameraHasAnEyeNothingIsCalled) {
    camera.tearDown();
    addBalloon(100, 100);
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty());
    camera.setUp();
}

TEST_F(RenderBalloonTest, ColoursAlternateByPlaceAndShiftWhenOneGoes) {
    ZQ::BalloonInstance* first = addBalloon(100, 200);
    addBalloon(300, 200);
    addBalloon(500, 200);
    {
        GLRecorder gl;
        pass.render();
        EXPECT_EQ(gl.count("glDrawElements"), 3);
        EXPECT_EQ(colours(gl, pass), (std::vector<std::vector<double>>{kSkyBlue, kYellow, kSkyBlue}));
    }
    first->setAction(nullptr);
    balloons->doStep();
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(colours(gl, pass), (std::vector<std::vector<double>>{kSkyBlue, kYellow}));
}

TEST_F(RenderBalloonTest, ABalloonIsDrawnWhereItsPixelsSayWhateverTheCamera) {
    addBalloon(kW / 2.0f, kH / 2.0f);
    ZQ::BalloonInstance* faded = addBalloon(kW / 4.0f, kH / 4.0f, 0.0f);
    (void)faded;
    clearTarget();
    drawBalloons();
    EXPECT_GT(skyBluePixels(kW / 2, kH / 2), 100) << "the balloon is about 50 pixels across";
    EXPECT_EQ(skyBluePixels(kW / 4, kH / 4), 0) << "alpha 0 is drawn fully transparent";
    EXPECT_EQ(skyBluePixels(3 * kW / 4, 3 * kH / 4), 0) << "and nothing is drawn elsewhere";
    const std::vector<uint8_t> image = HeadlessGL::readPixels(0, 0, kW, kH);

    // Swing the scene camera far away: balloons do not follow.
    camera.eye->layout.position = camera.eye->layout.position + PVRTVec3(400.0f, -300.0f, 200.0f);
    clearTarget();
    drawBalloons();
    EXPECT_EQ(HeadlessGL::readPixels(0, 0, kW, kH), image);
}

TEST_F(RenderBalloonTest, AtScaleOneTheBalloonMeasuresTwoWorldUnitsTipToBottom) {
    auto* balloon = addBalloon(200, 300);
    float m[16];
    RenderBalloon::modelMatrix(m, *balloon);
    const PVRTMat4 matrix = [&] {
        PVRTMat4 out;
        std::copy(m, m + 16, out.f);
        return out;
    }();
    const PVRTVec4 tip = matrix * PVRTVec4(0, 0, 1, 1);
    const PVRTVec4 bottom = matrix * PVRTVec4(0, 0, -1, 1);
    EXPECT_NEAR((tip.z - bottom.z) * ZQ::gGlobals.worldScale, 2.0f, 1e-4f);
    EXPECT_FLOAT_EQ(tip.x, 200.0f);
}

} // namespace
