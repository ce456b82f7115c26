#include "cords/GraspFactory.h"
#include "GraspFixture.h"
#include "engine/DeviceProfile.h"

#include <cmath>
#include <limits>
#include <memory>
#include <unordered_set>

namespace {

using ZQ::CordModel;
using ZQ::DragFactory;
using ZQ::RotateFactory;

using PickTest = CordModelFixture;

// Particles written straight into the cord model's mirror: the pick reads
// only the stored screen positions and the z of the positions.
void setScreen(CordModel& cord, const std::vector<PVRTVec2>& screen, const std::vector<float>& z) {
    cord.count = static_cast<int32_t>(screen.size());
    for (size_t i = 0; i < screen.size(); ++i) {
        cord.screenPositions[i] = screen[i];
        cord.positions[i] = PVRTVec3(0.0f, 0.0f, z[i]);
    }
}

std::unordered_set<int> pick(const CordModel& cord, float cellSize) {
    std::unordered_set<int> out;
    CordModel::pickVisibleParticles(cord, out, cellSize);
    return out;
}

// 640 x 1136 with cells of 100: trunc(1136 / 100) = 11 columns of 58.2
// pixels across the width and trunc(640 / 100) = 6 rows of 189.3 pixels up
// the height.
TEST_F(PickTest, ColumnsCountTheHeightAndRowsTheWidth) {
    // 60 pixels apart across: different columns (one cell of 100 would hold both).
    setScreen(*cord, {{10.0f, 100.0f}, {70.0f, 100.0f}}, {0.0f, 0.0f});
    EXPECT_EQ(pick(*cord, 100.0f), (std::unordered_set<int>{0, 1}));
    // 140 pixels apart upward: one row (cells of 100 would part them); the
    // nearer particle holds it.
    setScreen(*cord, {{300.0f, 10.0f}, {300.0f, 150.0f}}, {0.0f, 5.0f});
    EXPECT_EQ(pick(*cord, 100.0f), (std::unordered_set<int>{1}));
}

TEST_F(PickTest, TheNearestParticleHoldsItsCellAndTheEarlierOneOnATie) {
    // Columns of 20.6 pixels, rows of 66.8.
    setScreen(*cord, {{5.0f, 20.0f}, {6.0f, 21.0f}, {7.0f, 22.0f}, {300.0f, 600.0f}},
              {1.0f, 4.0f, 4.0f, -9.0f});
    EXPECT_EQ(pick(*cord, 36.0f), (std::unordered_set<int>{1, 3}));
    setScreen(*cord, {{5.0f, 20.0f}, {6.0f, 21.0f}}, {2.0f, 2.0f});
    EXPECT_EQ(pick(*cord, 36.0f), (std::unordered_set<int>{0}));
}

TEST_F(PickTest, ParticlesOffTheScreenAreSkipped) {
    setScreen(*cord,
              {{-100.0f, 500.0f}, {700.0f, 500.0f}, {300.0f, -300.0f}, {300.0f, 1200.0f}, {300.0f, 500.0f}},
              {9.0f, 9.0f, 9.0f, 9.0f, 0.0f});
    EXPECT_EQ(pick(*cord, 36.0f), (std::unordered_set<int>{4}));
}

TEST_F(PickTest, CellsBelowOnePixelPickNothing) {
    setScreen(*cord, {{300.0f, 500.0f}}, {0.0f});
    EXPECT_TRUE(pick(*cord, 0.0f).empty());
    EXPECT_TRUE(pick(*cord, 0.5f).empty());
    EXPECT_TRUE(pick(*cord, std::numeric_limits<float>::quiet_NaN()).empty());
    // Cells larger than the screen leave no grid at all.
    EXPECT_TRUE(pick(*cord, 2000.0f).empty());
    EXPECT_EQ(pick(*cord, 1.0f), (std::unordered_set<int>{0}));
}

TEST(TouchRadiusTest, RadiiBelowOnePixelBecomeTheDevicesTouchRadius) {
    const float device = ZQ::DeviceProfile::get().touchRadius;
    ASSERT_GE(device, 1.0f);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(0.0f), device);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(0.99f), device);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(-3.0f), device);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(std::numeric_limits<float>::quiet_NaN()), device);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(1.0f), 1.0f);
    EXPECT_EQ(ZQ::GraspFactory::touchRadius(22.5f), 22.5f);
}

class DragFactoryTest : public GraspFixture {
protected:
    DragFactory factoryAt(const PVRTVec2& point, float radius) {
        DragFactory f;
        f.radius = radius;
        f.pickPoint = f.currentPoint = f.lastPoint = point;
        f.select();
        return f;
    }

    // Makes particle 0 move by about `speed` world units a step.
    void launch(float speed) {
        // One substep of acceleration a moves a particle by a dt², and the
        // next two substeps keep 0.995 and 0.995² of it.
        const float dt = ZQ::Fx::kMainWorld.dt;
        const float a = speed / (dt * dt * 0.995f * 0.995f);
        world->addTmpForce(new ZQ::Fx::ConstantForce(0, PVRTVec3(a, 0.0f, 0.0f)));
        world->doStep();
    }
};

TEST_F(DragFactoryTest, TakesTheNearestToTheViewerWithinTwoRadii) {
    const PVRTVec2 touch(300.0f, 600.0f);
    // 0 and 1 share the greatest z within reach; 2 is nearer the viewer but
    // out of reach (20.5 > 2 x 10); 3 is within reach but farther back.
    placeOnScreen(
        {touch + PVRTVec2(0.0f, 19.0f), touch + PVRTVec2(-12.0f, 0.0f), touch + PVRTVec2(20.5f, 0.0f), touch},
        {{0, 3, 0}}, 0.0f, {30.0f, 30.0f, 80.0f, -20.0f});
    DragFactory f = factoryAt(touch, 10.0f);
    EXPECT_EQ(f.selection, (std::set<int>{0}));

    // Nothing within reach: no selection, no grasp.
    DragFactory none = factoryAt(touch + PVRTVec2(0.0f, 300.0f), 10.0f);
    EXPECT_TRUE(none.selection.empty());
    EXPECT_EQ(none.make(), nullptr);
}

TEST_F(DragFactoryTest, MakesAOneFrameGraspTowardTheCurrentFinger) {
    placeOnScreen({{300.0f, 600.0f}, {340.0f, 600.0f}}, {{0, 1, 0}});
    DragFactory f = factoryAt(PVRTVec2(305.0f, 600.0f), 36.0f);
    f.currentPoint = PVRTVec2(320.0f, 650.0f);
    std::unique_ptr<ZQ::DragGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->getType(), ZQ::Grasp::Drag);
    EXPECT_EQ(grasp->particles, (std::set<int>{0}));
    EXPECT_EQ(grasp->particle, 0);
    EXPECT_EQ(grasp->life, 1);
    EXPECT_EQ(grasp->initialLife, 1);
    EXPECT_EQ(grasp->id, 0);
    EXPECT_EQ(grasp->touchPoint, PVRTVec2(320.0f, 650.0f));
}

TEST_F(DragFactoryTest, ReportsStateTwoForExactlyOneMakeWhenTheParticleGetsFast) {
    placeOnScreen({{300.0f, 600.0f}}, {{0, 0, 0}});
    DragFactory f = factoryAt(PVRTVec2(300.0f, 600.0f), 36.0f);
    const auto state = [&f] {
        std::unique_ptr<ZQ::DragGrasp> grasp(f.make());
        EXPECT_EQ(grasp->dragState, f.dragState);
        return grasp->dragState;
    };
    EXPECT_EQ(state(), 0); // at rest

    launch(0.15f); // between the two thresholds: not fast enough to start
    ASSERT_GT(world->getVelocity(0).length(), DragFactory::kSlowSpeed);
    ASSERT_LT(world->getVelocity(0).length(), DragFactory::kFastSpeed);
    EXPECT_EQ(state(), 0);

    launch(0.1f); // now about 0.25: fast
    ASSERT_GT(world->getVelocity(0).length(), DragFactory::kFastSpeed);
    EXPECT_EQ(state(), 2);
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(state(), 1);

    // Slowed to about 0.15: still 1 until the speed falls below 0.1.
    launch(-0.1f);
    ASSERT_GT(world->getVelocity(0).length(), DragFactory::kSlowSpeed);
    EXPECT_EQ(state(), 1);
    launch(-0.12f);
    ASSERT_LT(world->getVelocity(0).length(), DragFactory::kSlowSpeed);
    EXPECT_EQ(state(), 0);
    launch(0.3f);
    EXPECT_EQ(state(), 2);
}

TEST(RotateFactoryTest, RightAndLeftSwipesTurnOneAndAHalfDegreesAboutY) {
    RotateFactory f;
    f.startPoint = PVRTVec2(100.0f, 50.0f);
    f.endPoint = PVRTVec2(110.0f, 50.0f); // capped to (1, 0)
    f.select();
    const float a = -0.02617994f;
    const PVRTVec3 x = f.rotation.transformPoint(PVRTVec3(1.0f, 0.0f, 0.0f));
    const PVRTVec3 y = f.rotation.transformPoint(PVRTVec3(0.0f, 1.0f, 0.0f));
    const PVRTVec3 z = f.rotation.transformPoint(PVRTVec3(0.0f, 0.0f, 1.0f));
    expectNear(x, PVRTVec3(std::cos(a), 0.0f, std::sin(a)), 1e-6f);
    expectNear(y, PVRTVec3(0.0f, 1.0f, 0.0f), 1e-6f);
    expectNear(z, PVRTVec3(-std::sin(a), 0.0f, std::cos(a)), 1e-6f);

    f.endPoint = PVRTVec2(90.0f, 50.0f);
    f.select();
    expectNear(f.rotation.transformPoint(PVRTVec3(1.0f, 0.0f, 0.0f)),
               PVRTVec3(std::cos(a), 0.0f, -std::sin(a)), 1e-6f);
}

TEST(RotateFactoryTest, ShortAndVerticalStrokesAreNotNormalised) {
    RotateFactory f;
    f.startPoint = PVRTVec2(0.0f, 0.0f);
    f.endPoint = PVRTVec2(0.0f, 0.5f); // shorter than 1: b = 0.5 x 1.5 degrees
    f.select();
    const float b = 0.5f * 0.02617994f;
    // Rx: (0, 1, 0) -> (0, cos b, -sin b)
    expectNear(f.rotation.transformPoint(PVRTVec3(0.0f, 1.0f, 0.0f)),
               PVRTVec3(0.0f, std::cos(b), -std::sin(b)), 1e-6f);
    expectNear(f.rotation.transformPoint(PVRTVec3(1.0f, 0.0f, 0.0f)), PVRTVec3(1.0f, 0.0f, 0.0f), 1e-6f);
}

TEST(RotateFactoryTest, MakesAFifteenFrameGraspUnlessTheSwipeTookLonger) {
    RotateFactory f;
    f.endPoint = PVRTVec2(-10.0f, 0.0f);
    f.select();
    f.startFrame = 100;
    f.endFrame = 115;
    std::unique_ptr<ZQ::RotateGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->getType(), ZQ::Grasp::Rotate);
    EXPECT_TRUE(grasp->particles.empty());
    EXPECT_EQ(grasp->particle, 0);
    EXPECT_EQ(grasp->life, 15);
    EXPECT_EQ(grasp->initialLife, 15);
    EXPECT_EQ(grasp->rotation, f.rotation);

    f.endFrame = 116;
    EXPECT_EQ(f.make(), nullptr);
    f.endFrame = 90; // signed difference
    std::unique_ptr<ZQ::RotateGrasp> early(f.make());
    EXPECT_NE(early, nullptr);
}

} // namespace
