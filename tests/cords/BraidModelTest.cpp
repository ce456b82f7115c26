#include "cords/BraidModel.h"

#include "FadeFixture.h"
#include "cords/BraidActions.h"
#include "cords/BraidMeshWorker.h"
#include "engine/LeafActions.h"
#include "engine/physics/FxForce.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ZQ::BraidInstance;
using ZQ::BraidMeshWorker;
using Segment = ZQ::CordModel::Segment;

using BraidModelTest = FadeFixture;

const ZQ::LevelModel::Material kMaterial =
    ZQ::LevelModel::Material::cord(PVRTVec3(1, 0, 0), PVRTVec3(0, 0, 1));

bool sameSegment(const Segment& a, const Segment& b) {
    return a.first == b.first && a.last == b.last && a.index == b.index;
}

GLint uploadedBytes(GLenum target, GLuint name) {
    GLint bytes = -1;
    glBindBuffer(target, name);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(target, 0);
    return bytes;
}

TEST_F(BraidModelTest, ABraidIsThreeLinkedParticlesAtItsHead) {
    BraidInstance* braid = braids->addBraid(PVRTVec3(1, 2, 3), kMaterial);
    EXPECT_TRUE(sameSegment(braid->segment, {0, 2, 0}));
    EXPECT_EQ(braid->material.warm, kMaterial.warm);
    ASSERT_EQ(braidWorld->getParticleCount(), 3);
    EXPECT_EQ(braidWorld->getPosition(0), PVRTVec3(1, 2, 3));
    EXPECT_EQ(braidWorld->getPosition(1), PVRTVec3(3, 2, 3));
    EXPECT_EQ(braidWorld->getPosition(2), PVRTVec3(5, 2, 3));
    EXPECT_EQ(braidWorld->getConstraintCount(), 2);
    std::vector<ZQ::Cloudlet*> items;
    braids->getCloudlets(items);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], braid);
}

TEST_F(BraidModelTest, ASecondBatchIsNumberedAfterTheBraidsInFlight) {
    braids->addBraid(PVRTVec3(0, 0, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->addBraid(PVRTVec3(0, 5, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->prepareWorkers();
    frame();
    frame();
    // Two more while the first two fly.
    braids->addBraid(PVRTVec3(0, 10, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->addBraid(PVRTVec3(0, 15, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->prepareWorkers();
    ASSERT_EQ(braids->segments.size(), 4u);
    EXPECT_TRUE(sameSegment(braids->segments[2], {6, 8, 2}));
    EXPECT_TRUE(sameSegment(braids->segments[3], {9, 11, 3}));
    EXPECT_EQ(braidWorld->getParticleCount(), 12);
    EXPECT_NEAR(braidWorld->getPosition(6).y, 10.0f, 1e-6f) << "the new braid sits on its own particles";

    ASSERT_EQ(braids->getWorkers().size(), 4u);
    EXPECT_EQ(braids->getMesh().vertexCount, 4 * 448);
    EXPECT_EQ(braids->getMesh().indexCount, 4 * 2604);
    frame();
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(braids->getWorkers()[static_cast<size_t>(k)]->firstVertex(), 448 * k);
        EXPECT_EQ(braids->getMesh().ranges[static_cast<size_t>(k)].firstIndex, 2604 * k);
        EXPECT_EQ(braids->getMesh().ranges[static_cast<size_t>(k)].indexCount, 2604);
    }
    // The last braid's mesh wraps its own particles, not the first braid's.
    const ZQ::BraidVertex& v = braids->getMesh().vertices[3 * 448 + 200];
    const float y = braids->positions[9].y;
    EXPECT_NEAR(v.position[1], y, 1.0f / ZQ::gGlobals.worldScale);
    EXPECT_EQ(v.material, 3.0f);
}

TEST_F(BraidModelTest, BusyBraidsAreMeshedAndUploadedEveryFrame) {
    braids->addBraid(PVRTVec3(4, 6, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->prepareWorkers();
    frame();
    const float scale = 2.0f * ZQ::gGlobals.worldScale;
    EXPECT_EQ(braids->count, 3);
    EXPECT_NEAR(braids->positions[1].x, braidWorld->getPosition(1).x / scale, 1e-3f);
    const ZQ::BraidMeshBuffer& mesh = braids->getMesh();
    EXPECT_EQ(uploadedBytes(GL_ARRAY_BUFFER, mesh.vertexBuffer), 44 * 448);
    EXPECT_EQ(uploadedBytes(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer), 4 * 2604);
    EXPECT_EQ(braids->getWorkers()[0]->getFrame(), 1.0f);
    frame();
    EXPECT_EQ(braids->getWorkers()[0]->getFrame(), 2.0f);
}

TEST_F(BraidModelTest, TheWorldIsEmptiedInTheFrameTheLastBraidIsDone) {
    braids->addBraid(PVRTVec3(0, 0, 0), kMaterial)->setAction(new ZQ::WaitAction(1));
    braids->addBraid(PVRTVec3(0, 5, 0), kMaterial)->setAction(new ZQ::WaitAction(2));
    braids->prepareWorkers();
    const ZQ::BraidMeshBuffer& mesh = braids->getMesh();
    frame();
    frame();
    frame(); // the second braid's wait ends here, after this frame's check
    EXPECT_EQ(braids->getBraids().size(), 2u);
    EXPECT_TRUE(braids->isReady()) << "both trees have finished";
    frame();
    EXPECT_TRUE(braids->getBraids().empty());
    EXPECT_TRUE(braids->isEmpty());
    EXPECT_TRUE(braids->segments.empty());
    EXPECT_TRUE(braids->getWorkers().empty());
    EXPECT_EQ(braids->count, 0);
    EXPECT_EQ(braidWorld->getParticleCount(), 0);
    EXPECT_EQ(braidWorld->getConstraintCount(), 0);
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.vertexCount, 0);
    // No upload in the emptying frame: GL keeps the last mesh.
    EXPECT_EQ(uploadedBytes(GL_ARRAY_BUFFER, mesh.vertexBuffer), 44 * 2 * 448);
    // The next batch starts again from particle 0.
    EXPECT_TRUE(sameSegment(braids->addBraid(PVRTVec3(), kMaterial)->segment, {0, 2, 0}));
}

TEST_F(BraidModelTest, TearDownDeletesTheBraidsAndTheBuffers) {
    braids->addBraid(PVRTVec3(0, 0, 0), kMaterial)->setAction(new ZQ::NopAction());
    braids->prepareWorkers();
    frame();
    const GLuint vbo = braids->getMesh().vertexBuffer;
    EXPECT_TRUE(glIsBuffer(vbo));
    braids->tearDown();
    EXPECT_TRUE(braids->isEmpty());
    EXPECT_TRUE(braids->getWorkers().empty());
    EXPECT_EQ(braids->getMesh().vertices, nullptr);
    EXPECT_FALSE(glIsBuffer(vbo));
    braids->setUp();
    EXPECT_NE(braids->getMesh().vertexBuffer, 0u);
}

TEST_F(BraidModelTest, AMovePushesTheHeadTowardItsTargetUntilItIsNear) {
    BraidInstance* braid = braids->addBraid(PVRTVec3(10, 0, 0), kMaterial);
    auto* move = new ZQ::BraidMoveAction(PVRTVec3(10, 30, 0));
    braid->setAction(move);
    braid->step();
    ASSERT_EQ(braidWorld->getTmpForceCount(), 1);
    const auto* force = dynamic_cast<const ZQ::Fx::ConstantForce*>(braidWorld->getTmpForce(0));
    ASSERT_NE(force, nullptr);
    EXPECT_EQ(force->i, 0);
    EXPECT_EQ(force->force, PVRTVec3(0, 30, 0));

    braids->prepareWorkers();
    int frames = 0;
    while (!move->isFinished() && frames < 300) {
        frame();
        ++frames;
    }
    EXPECT_EQ(move->getState(), ZQ::Action::Success);
    EXPECT_LT((braidWorld->getPosition(0) - PVRTVec3(10, 30, 0)).length(), 2.0f);
}

class BraidExploreTest : public BraidModelTest {
protected:
    void SetUp() override {
        BraidModelTest::SetUp();
        ZQ::seedRandom(kTestSeed);
    }
};

TEST_F(BraidExploreTest, AWanderPicksTargetsInTheUpperRoomAndPullsAtAThird) {
    BraidInstance* braid = braids->addBraid(PVRTVec3(0, 0, 0), kMaterial);
    const PVRTVec2 room = ZQ::gGlobals.worldSize;
    for (int i = 0; i < 20; ++i) {
        auto* explore = new ZQ::BraidExploreAction();
        braid->setAction(explore);
        braid->step();
        const PVRTVec3 t = explore->getTarget();
        EXPECT_GE(t.x, -room.x);
        EXPECT_LT(t.x, room.x);
        EXPECT_GE(t.y, 0.7f * room.y);
        EXPECT_LT(t.y, room.y);
        EXPECT_EQ(t.z, 0.0f);
        const auto* force = dynamic_cast<const ZQ::Fx::ConstantForce*>(
            braidWorld->getTmpForce(braidWorld->getTmpForceCount() - 1));
        ASSERT_NE(force, nullptr);
        EXPECT_NEAR(force->force.y, t.y * 0.33333334f, 1e-4f);
    }
}

} // namespace
