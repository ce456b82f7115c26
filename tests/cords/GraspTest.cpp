#include "GraspFixture.h"
#include "engine/SceneCamera.h"
#include "stage/CameraModel.h"

#include <cmath>

namespace {

using ZQ::DragGrasp;
using ZQ::RotateGrasp;
using ZQ::SlideGrasp;

class GraspTest : public GraspFixture {
protected:
    // Forces queued since `from`, in the order the grasps added them.
    std::vector<std::pair<int, PVRTVec3>> forcesSince(size_t from) const {
        std::vector<std::pair<int, PVRTVec3>> all = queuedForces();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }

    // A horizontal row of particles on screen, 20 pixels apart, one string.
    void placeRow(int n) {
        std::vector<PVRTVec2> pixels;
        for (int i = 0; i < n; ++i) {
            pixels.emplace_back(180.0f + 20.0f * i, 500.0f);
        }
        placeOnScreen(pixels, {{0, n - 1, 0}});
    }
};

// The pixel step that a small move of particle i along `force` makes on screen.
PVRTVec2 screenStep(const ZQ::CordModel& cord, int i, const PVRTVec3& force) {
    const PVRTVec3 p = cord.getParticlePos(i);
    return ZQ::screenProjection(p + force * 0.01f) - ZQ::screenProjection(p);
}

TEST_F(GraspTest, DragPullsTowardTheFingerCappedAtUnitLength) {
    setCoefficients(42.0f, 50.0f, 100.0f);
    placeRow(2);
    const PVRTVec2 s = cord->screenPositions[0];

    // Exactly on the particle: no pull at all.
    DragGrasp onTop({0}, 0, 0, s);
    onTop.update();
    // Within a pixel: the delta is used as it is, a gentler pull.
    DragGrasp near({0}, 0, 0, s + PVRTVec2(0.6f, 0.0f));
    near.update();
    // Far: a unit direction, the whole coefficient.
    DragGrasp far({0}, 0, 0, s + PVRTVec2(30.0f, -40.0f));
    far.update();

    const auto forces = queuedForces();
    ASSERT_EQ(forces.size(), 3u);
    EXPECT_EQ(forces[0].first, 0);
    EXPECT_EQ(forces[0].second, PVRTVec3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(forces[1].second.length(), 0.6f * 50.0f, 1e-2f);
    EXPECT_NEAR(forces[2].second.length(), 50.0f, 1e-3f);

    // Each pull moves the particle's screen point toward the finger.
    const PVRTVec2 nearStep = screenStep(*cord, 0, forces[1].second);
    EXPECT_GT(nearStep.x, 0.0f);
    EXPECT_NEAR(nearStep.y / nearStep.length(), 0.0f, 1e-2f);
    const PVRTVec2 farStep = screenStep(*cord, 0, forces[2].second);
    EXPECT_NEAR(farStep.x / farStep.length(), 0.6f, 1e-2f);
    EXPECT_NEAR(farStep.y / farStep.length(), -0.8f, 1e-2f);
}

// A camera that looks at the cord from above and to the side, as the room
// camera does when it leans after the cord's centre or the parallax.
class LeaningCamera final : public ZQ::SceneCamera {
public:
    PVRTMat4 viewMatrix() const override {
        return ZQ::CameraModel::lookAt(PVRTVec3(400.0f, 300.0f, 1200.0f), PVRTVec3(0.0f, 0.0f, 0.0f),
                                       PVRTVec3(0.0f, 1.0f, 0.0f));
    }
    void spotPopIn() override {}
};

TEST_F(GraspTest, DragUnderALeaningCameraStaysInTheXYPlaneAndStillPullsTowardTheFinger) {
    LeaningCamera leaning;
    ZQ::SceneCamera* room = ZQ::gGlobals.sceneCamera;
    ZQ::gGlobals.sceneCamera = &leaning;
    setCoefficients(42.0f, 42.0f, 100.0f);
    placeRow(2);
    const PVRTVec2 s = cord->screenPositions[0];
    // Four directions on screen: each pull lies flat and each moves the
    // particle's screen point closer to the finger.
    for (const PVRTVec2 offset :
         {PVRTVec2(60.0f, 0.0f), PVRTVec2(-60.0f, 0.0f), PVRTVec2(0.0f, 60.0f), PVRTVec2(-40.0f, -45.0f)}) {
        const size_t before = queuedForces().size();
        DragGrasp grasp({0}, 0, 0, s + offset);
        grasp.update();
        const auto forces = forcesSince(before);
        ASSERT_EQ(forces.size(), 1u);
        EXPECT_EQ(forces[0].second.z, 0.0f);
        EXPECT_GT(forces[0].second.length(), 0.0f);
        const PVRTVec2 step = screenStep(*cord, 0, forces[0].second);
        EXPECT_GT(step.dot(offset), 0.0f) << offset.x << ", " << offset.y;
    }
    ZQ::gGlobals.sceneCamera = room;
}

TEST_F(GraspTest, DragPushesEveryHeldParticleAlongTheFirstOnesDelta) {
    setCoefficients(42.0f, 42.0f, 100.0f);
    placeRow(3);
    // The delta is measured from particle 0, the smallest held index.
    const PVRTVec2 finger = cord->screenPositions[0] + PVRTVec2(0.0f, 100.0f);
    DragGrasp grasp({2, 0}, 0, 0, finger);
    grasp.update();
    const auto forces = queuedForces();
    ASSERT_EQ(forces.size(), 2u);
    EXPECT_EQ(forces[0].first, 0);
    EXPECT_EQ(forces[1].first, 2);
    EXPECT_EQ(forces[0].second, forces[1].second);
    EXPECT_NEAR(forces[0].second.length(), 42.0f, 1e-3f);
    const PVRTVec2 step = screenStep(*cord, 0, forces[0].second);
    EXPECT_NEAR(step.y / step.length(), 1.0f, 1e-3f);
}

TEST_F(GraspTest, SlideOfThreeParticlesPushesTheSameTwoAllThirtyOneFrames) {
    setCoefficients(7.0f, 42.0f, 100.0f);
    placeRow(3);
    grasps.admit(new SlideGrasp(1, 1, PVRTVec2(1.0f, 0.0f), {0, 1, 2}));
    const PVRTVec3 along12 = ZQ::capAtUnit(cord->getParticlePos(2) - cord->getParticlePos(1)) * 7.0f;
    const PVRTVec3 along01 = ZQ::capAtUnit(cord->getParticlePos(1) - cord->getParticlePos(0)) * 7.0f;

    for (int update = 0; update < 31; ++update) {
        ASSERT_EQ(grasps.count(), 1);
        const auto* grasp = static_cast<const SlideGrasp*>(grasps.grasps.front());
        const size_t before = queuedForces().size();
        grasps.doStep();
        const auto forces = forcesSince(before);
        ASSERT_EQ(forces.size(), 2u) << update;
        EXPECT_EQ(forces[0].first, 2);
        EXPECT_EQ(forces[1].first, 1);
        expectNear(forces[0].second, along12);
        expectNear(forces[1].second, along01);
        if (update < 30) {
            EXPECT_EQ(grasp->cursor, 0) << update;
        }
    }
    EXPECT_EQ(grasps.count(), 0);
}

TEST_F(GraspTest, SlideFrontWalksOneParticleEveryThirdFrameAtMostTenTimes) {
    setCoefficients(7.0f, 42.0f, 100.0f);
    for (int length : {15, 8}) {
        SCOPED_TRACE(length);
        grasps.removeAllGrasps();
        world->tearDown();
        world->setUp();
        placeRow(length);
        // Down the indices: the path is the particles in descending order.
        std::vector<int> path;
        for (int i = length - 1; i >= 0; --i) {
            path.push_back(i);
        }
        auto* grasp = new SlideGrasp(length - 2, -1, PVRTVec2(-1.0f, 0.0f), path);
        grasps.admit(grasp);

        int front = 0; // the cursor before each update
        for (int life = 29; life >= -1; --life) {
            const size_t before = queuedForces().size();
            const int cursorBefore = grasp->cursor;
            grasps.doStep();
            EXPECT_EQ(cursorBefore, front) << "life " << life;
            const auto forces = forcesSince(before);
            ASSERT_EQ(forces.size(), 2u);
            EXPECT_EQ(forces[0].first, path[static_cast<size_t>(front) + 2]);
            EXPECT_EQ(forces[1].first, path[static_cast<size_t>(front) + 1]);
            // The push runs down the indices: toward smaller screen x here.
            EXPECT_LT(forces[0].second.length(), 7.0f + 1e-4f);
            if (life >= 0) {
                EXPECT_EQ(grasp->cursor, front + (life % 3 == 0 && front < length - 3 ? 1 : 0)) << life;
                front = grasp->cursor;
            }
        }
        EXPECT_EQ(front, std::min(10, length - 3));
    }
}

TEST_F(GraspTest, IdentityRotationAddsZeroForceOnEveryParticle) {
    setCoefficients(42.0f, 42.0f, 130.0f);
    placeRow(6);
    RotateGrasp grasp(PVRTMat4::identity());
    grasp.update();
    const auto forces = queuedForces();
    ASSERT_EQ(forces.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(forces[static_cast<size_t>(i)].first, i);
        EXPECT_EQ(forces[static_cast<size_t>(i)].second, PVRTVec3(0.0f, 0.0f, 0.0f));
    }
}

// A quarter turn about z through the cord's centre: a particle 10 pixels to
// the right of the centre is pushed up and to the left, a particle on the
// centre not at all; the push eases from the coefficient to exactly 1.
TEST_F(GraspTest, RotationTurnsAboutTheCentreAndEasesToOne) {
    for (float kr : {3.0f, 1.0f}) {
        SCOPED_TRACE(kr);
        grasps.removeAllGrasps();
        world->tearDown();
        world->setUp();
        setCoefficients(42.0f, 42.0f, kr);
        placeRow(2);
        cord->centre = cord->getParticlePos(0);
        cord->getParticleRef(1) = cord->centre + PVRTVec3(10.0f, 0.0f, 0.0f);

        PVRTMat4 quarter = PVRTMat4::identity();
        quarter(0, 0) = 0.0f;
        quarter(0, 1) = -1.0f;
        quarter(1, 0) = 1.0f;
        quarter(1, 1) = 0.0f;
        auto* grasp = new RotateGrasp(quarter);
        grasps.admit(grasp);

        std::vector<float> factors;
        for (int update = 0; update < 16; ++update) {
            const size_t before = queuedForces().size();
            grasps.doStep();
            const auto forces = forcesSince(before);
            ASSERT_EQ(forces.size(), 2u);
            expectNear(forces[0].second, PVRTVec3(0.0f, 0.0f, 0.0f));
            const PVRTVec3 push = forces[1].second;
            EXPECT_NEAR(push.x, -push.y, 1e-4f);
            EXPECT_GT(push.y, 0.0f);
            EXPECT_NEAR(push.z, 0.0f, 1e-4f);
            factors.push_back(push.length());
        }
        EXPECT_EQ(grasps.count(), 0);
        EXPECT_FLOAT_EQ(factors.front(), 1.0f + (kr - 1.0f) * 15.0f / 16.0f);
        EXPECT_FLOAT_EQ(factors.back(), 1.0f);
        for (size_t k = 1; k < factors.size(); ++k) {
            EXPECT_LE(factors[k], factors[k - 1] + 1e-6f);
        }
    }
}

} // namespace
