#include "cords/SlideAction.h"
#include "GraspFixture.h"
#include "engine/Cloudlet.h"

namespace {

using ZQ::Action;
using ZQ::SlideAction;

class SlideActionTest : public GraspFixture {
protected:
    // Four particles on x at 0, 10, 20 and 40 pixels (the last gap is twice the others).
    void placeLine() {
        placeParticles({PVRTVec3(), PVRTVec3(), PVRTVec3(), PVRTVec3()}, {{0, 3, 0}});
        cord->count = 4;
        const float xs[] = {0.0f, 10.0f, 20.0f, 40.0f};
        for (int i = 0; i < 4; ++i) {
            cord->getParticleRef(i) = PVRTVec3(xs[i], 5.0f, -1.0f);
        }
    }

    ZQ::Cloudlet marker;
};

TEST_F(SlideActionTest, WalksThePathFromFirstToLastInItsFrames) {
    placeLine();
    auto* action = new SlideAction({0, 1, 2, 3}, 1, 6);
    marker.setAction(action);

    // Particle j sits at parameter j / 3; t runs 0, 1/6, ..., 5/6.
    const float expectedX[] = {0.0f, 5.0f, 10.0f, 15.0f, 20.0f, 30.0f};
    for (float x : expectedX) {
        marker.step();
        EXPECT_EQ(action->getState(), Action::Running);
        EXPECT_NEAR(marker.layout.position.x, x, 1e-4f);
        EXPECT_NEAR(marker.layout.position.y, 5.0f, 1e-6f);
        EXPECT_NEAR(marker.layout.position.z, -1.0f, 1e-6f);
    }
    marker.step();
    EXPECT_EQ(action->getState(), Action::Success);
    EXPECT_NEAR(marker.layout.position.x, 30.0f, 1e-4f); // the finishing tick moves nothing
}

TEST_F(SlideActionTest, ANegativeSignWalksDownTheIndicesAndFollowsTheMovingCord) {
    placeLine();
    auto* action = new SlideAction({0, 1, 2, 3}, -1, 3);
    marker.setAction(action);
    marker.step(); // t = 0: particle 3
    EXPECT_NEAR(marker.layout.position.x, 40.0f, 1e-4f);

    // The path is read anew each frame: moving particle 2 moves the marker.
    cord->getParticleRef(2).x = 26.0f;
    marker.step(); // t = 1/3: particle 2
    EXPECT_NEAR(marker.layout.position.x, 26.0f, 1e-4f);
    marker.step(); // t = 2/3: particle 1
    EXPECT_NEAR(marker.layout.position.x, 10.0f, 1e-4f);
    marker.step();
    EXPECT_EQ(action->getState(), Action::Success);
}

TEST_F(SlideActionTest, DegenerateInputsNeitherDivideByZeroNorHang) {
    placeLine();
    // One particle: the marker rests on it.
    auto* single = new SlideAction({2}, 1, 2);
    marker.setAction(single);
    marker.step();
    EXPECT_EQ(marker.layout.position, PVRTVec3(20.0f, 5.0f, -1.0f));

    // No particles: the marker stays where it is and the action still ends.
    marker.layout.position = PVRTVec3(7.0f, 7.0f, 7.0f);
    auto* empty = new SlideAction({}, 1, 2);
    marker.setAction(empty);
    marker.step();
    marker.step();
    EXPECT_EQ(marker.layout.position, PVRTVec3(7.0f, 7.0f, 7.0f));
    marker.step();
    EXPECT_EQ(empty->getState(), Action::Success);

    // No frames: shown once, then done.
    auto* instant = new SlideAction({0, 1}, 1, 0);
    marker.setAction(instant);
    marker.step();
    EXPECT_EQ(marker.layout.position, PVRTVec3(0.0f, 5.0f, -1.0f));
    marker.step();
    EXPECT_EQ(instant->getState(), Action::Success);
}

} // namespace
