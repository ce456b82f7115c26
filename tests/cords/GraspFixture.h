#pragma once

#include "CordModelFixture.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "engine/MathHelpers.h"
#include "levels/LevelModel.h"
#include "support/CatalogueSuite.h"

#include <vector>

// The cord fixture plus the grasp model and the level catalogue (level 0 is
// current; the cord starts with the base record's coefficients), stepped in the engine's model order: grasps,
// world, camera, cord. The camera is only stepped by frame(), so between frames every projection is fixed and
// particles can be put where the screen should show them.
class GraspFixture : public CatalogueSuite<CordModelFixture> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        ZQ::gGlobals.graspModel = &grasps;
    }

    void TearDown() override {
        grasps.tearDown();
        CatalogueSuite::TearDown();
    }

    // The grasp coefficients of the cord laid (as a level would hand them over).
    void setCoefficients(float slide, float drag, float rotate) {
        cord->settings.slide = slide;
        cord->settings.drag = drag;
        cord->settings.rotate = rotate;
    }

    void frame() {
        grasps.doStep();
        CordModelFixture::frame();
    }

    // The cord model's pixel point that the camera shows at `pixel`, at depth z.
    static PVRTVec3 pointAt(const PVRTVec2& pixel, float z) {
        const PVRTMat4 view = ZQ::currentView();
        const PVRTVec3 a = ZQ::unprojectPoint(view, pixel.x, pixel.y, 0.0f);
        const PVRTVec3 b = ZQ::unprojectPoint(view, pixel.x, pixel.y, 0.5f);
        return a + (b - a) * ((z - a.z) / (b.z - a.z));
    }

    // One particle per pixel, all at depth z unless `depths` says otherwise,
    // cut into the given strings; then the cord model mirrors them, so its
    // positions and stored screen positions hold.
    void placeOnScreen(const std::vector<PVRTVec2>& pixels,
                       const std::vector<ZQ::CordModel::Segment>& strings, float z = 0.0f,
                       const std::vector<float>& depths = {}) {
        std::vector<PVRTVec3> points;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const float depth = i < depths.size() ? depths[i] : z;
            points.push_back(pointAt(pixels[i], depth) * ZQ::gGlobals.worldScale);
        }
        placeParticles(points, strings);
        cord->doStep();
    }

    ZQ::GraspModel grasps;
};
