#pragma once

#include "CordModelFixture.h"
#include "cords/BraidModel.h"
#include "engine/Action.h"
#include "engine/physics/FxParticleSystem.h"
#include "support/CatalogueSuite.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"

#include <memory>

// The models a cord's fades and its braids touch, in the engine's stepping
// order: the cord stage, then the braid world and the braid model, with the
// level catalogue at level 0, on the headless GL context (the braid model
// uploads its mesh) and with a recording sound gateway in place of the real
// one.
class FadeFixture : public CatalogueSuite<HeadlessGLTest>, protected CordStage {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        setUpStage();
        braidWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kBraidWorld);
        braids = std::make_unique<ZQ::BraidModel>();
        ZQ::gGlobals.particleSystem3 = braidWorld.get();
        ZQ::gGlobals.braidModel = braids.get();
        braidWorld->setUp();
        braids->setUp();
    }

    void TearDown() override {
        braids->tearDown();
        braidWorld->tearDown();
        tearDownStage();
        CatalogueSuite::TearDown();
    }

    // One frame of these models in model-list order.
    void frame() {
        CordStage::frame();
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

    std::unique_ptr<ZQ::Fx::ParticleSystem> braidWorld;
    std::unique_ptr<ZQ::BraidModel> braids;
    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
};
