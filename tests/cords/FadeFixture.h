#pragma once

#include "CordModelFixture.h"
#include "cords/BraidModel.h"
#include "cords/CordModel.h"
#include "engine/Action.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"

#include <memory>

// The models a cord's fades and its braids touch, in the engine's stepping
// order: the main world, the camera, the cord model, the braid world and the
// braid model, with the level catalogue at level 0, on the headless GL
// context (the braid model uploads its mesh) and with a recording sound
// gateway in place of the real one.
class FadeFixture : public HeadlessGLTest {
protected:
    static void SetUpTestSuite() { catalogue = new ZQ::LevelModel(); }
    static void TearDownTestSuite() {
        delete catalogue;
        catalogue = nullptr;
    }

    void SetUp() override {
        HeadlessGLTest::SetUp();
        mainWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::MAIN_WORLD);
        braidWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::BRAID_WORLD);
        cord = std::make_unique<ZQ::CordModel>();
        braids = std::make_unique<ZQ::BraidModel>();
        ZQ::gGlobals.particleSystem1 = mainWorld.get();
        ZQ::gGlobals.particleSystem3 = braidWorld.get();
        ZQ::gGlobals.cordModel = cord.get();
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.braidModel = braids.get();
        ZQ::gGlobals.levelModel = catalogue;
        ZQ::gGlobals.parallax = PVRTVec3();
        catalogue->setUp();
        mainWorld->setUp();
        braidWorld->setUp();
        camera.setUp();
        cord->setUp();
        braids->setUp();
        cord->addListener(&events);
    }

    void TearDown() override {
        braids->tearDown();
        camera.tearDown();
        braidWorld->tearDown();
        mainWorld->tearDown();
        HeadlessGLTest::TearDown();
    }

    // One frame of these models in model-list order.
    void frame() {
        mainWorld->doStep();
        camera.doStep();
        cord->doStep();
        braidWorld->doStep();
        braids->doStep();
    }

    // Frames until the cord instance's tree has finished; how many it took.
    int runCordTree(int limit = 400) {
        for (int f = 1; f <= limit; ++f) {
            frame();
            if (cord->instance->getAction()->isFinished()) {
                return f;
            }
        }
        return -1;
    }

    static ZQ::LevelModel* catalogue;
    std::unique_ptr<ZQ::Fx::ParticleSystem> mainWorld;
    std::unique_ptr<ZQ::Fx::ParticleSystem> braidWorld;
    std::unique_ptr<ZQ::CordModel> cord;
    std::unique_ptr<ZQ::BraidModel> braids;
    ZQ::CameraModel camera;
    EventCounter events;
    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
};

inline ZQ::LevelModel* FadeFixture::catalogue = nullptr;
