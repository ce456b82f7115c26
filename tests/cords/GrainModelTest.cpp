#include "cords/GrainModel.h"

#include "cords/GrainEmitter.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "support/GlobalsTest.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

namespace {

using ZQ::GrainEmitter;
using ZQ::GrainModel;

// Stands in for the renderer's grain mesh: the emitter only holds the
// pointer, and the release hook records which meshes were freed.
int gReleased = 0;
int gMeshToken = 0;

void releaseTestMesh(GrainEmitter& emitter) {
    ++gReleased;
    emitter.mesh = nullptr;
}

GrainEmitter* emitterWithMesh(ZQ::Action* root) {
    auto* emitter = new GrainEmitter(4, 0);
    emitter->setMaterialCurve({{4.0f, 1.0f}});
    emitter->mesh = reinterpret_cast<ZQ::GrainMesh*>(&gMeshToken);
    emitter->releaseMesh = &releaseTestMesh;
    emitter->setAction(root);
    return emitter;
}

class GrainModelTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::seedRandom(kTestSeed);
        gReleased = 0;
    }
};

TEST_F(GrainModelTest, AnEmitterIsDeletedInTheStepItsBurstEnds) {
    GrainModel model;
    model.addEmitter(emitterWithMesh(new ZQ::WaitAction(2)));
    model.addEmitter(emitterWithMesh(new ZQ::WaitAction(5)));
    EXPECT_FALSE(model.isReady());
    model.doStep();
    model.doStep();
    EXPECT_EQ(model.getEmitters().size(), 2u);
    model.doStep(); // the 2-frame wait succeeds on its third tick
    EXPECT_EQ(model.getEmitters().size(), 1u);
    EXPECT_EQ(gReleased, 1) << "its mesh was released";
    for (int i = 0; i < 3; ++i) {
        model.doStep();
    }
    EXPECT_TRUE(model.getEmitters().empty());
    EXPECT_TRUE(model.isReady());
    EXPECT_TRUE(model.isEmpty());
    EXPECT_EQ(gReleased, 2);
}

TEST_F(GrainModelTest, AnEmitterWithoutAnActionGoesInTheNextStep) {
    GrainModel model;
    model.addEmitter(emitterWithMesh(nullptr));
    model.doStep();
    EXPECT_TRUE(model.getEmitters().empty());
    EXPECT_EQ(gReleased, 1);
}

TEST_F(GrainModelTest, ARealBurstRunsToItsEndAndIsFreed) {
    GrainModel model;
    auto* emitter = new GrainEmitter(20, 0);
    emitter->setAction(GrainEmitter::burstAction(20, 15, 0.0f, 0.0f, 0.0f, 18.0f, 30.0f));
    model.addEmitter(emitter);
    int frames = 0;
    while (!model.getEmitters().empty() && frames < 200) {
        model.doStep();
        ++frames;
    }
    EXPECT_TRUE(model.getEmitters().empty());
    // The last grains appear in frame 15 and fly for up to 30 frames.
    EXPECT_GT(frames, 30);
    EXPECT_LE(frames, 15 + 30 + 1);
}

TEST_F(GrainModelTest, TearDownAndDestructionFreeEveryEmitterWithItsMesh) {
    {
        GrainModel model;
        model.addEmitter(emitterWithMesh(new ZQ::NopAction()));
        model.addEmitter(emitterWithMesh(new ZQ::NopAction()));
        std::vector<ZQ::Cloudlet*> items;
        model.getCloudlets(items);
        EXPECT_EQ(items.size(), 2u);
        model.tearDown();
        EXPECT_TRUE(model.isEmpty());
        EXPECT_EQ(gReleased, 2);
        model.addEmitter(emitterWithMesh(new ZQ::NopAction()));
    }
    EXPECT_EQ(gReleased, 3) << "the model's destruction frees what is left";
}

} // namespace
