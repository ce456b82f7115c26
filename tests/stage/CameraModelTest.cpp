#include "stage/CameraModel.h"
#include "cords/CordModel.h"
#include "engine/Action.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/Spot.h"
#include "stage/CameraActions.h"
#include "support/BareCordTest.h"

#include <gtest/gtest.h>

namespace {

using ZQ::Action;

constexpr float kCameraW = 640.0f;
constexpr float kCameraH = 1136.0f;

class CameraModelTest : public BareCordTest {
protected:
    CameraModelTest() : BareCordTest(kCameraW, kCameraH) {}

    void SetUp() override {
        BareCordTest::SetUp();
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
    }
    void TearDown() override {
        camera.tearDown();
        BareCordTest::TearDown();
    }

    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            camera.doStep();
        }
    }

    ZQ::CameraModel camera;
};

void expectRow(const PVRTMat4& m, int row, const PVRTVec3& v) {
    EXPECT_NEAR(m(row, 0), v.x, 1e-6f) << "row " << row;
    EXPECT_NEAR(m(row, 1), v.y, 1e-6f) << "row " << row;
    EXPECT_NEAR(m(row, 2), v.z, 1e-6f) << "row " << row;
}

TEST_F(CameraModelTest, SetUpStepsEyeUpAndTargetOnce) {
    cord.centre = PVRTVec3(); // a knot centred on the world origin
    camera.setUp();
    ASSERT_EQ(camera.cloudlets.size(), 4u);
    EXPECT_EQ(camera.cloudlets[0], camera.eye);
    EXPECT_EQ(camera.cloudlets[1], camera.target);
    EXPECT_EQ(camera.cloudlets[2], camera.up);
    EXPECT_EQ(camera.cloudlets[3], camera.spot);

    EXPECT_EQ(camera.up->getPosition(), PVRTVec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(camera.up->getAction()->getState(), Action::Success);
    EXPECT_EQ(camera.target->getPosition(), PVRTVec3()); // the range action sits on the centre
    // The eye took one spring tick from (W/2, H/2, H) toward (0, 0, H), and the
    // box then brought its y down to 0.3 H.
    const PVRTVec3 eye = camera.eye->getPosition();
    EXPECT_LT(eye.x, 0.5f * kCameraW);
    EXPECT_GT(eye.x, 0.4f * kCameraW);
    EXPECT_FLOAT_EQ(eye.y, 0.3f * kCameraH);
    EXPECT_FLOAT_EQ(eye.z, kCameraH);

    EXPECT_EQ(camera.spot->pair, PVRTVec2(1.0f, 1.0f));
    EXPECT_EQ(camera.spot->third, 1.0f);
    EXPECT_EQ(camera.spot->getAction(), nullptr);
}

TEST_F(CameraModelTest, GetCloudletsYieldsEyeThenTarget) {
    camera.setUp();
    std::vector<ZQ::Cloudlet*> items;
    camera.getCloudlets(items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], camera.eye);
    EXPECT_EQ(items[1], camera.target);
    camera.tearDown();
    items.clear();
    camera.getCloudlets(items);
    EXPECT_TRUE(items.empty());
    EXPECT_TRUE(camera.cloudlets.empty());
}

TEST_F(CameraModelTest, ViewMatrixMirrorsTheFirstRow) {
    camera.setUp();
    camera.eye->layout.position = PVRTVec3(0.5f * kCameraW, 0.5f * kCameraH, kCameraH + 1.0f);
    camera.target->layout.position = PVRTVec3(0.5f * kCameraW, 0.5f * kCameraH, 0.0f);
    const PVRTMat4 view = camera.viewMatrix();
    expectRow(view, 0, PVRTVec3(-1.0f, 0.0f, 0.0f)); // f x up, not up x f
    expectRow(view, 1, PVRTVec3(0.0f, 1.0f, 0.0f));
    expectRow(view, 2, PVRTVec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(view.f[3], 0.0f);
    EXPECT_EQ(view.f[7], 0.0f);
    EXPECT_EQ(view.f[11], 0.0f);
    EXPECT_NEAR(view.f[12], 0.0f, 1e-4f);
    EXPECT_NEAR(view.f[13], 0.0f, 1e-4f);
    EXPECT_NEAR(view.f[14], -1.0f, 1e-4f);
    EXPECT_EQ(view.f[15], 1.0f);
}

TEST_F(CameraModelTest, TheTargetProjectsOntoTheScreenCentre) {
    cord.centre = PVRTVec3(120.0f, -80.0f, 40.0f);
    camera.setUp();
    frames(5);
    const PVRTVec2 ndc = ZQ::projectPoint(camera.viewMatrix(), camera.target->getPosition(), false);
    EXPECT_NEAR(ndc.x, 0.0f, 1e-4f);
    EXPECT_NEAR(ndc.y, 0.0f, 1e-4f);
    // The mirrored first row shows world +x on the left half of the screen;
    // grasps pick through the same matrix, so touches agree with what is drawn.
    const PVRTVec2 right =
        ZQ::projectPoint(camera.viewMatrix(), camera.target->getPosition() + PVRTVec3(50, 0, 0), false);
    EXPECT_LT(right.x, 0.0f);
    const PVRTVec2 above =
        ZQ::projectPoint(camera.viewMatrix(), camera.target->getPosition() + PVRTVec3(0, 50, 0), false);
    EXPECT_GT(above.y, 0.0f);
}

TEST_F(CameraModelTest, CameraAtRestDoesNotMove) {
    cord.centre = PVRTVec3(100.0f, 60.0f, -30.0f);
    camera.setUp();
    frames(900); // critically damped: settled long before this
    const PVRTVec3 eye = camera.eye->getPosition();
    const PVRTVec3 target = camera.target->getPosition();
    const PVRTMat4 view = camera.viewMatrix();
    frames(60);
    EXPECT_NEAR((camera.eye->getPosition() - eye).length(), 0.0f, 1e-3f);
    EXPECT_EQ(camera.target->getPosition(), target);
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(camera.viewMatrix().f[k], view.f[k], 1e-5f) << k;
    }
    EXPECT_NEAR(eye.x, 100.0f, 0.01f);
    EXPECT_NEAR(eye.y, 60.0f, 0.01f);
    EXPECT_NEAR(eye.z, kCameraH - 30.0f, 0.01f);
}

TEST_F(CameraModelTest, ClampsAtItsRange) {
    cord.centre = PVRTVec3(-1e6f, 1e6f, -1e6f);
    camera.setUp();
    for (int i = 0; i < 600; ++i) {
        camera.doStep();
        const PVRTVec3 eye = camera.eye->getPosition();
        ASSERT_GE(eye.x, -1.2f * kCameraW);
        ASSERT_LE(eye.y, 0.3f * kCameraH);
        ASSERT_GE(eye.z, -0.27f * kCameraH);
        const PVRTVec3 target = camera.target->getPosition();
        ASSERT_EQ(target, PVRTVec3(-1.2f * kCameraW, 0.3f * kCameraH, -0.55f * kCameraH));
    }
    const PVRTVec3 eye = camera.eye->getPosition();
    EXPECT_NEAR(eye.x, -1.2f * kCameraW, 0.01f);
    EXPECT_NEAR(eye.y, 0.3f * kCameraH, 0.01f);
    EXPECT_NEAR(eye.z, -0.55f * kCameraH + kCameraH, 0.01f); // the goal's z, inside the eye's box
}

TEST_F(CameraModelTest, SpotPopOutDimsAndPopInRestoresFromWhereItWas) {
    camera.setUp();
    camera.spotPopOut();
    for (int i = 0; i < 20; ++i) {
        camera.doStep();
    }
    EXPECT_EQ(camera.spot->getAction()->getState(), Action::Success);
    EXPECT_FLOAT_EQ(camera.spot->pair.x, 1.0f);
    EXPECT_FLOAT_EQ(camera.spot->pair.y, 0.8f);
    EXPECT_FLOAT_EQ(camera.spot->third, 0.5f);

    camera.spotPopIn();
    camera.doStep();
    camera.doStep();
    camera.spotPopOut(); // interrupts the pop-in half-way
    const PVRTVec2 reachedPair = camera.spot->pair;
    const float reachedThird = camera.spot->third;
    EXPECT_GT(reachedThird, 0.5f);
    camera.doStep(); // shows ease(0): the values reached so far
    EXPECT_EQ(camera.spot->pair, reachedPair);
    EXPECT_EQ(camera.spot->third, reachedThird);

    camera.spotPopIn();
    for (int i = 0; i < 20; ++i) {
        camera.doStep();
    }
    EXPECT_FLOAT_EQ(camera.spot->pair.x, 1.0f);
    EXPECT_FLOAT_EQ(camera.spot->pair.y, 1.0f);
    EXPECT_FLOAT_EQ(camera.spot->third, 1.0f);
}

TEST_F(CameraModelTest, ASecondSetUpStartsOver) {
    camera.setUp();
    camera.eye->layout.position = PVRTVec3(1, 2, 3);
    camera.setUp();
    EXPECT_EQ(camera.cloudlets.size(), 4u);
    EXPECT_NE(camera.eye->getPosition(), PVRTVec3(1, 2, 3));
}

} // namespace
