#include "render/RenderBraid.h"

#include "GLRecorder.h"
#include "constants/Material.h"
#include "cords/BraidMeshWorker.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "render/BraidProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/CameraModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using ZQ::BraidProgram;
using ZQ::RenderBraid;

class RenderBraidTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    ZQ::BraidInstance* addBraid(float x, const ZQ::Material& material, float alpha) {
        ZQ::BraidInstance* braid = braids->addBraid(PVRTVec3(x, 0.0f, 0.0f), material);
        braid->layout.alpha = alpha;
        braid->setAction(new ZQ::WaitAction(1000));
        return braid;
    }

    const BraidProgram& program() const { return *static_cast<const BraidProgram*>(pass.program); }

    RenderBraid pass;
};

const ZQ::Material kRed = ZQ::Material::cord(PVRTVec3(1, 0, 0), PVRTVec3(0.5f, 0, 0));
const ZQ::Material kGreen = ZQ::Material::cord(PVRTVec3(0, 1, 0), PVRTVec3(0, 0.5f, 0));

TEST_F(RenderBraidTest, WithoutBraidsThePassMakesNoGLCall) {
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty());
}

TEST_F(RenderBraidTest, OneDrawForAllBraidsAtTheFirstBraidsOpacity) {
    addBraid(-4.0f, kRed, 0.3f);
    addBraid(0.0f, kGreen, 0.9f);
    addBraid(4.0f, kRed, 1.0f);
    braids->prepareWorkers();
    frame();
    GLRecorder gl;
    pass.render();
    const auto draws = gl.all("glDrawElements");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[1], static_cast<double>(braids->getMesh().indexCount));
    const auto alpha = gl.uniformValues(program().shader->uniform(ZQ::ShaderNames::u_alpha));
    ASSERT_EQ(alpha.size(), 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(alpha[0][0]), 0.3f);
    // Slot i carries braid i's material.
    const auto slot1 = gl.uniformValues(program().shader->uniform(program().warmNames[1]));
    ASSERT_EQ(slot1.size(), 1u);
    EXPECT_EQ(slot1[0], (std::vector<double>{0, 1, 0}));
    EXPECT_TRUE(gl.uniformValues(program().shader->uniform(program().warmNames[3])).empty())
        << "a slot without a braid keeps what it had";
}

TEST_F(RenderBraidTest, MoreThanFourBraidsFillOnlyTheFourSlots) {
    for (int k = 0; k < 6; ++k) {
        addBraid(-10.0f + 4.0f * static_cast<float>(k), k % 2 == 0 ? kRed : kGreen, 1.0f);
    }
    braids->prepareWorkers();
    frame();
    std::set<GLint> slots;
    for (int i = 0; i < BraidProgram::kMaterials; ++i) {
        for (const ZQ::ElementNames* names :
             {&program().warmNames, &program().ambientNames, &program().specularNames,
              &program().shininessNames, &program().coolNames}) {
            slots.insert(program().shader->uniform((*names)[i]));
        }
    }
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(gl.count("glDrawElements"), 1);
    int materialUploads = 0;
    for (const auto& call : gl.calls()) {
        if (call.name.rfind("glUniform", 0) == 0 && slots.count(static_cast<GLint>(call.args[0])) > 0) {
            ++materialUploads;
        }
    }
    EXPECT_EQ(materialUploads, 4 * 5);
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderBraidTest, BraidsShowTheirLitOutsideThroughTheMirroringCamera) {
    // Warm red where the surface faces the light, cool blue where it faces
    // away: the light sits in front of the scene, so the side the camera
    // sees is red, unless the far inner wall is what shows.
    const ZQ::Material redBlue = ZQ::Material::cord(PVRTVec3(1, 0, 0), PVRTVec3(0, 0, 1));
    addBraid(0.0f, redBlue, 1.0f);
    braids->prepareWorkers();
    frame();
    const PVRTVec2 ndc = ZQ::projectPoint(camera.viewMatrix(), braids->positions[1], false);
    const int x = static_cast<int>((ndc.x * 0.5f + 0.5f) * kW);
    const int y = static_cast<int>((ndc.y * 0.5f + 0.5f) * kH);
    clearTarget();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    pass.render();
    const auto pixel = HeadlessGL::readPixel(x, y);
    EXPECT_EQ(pixel[3], 255) << "the braid covers its middle particle";
    EXPECT_GT(pixel[0], pixel[2]) << "red outside, not the blue inner wall";
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CCW) << "the frame's front faces are given back";
}

// The program alone, on a screen-filling pair of triangles whose material
// index is given: the colour says which material slot the shader picked.
class BraidProgramTest : public SceneFixture {
protected:
    std::array<uint8_t, 4> drawWithIndex(float index) {
        BraidProgram program;
        program.setUp();
        ZQ::BraidVertex quad[4] = {};
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int k = 0; k < 4; ++k) {
            quad[k].position[0] = corners[k][0];
            quad[k].position[1] = corners[k][1];
            quad[k].normal[2] = 1.0f;
            quad[k].material = index;
        }
        const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
        GLuint buffers[2];
        glGenBuffers(2, buffers);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
        program.use();
        // Identity matrices: the quad fills the screen.
        program.viewMatrix = PVRTMat4::identity();
        program.centringMatrix = PVRTMat4::identity();
        program.projectionMatrix = PVRTMat4::identity();
        program.cameraMatrix = PVRTMat4::identity();
        program.modelMatrix = PVRTMat4::identity();
        program.setFrameUniforms(1.0f);
        const ZQ::Material flat[4] = {
            {PVRTVec3(), PVRTVec3(), PVRTVec3(), 1.0f, 0.0f, PVRTVec3(1, 0, 0), PVRTVec3(1, 0, 0)},
            {PVRTVec3(), PVRTVec3(), PVRTVec3(), 1.0f, 0.0f, PVRTVec3(0, 1, 0), PVRTVec3(0, 1, 0)},
            {PVRTVec3(), PVRTVec3(), PVRTVec3(), 1.0f, 0.0f, PVRTVec3(0, 0, 1), PVRTVec3(0, 0, 1)},
            {PVRTVec3(), PVRTVec3(), PVRTVec3(), 1.0f, 0.0f, PVRTVec3(1, 1, 1), PVRTVec3(1, 1, 1)},
        };
        for (int i = 0; i < 4; ++i) {
            program.setMaterial(i, flat[i]);
        }
        clearTarget();
        glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
        program.unuse();
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glDeleteBuffers(2, buffers);
        program.tearDown();
        return HeadlessGL::readPixel(kW / 2, kH / 2);
    }
};

TEST_F(BraidProgramTest, MaterialIndicesRoundHalfUpAndStayInsideTheFourSlots) {
    using Pixel = std::array<uint8_t, 4>;
    EXPECT_EQ(drawWithIndex(0.0f), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(drawWithIndex(0.49f), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(drawWithIndex(0.5f), (Pixel{0, 255, 0, 255})) << "a half selects the next entry";
    EXPECT_EQ(drawWithIndex(2.0f), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(drawWithIndex(3.0f), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(drawWithIndex(5.0f), (Pixel{255, 255, 255, 255})) << "past the fourth: the fourth's";
}

} // namespace
