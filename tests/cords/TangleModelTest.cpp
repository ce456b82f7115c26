#include "cords/TangleModel.h"

#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "cords/TangleMesh.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "levels/LevelModel.h"
#include "support/CatalogueSuite.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using ZQ::TangleInstance;
using ZQ::TangleModel;
using ZQ::TangleSegmentsAction;

// A tangle with a mesh of the award size whose GL side is never made.
TangleInstance* plainTangle() {
    auto* cord = new ZQ::Cord(100.0f, PVRTVec3(), 4, false, new ZQ::TorusKnot(0.5f, 1.0f, 2.0f, 3.0f, 0.0f));
    cord->build();
    auto* mesh = new ZQ::TangleMesh(14, cord);
    mesh->rings = ZQ::TangleMesh::kRings;
    return new TangleInstance(mesh, 2, PVRTVec3(1.0f, 1.0f, 0.25f));
}

// Counts its own ticks and deletion.
class CountingAction : public ZQ::Action {
public:
    CountingAction(int* ticks, int* deleted) : ticks(ticks), deleted(deleted) {}
    ~CountingAction() override { ++*deleted; }
    State start() override { return finishAtStart ? Success : Running; }
    State run() override {
        ++*ticks;
        return Running;
    }
    bool finishAtStart = false;

private:
    int* ticks;
    int* deleted;
};

TEST(TangleReveal, FourRunsOfWholeRingPairs) {
    TangleInstance* tangle = plainTangle();
    auto* reveal = new TangleSegmentsAction(60, {false, false, false, false});
    tangle->setAction(reveal);
    tangle->step();
    EXPECT_EQ(reveal->getQuantum(), 156);
    const std::vector<TangleSegmentsAction::Entry>& e = reveal->getEntries();
    ASSERT_EQ(e.size(), 4u);
    const int per = 37 * 156;
    EXPECT_EQ(e[0].from, 0);
    EXPECT_EQ(e[0].to, per);
    EXPECT_EQ(e[1].from, per);
    EXPECT_EQ(e[2].to, 3 * per);
    EXPECT_EQ(e[3].from, 3 * per);
    EXPECT_EQ(e[3].to, 23478 - 1);
    ASSERT_EQ(tangle->ranges.size(), 4u);
    // The first tick opens less than one step of two ring pairs.
    EXPECT_EQ(tangle->ranges[1].first, per);
    EXPECT_EQ(tangle->ranges[1].last, per);
    delete tangle;
}

TEST(TangleReveal, HalfwayARunIsOpenToTheLastWholeStep) {
    TangleInstance* tangle = plainTangle();
    tangle->setAction(new TangleSegmentsAction(60, {false, true}));
    for (int i = 0; i < 30; ++i) {
        tangle->step();
    }
    // Two runs of 75 steps: 11700 indices, the second to the end.
    EXPECT_EQ(tangle->ranges[0].first, 0);
    EXPECT_EQ(tangle->ranges[0].last, 5850 / 156 * 156);
    // The reversed run opens from its far end: x = 23477 - 0.5 (23477 - 11700).
    EXPECT_EQ(tangle->ranges[1].first, 17588 / 156 * 156);
    EXPECT_EQ(tangle->ranges[1].last, 23477);
    delete tangle;
}

TEST(TangleReveal, AfterThirtyOfSixtyFramesTheFirstOfFourRunsDraws2808) {
    TangleInstance* tangle = plainTangle();
    tangle->setAction(new TangleSegmentsAction(60, {false, false, false, false}));
    for (int i = 0; i < 30; ++i) {
        tangle->step();
    }
    EXPECT_EQ(tangle->ranges[0].first, 0);
    EXPECT_EQ(tangle->ranges[0].last, 2808);
    delete tangle;
}

TEST(TangleReveal, TheFinishedRevealShowsTheWholeClosedTube) {
    TangleInstance* tangle = plainTangle();
    auto* reveal = new TangleSegmentsAction(60, {true, false});
    tangle->setAction(reveal);
    int ticks = 0;
    while (!reveal->isFinished() && ticks < 100) {
        tangle->step();
        ++ticks;
    }
    EXPECT_EQ(reveal->getState(), ZQ::Action::Success);
    EXPECT_GE(ticks, 61);
    EXPECT_LE(ticks, 62);
    EXPECT_EQ(tangle->ranges[0].first, 0);
    EXPECT_EQ(tangle->ranges[0].last, 11700);
    EXPECT_EQ(tangle->ranges[1].first, 11700);
    // Not 23400: the ring pair that closes the loop is drawn too.
    EXPECT_EQ(tangle->ranges[1].last, 23477);
    delete tangle;
}

TEST(TangleModelStep, AFinishedTangleIsSteppedOnceMoreAndDeleted) {
    int ticks = 0;
    int deleted = 0;
    TangleModel model;
    TangleInstance* tangle = plainTangle();
    auto* root = new CountingAction(&ticks, &deleted);
    tangle->setAction(root);
    model.addTangle(tangle);
    model.doStep();
    model.doStep();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(deleted, 0);

    TangleInstance* done = plainTangle();
    auto* doneRoot = new CountingAction(&ticks, &deleted);
    doneRoot->finishAtStart = true;
    done->setAction(doneRoot);
    model.addTangle(done);
    model.doStep();
    EXPECT_EQ(deleted, 1) << "the finished one went in this step";
    EXPECT_EQ(model.getTangles().size(), 1u);
    EXPECT_EQ(ticks, 3) << "the running one was stepped";

    model.addTangle(plainTangle()); // no tree at all
    model.doStep();
    EXPECT_EQ(model.getTangles().size(), 1u);
    model.tearDown();
    EXPECT_TRUE(model.isEmpty());
    EXPECT_EQ(deleted, 2);
}

int gRevealed = 0;
void countReveal() {
    ++gRevealed;
}

class AwardTangleTest : public CatalogueSuite<HeadlessGLTest> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        gRevealed = 0;
    }
};

TEST_F(AwardTangleTest, TheCurrentKnotIsUploadedRevealedWhileTurningOnceThenTumbles) {
    catalogue->level = 76 + 5; // the cursor wraps
    ZQ::KnotGenerator* generator = catalogue->levels[5].cord->generator;
    TangleModel model;
    TangleInstance* tangle =
        model.showAwardTangle(*catalogue->currentLevel().cord, 3, {true, false}, &countReveal);
    ASSERT_EQ(model.getTangles().size(), 1u);
    EXPECT_EQ(catalogue->levels[5].cord->generator, generator) << "the level keeps its generator";
    EXPECT_EQ(tangle->mesh->cord->generator, nullptr);
    EXPECT_FLOAT_EQ(tangle->mesh->cord->targetSize, 0.25f * HeadlessGL::kWidth);
    EXPECT_EQ(tangle->materialIndex, 3);
    EXPECT_EQ(tangle->scale, PVRTVec3(1.0f, 1.0f, 0.25f));
    EXPECT_EQ(tangle->layout.position,
              PVRTVec3(0.5f * HeadlessGL::kWidth, 0.52f * HeadlessGL::kHeight, 0.5f * HeadlessGL::kHeight));
    const GLuint vbo = tangle->mesh->vertexBuffer;
    const GLuint ibo = tangle->mesh->indexBuffer;
    EXPECT_TRUE(glIsBuffer(vbo));
    EXPECT_TRUE(glIsBuffer(ibo));
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 52 * 14 * 301);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 4 * 23478);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    for (int i = 0; i < 60; ++i) {
        model.doStep();
    }
    EXPECT_EQ(gRevealed, 0);
    // Sixty turns of pi/30: one whole turn on the first angle only.
    const float x = tangle->layout.angles.x;
    EXPECT_LT(std::min(x, 6.2831855f - x), 1e-3f);
    EXPECT_EQ(tangle->layout.angles.y, 0.0f);
    model.doStep();
    model.doStep();
    EXPECT_EQ(gRevealed, 1);
    const PVRTVec3 before = tangle->layout.angles;
    model.doStep();
    EXPECT_NEAR(tangle->layout.angles.y - before.y, 0.041887902f, 1e-5f) << "then a slow tumble";
    for (int i = 0; i < 100; ++i) {
        model.doStep();
    }
    EXPECT_EQ(gRevealed, 1);
    EXPECT_EQ(model.getTangles().size(), 1u) << "the tumble never ends";

    model.tearDown();
    EXPECT_TRUE(model.getTangles().empty());
    EXPECT_FALSE(glIsBuffer(vbo));
    EXPECT_FALSE(glIsBuffer(ibo));
}

} // namespace
