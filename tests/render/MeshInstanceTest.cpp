#include "render/MeshInstance.h"

#include "PodFixtures.h"
#include "engine/MathHelpers.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ZQ::MeshInstance;
using ZQ::PodModel;

void expectNear(const PVRTVec3& got, const PVRTVec3& wanted) {
    EXPECT_NEAR(got.x, wanted.x, 1e-4f);
    EXPECT_NEAR(got.y, wanted.y, 1e-4f);
    EXPECT_NEAR(got.z, wanted.z, 1e-4f);
}

// A model record as the box leaves it, without GL: the scene read from a
// written file, bounds from the box's own walk, and non-zero buffer names
// that nothing draws.
std::unique_ptr<PodModel> modelOf(const PodWriter::Scene& written) {
    auto model = std::make_unique<PodModel>();
    model->name = "test";
    model->scene = std::make_unique<SPODScene>();
    EXPECT_TRUE(PodFixtures::read(PodWriter::write(written), *model->scene));
    for (const SPODMesh& mesh : model->scene->meshes) {
        model->bounds.push_back(ZQ::PodBox::meshBounds(mesh));
        model->vertexBuffers.push_back(1);
        model->indexBuffers.push_back(1);
    }
    return model;
}

PodWriter::Scene unitBox() {
    const float low[3] = {-1, -1, -1};
    const float high[3] = {1, 1, 1};
    return PodWriter::meshScene({PodFixtures::box(low, high)}, "box");
}

TEST(MeshInstanceTest, TheDefaultPoseOfAPlainNodeIsTheIdentityAndBaseScaleUndoesLayoutScale) {
    auto model = modelOf(unitBox());
    MeshInstance instance(model.get(), 0);
    EXPECT_EQ(instance.getModelMatrix(), PVRTMat4::identity());
    instance.layout.scale = 2.0f;
    instance.baseLayout.scale = 0.5f;
    instance.step();
    EXPECT_EQ(instance.getModelMatrix(), PVRTMat4::identity());
    EXPECT_EQ(instance.drawn, 1);
    EXPECT_EQ(instance.layout.alpha, 1.0f);
}

TEST(MeshInstanceTest, LayoutThenNodeTransformPlacesTheOrigin) {
    PodWriter::Scene scene = unitBox();
    scene.nodes[0].staticPosition = std::array<float, 3>{1, 0, 0};
    auto model = modelOf(scene);

    // A quarter turn about z, by angle and by orientation alike.
    MeshInstance byAngle(model.get(), 0);
    byAngle.layout.position = PVRTVec3(1, 2, 3);
    byAngle.layout.angles = PVRTVec3(0, 0, ZQ::kHalfPi);
    byAngle.step();
    expectNear(byAngle.getModelMatrix().transformPoint(PVRTVec3(0, 0, 0)), PVRTVec3(1, 1, 3));

    MeshInstance byOrientation(model.get(), 0);
    byOrientation.layout.position = PVRTVec3(1, 2, 3);
    byOrientation.layout.orientation = PVRTQuaternion(0, 0, std::sqrt(0.5f), std::sqrt(0.5f));
    byOrientation.step();
    expectNear(byOrientation.getModelMatrix().transformPoint(PVRTVec3(0, 0, 0)), PVRTVec3(1, 1, 3));

    // The bounds are the box's corners through the same matrix: the unit box
    // moved by the node to [0, 2] in x, turned and moved by the layout.
    const PodModel::Corners& corners = byAngle.updateBounds();
    for (std::size_t k = 0; k < 8; ++k) {
        const PVRTVec3 local((k & 4) ? 2.0f : 0.0f, (k & 2) ? 1.0f : -1.0f, (k & 1) ? 1.0f : -1.0f);
        // Turned as the layouts turn: (x, y) to (y, -x).
        expectNear(corners[k], PVRTVec3(1 + local.y, 2 - local.x, 3 + local.z));
    }
}

TEST(MeshInstanceTest, APoseWrittenOutsideStepShowsAfterTheNextStep) {
    auto model = modelOf(unitBox());
    MeshInstance instance(model.get(), 0);
    const PVRTMat4 before = instance.getModelMatrix();
    const PodModel::Corners boundsBefore = instance.updateBounds();
    instance.layout.position = PVRTVec3(10, 0, 0);
    EXPECT_EQ(instance.getModelMatrix(), before);
    EXPECT_EQ(instance.updateBounds()[0].x, boundsBefore[0].x);
    instance.step();
    EXPECT_EQ(instance.getModelMatrix().f[12], 10.0f);
    EXPECT_EQ(instance.updateBounds()[0].x, boundsBefore[0].x + 10.0f);
}

TEST(MeshInstanceTest, TheNodeBlendsBetweenKeysAtTheModelsFrame) {
    PodWriter::Scene scene = unitBox();
    PodWriter::Node& node = scene.nodes[0];
    node.staticPosition.reset();
    node.animationFlags = 0x01 | 0x04;
    node.position = {0, 0, 0, 4, 8, 0};
    node.scale = {1, 1, 1, 0, 0, 0, 0, 3, 3, 3, 0, 0, 0, 0};
    scene.frameCount = 2;
    auto model = modelOf(scene);
    MeshInstance instance(model.get(), 0);
    model->scene->setFrame(0.5f);
    instance.step();
    const PVRTMat4& m = instance.getModelMatrix();
    expectNear(m.transformPoint(PVRTVec3(0, 0, 0)), PVRTVec3(2, 4, 0));
    expectNear(m.transformPoint(PVRTVec3(1, 0, 0)), PVRTVec3(4, 4, 0)); // scale 2 halfway from 1 to 3
}

TEST(MeshInstanceTest, AnInstanceOfAMissingOrEmptyModelHasZeroBoundsAndNoMesh) {
    MeshInstance orphan(nullptr, 0);
    EXPECT_EQ(orphan.meshIndex(), -1);
    EXPECT_EQ(orphan.getModelMatrix(), PVRTMat4::identity());
    for (const PVRTVec3& corner : orphan.updateBounds()) {
        EXPECT_EQ(corner, PVRTVec3());
    }
    PodModel failed; // a model whose file did not load
    failed.scene = std::make_unique<SPODScene>();
    MeshInstance empty(&failed, 0);
    empty.layout.position = PVRTVec3(5, 5, 5);
    empty.step();
    EXPECT_EQ(empty.meshIndex(), -1);
    EXPECT_EQ(empty.updateBounds()[7], PVRTVec3());
}

} // namespace
