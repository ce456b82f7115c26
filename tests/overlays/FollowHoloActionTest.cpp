#include "overlays/FollowHoloAction.h"

#include "engine/Cloudlet.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

namespace {

using ZQ::FollowHoloAction;
using ZQ::HoloInstance;

// A hologram held in slot 4 of a hologram model (without meshes), its box
// 300 pixels high, and a disc following it.
class FollowHoloActionTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.holoModel = &model;
        model.instances.assign(8, nullptr);
        hologram = new HoloInstance(4);
        model.instances[4] = hologram;
        hologram->corners[0] = PVRTVec3(-50.0f, -100.0f, -20.0f);
        hologram->corners[7] = PVRTVec3(70.0f, 200.0f, 40.0f);
        hologram->layout.position = PVRTVec3(10.0f, 20.0f, 300.0f);
        hologram->layout.angles = PVRTVec3(0.1f, 2.0f, 0.3f);
        hologram->layout.orientation = PVRTQuaternion(0.0f, 0.6f, 0.0f, 0.8f);
        hologram->layout.scale = 2.0f;
        hologram->baseLayout.scale = 0.4f;
        hologram->layout.alpha = 0.8f;
        disc.layout.scale = 7.0f;
        disc.setAction(new FollowHoloAction(hologram));
    }

    ZQ::HoloModel model;
    HoloInstance* hologram = nullptr; // the model's
    ZQ::Cloudlet disc;
};

TEST_F(FollowHoloActionTest, TheDiscRidesTheScanLineBelowTheHologram) {
    const float h = ZQ::gGlobals.screenSize.y;
    for (float phase : {0.0f, 0.5f, 1.0f}) {
        hologram->scannerPhase = phase;
        EXPECT_EQ(disc.getAction()->tick(), ZQ::Action::Running);
        // Drawn height 2 x 0.4 x 300 = 240 pixels.
        EXPECT_FLOAT_EQ(disc.layout.position.y, 20.0f - 0.01f * h + 240.0f * (phase - 0.5f)) << phase;
        EXPECT_EQ(disc.layout.position.x, 10.0f);
        EXPECT_EQ(disc.layout.position.z, 300.0f);
        EXPECT_EQ(disc.layout.angles, hologram->layout.angles);
        EXPECT_EQ(disc.layout.orientation, hologram->layout.orientation);
        EXPECT_EQ(disc.layout.scale, 1.0f);
        EXPECT_FLOAT_EQ(disc.layout.alpha, 0.6f);
    }
    // It follows the hologram wherever it goes, for as long as it lives.
    hologram->layout.position.x = -33.0f;
    hologram->layout.alpha = 0.0f;
    for (int f = 0; f < 100; ++f) {
        ASSERT_EQ(disc.getAction()->tick(), ZQ::Action::Running);
    }
    EXPECT_EQ(disc.layout.position.x, -33.0f);
    EXPECT_EQ(disc.layout.alpha, 0.0f);
}

TEST_F(FollowHoloActionTest, AFreedHologramEndsTheFollowWithoutBeingRead) {
    disc.getAction()->tick();
    const ZQ::Layout last = disc.layout;
    delete hologram;
    model.instances[4] = nullptr;
    EXPECT_EQ(disc.getAction()->tick(), ZQ::Action::Success);
    EXPECT_EQ(disc.layout, last);
}

} // namespace
