#include "stage/LightModel.h"
#include "cords/CordModel.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "stage/CameraModel.h"
#include "support/BareCordTest.h"

#include <gtest/gtest.h>

namespace {

constexpr float kLightW = 640.0f;
constexpr float kLightH = 960.0f;

class LightModelTest : public BareCordTest {
protected:
    LightModelTest() : BareCordTest(kLightW, kLightH) {}

    void SetUp() override {
        BareCordTest::SetUp();
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
        ZQ::gGlobals.lightModel = &light;
        camera.setUp();
        light.setUp();
    }
    void TearDown() override {
        light.tearDown();
        camera.tearDown();
        BareCordTest::TearDown();
    }

    // Model-list order: the camera, then the light.
    void frame() {
        camera.doStep();
        light.doStep();
    }

    // The light's clip coordinates of a world point: Pl Vl C q.
    PVRTVec4 clip(const PVRTVec3& q) const {
        const PVRTMat4 centring = PVRTMat4::translation(-0.5f * kLightW, -0.5f * kLightH, -kLightH);
        return light.lightMatrix() * centring * PVRTVec4(q, 1.0f);
    }

    ZQ::CameraModel camera;
    ZQ::LightModel light;
};

TEST_F(LightModelTest, SetUpPlacesTheThreeItems) {
    EXPECT_EQ(light.eye->getPosition(), PVRTVec3(0.5f * kLightW, 0.6f * kLightH, 0.6f * kLightH));
    EXPECT_EQ(light.target->getPosition(), PVRTVec3());
    EXPECT_EQ(light.up->getPosition(), PVRTVec3(0.0f, 1.0f, 0.0f));
    ASSERT_EQ(light.cloudlets.size(), 3u);
    EXPECT_EQ(light.cloudlets[1], light.up);
    std::vector<ZQ::Cloudlet*> items;
    light.getCloudlets(items);
    EXPECT_EQ(items, (std::vector<ZQ::Cloudlet*>{light.eye, light.target}));
}

TEST_F(LightModelTest, LightMatrixLooksFromTheEyeAtTheTarget) {
    // Before any frame: from (W/2, 0.6 H, 0.6 H) at the origin. The target
    // lands on the centre of the light's view at the depth of its distance.
    const PVRTVec4 c = clip(PVRTVec3());
    EXPECT_NEAR(c.x / c.w, 0.0f, 1e-5f);
    EXPECT_NEAR(c.y / c.w, 0.0f, 1e-5f);
    EXPECT_NEAR(c.w, light.eye->getPosition().length(), 1e-2f);
    // A point beside the target, toward the eye's side, is off centre.
    const PVRTVec4 side = clip(PVRTVec3(0.0f, 50.0f, 0.0f));
    EXPECT_GT(std::abs(side.y / side.w), 0.01f);
}

TEST_F(LightModelTest, ProjectionIsANinetyDegreePerspectiveFromFifteenToThreeScreens) {
    const PVRTMat4 p = ZQ::LightModel::lightProjection();
    EXPECT_FLOAT_EQ(p.f[0], kLightH / kLightW);
    EXPECT_EQ(p.f[5], 1.0f);
    EXPECT_EQ(p.f[11], -1.0f);
    EXPECT_EQ(p.f[15], 0.0f);
    // Depth -1 on the near plane (15) and 1 on the far plane (3 H).
    for (float dist : {15.0f, 3.0f * kLightH}) {
        const float z = p.f[10] * -dist + p.f[14];
        const float w = dist;
        EXPECT_NEAR(z / w, dist == 15.0f ? -1.0f : 1.0f, 1e-4f);
    }
}

TEST_F(LightModelTest, FollowsTheCameraEyeFromBelowAndAimsAtTheCentre) {
    for (const PVRTVec3& centre : {PVRTVec3(0, 0, 0), PVRTVec3(200, 250, -100), PVRTVec3(-900, -400, 300)}) {
        cord.centre = centre;
        for (int i = 0; i < 20; ++i) {
            frame();
            const PVRTVec3 cameraEye = camera.eye->getPosition();
            const PVRTVec3 lightEye = light.eye->getPosition();
            ASSERT_EQ(lightEye.x, cameraEye.x);
            ASSERT_EQ(lightEye.z, cameraEye.z);
            ASSERT_EQ(lightEye.y, -0.6f * kLightH); // whatever the camera's height
            ASSERT_EQ(light.target->getPosition(), centre);
        }
    }
    EXPECT_EQ(light.up->getPosition(), PVRTVec3(0.0f, 1.0f, 0.0f));
}

} // namespace
