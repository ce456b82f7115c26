#pragma once

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "cords/KnotGenerator.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "stage/CameraModel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <vector>

// A knot generator that hands back the points it was given: cords of a
// known shape and an exact length.
class PolylineKnot : public ZQ::KnotGenerator {
public:
    explicit PolylineKnot(std::vector<PVRTVec3> pts) : points(std::move(pts)) {}
    void generate(std::vector<PVRTVec3>& out) override {
        out.insert(out.end(), points.begin(), points.end());
    }

private:
    std::vector<PVRTVec3> points;
};

// A cord along the polyline, scaled by exactly 1 (the target size is the
// farthest point's distance from the origin).
inline std::unique_ptr<ZQ::Cord> makeCord(const std::vector<PVRTVec3>& points, int strings, bool settle) {
    float farthest = 0.0f;
    for (const PVRTVec3& p : points) {
        farthest = std::max(farthest, p.length());
    }
    auto cord = std::make_unique<ZQ::Cord>(farthest, PVRTVec3(), strings, settle, new PolylineKnot(points));
    cord->build();
    return cord;
}

// A straight cord of the given length along +x from the origin.
inline std::unique_ptr<ZQ::Cord> makeLine(float length, int strings = 1, bool settle = false) {
    return makeCord({PVRTVec3(0, 0, 0), PVRTVec3(length, 0, 0)}, strings, settle);
}

class EventCounter : public ZQ::EventListener {
public:
    void onSolved() override { ++solved; }
    void onAlmostSolved() override { ++almostSolved; }
    int solved = 0;
    int almostSolved = 0;
};

// The models a cord needs in the engine's order: the main particle world,
// the camera (the projection) and the cord model, on a 640 x 1136 screen.
class CordModelFixture : public ::testing::Test {
protected:
    static constexpr float kW = 640.0f;
    static constexpr float kH = 1136.0f;

    void SetUp() override {
        saved = ZQ::gGlobals;
        ZQ::gGlobals.setScreenSize(kW, kH);
        ZQ::gGlobals.parallax = PVRTVec3();
        world = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::MAIN_WORLD);
        world->setUp();
        cord = std::make_unique<ZQ::CordModel>();
        ZQ::gGlobals.particleSystem1 = world.get();
        ZQ::gGlobals.cordModel = cord.get();
        ZQ::gGlobals.cameraModel = &camera;
        camera.setUp();
        cord->setUp();
        cord->addListener(&events);
    }

    void TearDown() override {
        camera.tearDown();
        world->tearDown();
        ZQ::gGlobals = saved;
    }

    // One frame of the models this fixture holds, in model-list order.
    void frame() {
        world->doStep();
        camera.doStep();
        cord->doStep();
    }

    // Particles placed by hand (world units), with no constraints, and the
    // strings over them; energies are live. Nothing moves unless stepped.
    void placeParticles(const std::vector<PVRTVec3>& points,
                        const std::vector<ZQ::CordModel::Segment>& strings) {
        for (const PVRTVec3& p : points) {
            world->addParticle(p);
        }
        cord->segments = strings;
        cord->energy.assign(strings.size(), 0.0f);
        cord->startEnergy.assign(strings.size(), 0.0f);
        cord->energyFlag = true;
    }

    ZQ::Globals saved;
    std::unique_ptr<ZQ::Fx::ParticleSystem> world;
    std::unique_ptr<ZQ::CordModel> cord;
    ZQ::CameraModel camera;
    EventCounter events;
};
