#include "support/CordStage.h"

#include "engine/Globals.h"

void CordStage::setUpStage() {
    ZQ::gGlobals.parallax = PVRTVec3();
    world = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kMainWorld);
    world->setUp();
    cord = std::make_unique<ZQ::CordModel>();
    ZQ::gGlobals.particleSystem1 = world.get();
    ZQ::gGlobals.cordModel = cord.get();
    ZQ::gGlobals.cameraModel = &camera;
    ZQ::gGlobals.sceneCamera = &camera;
    // The camera's set-up steps its target onto the cord model's centre, so
    // the cord model is installed before it.
    camera.setUp();
    cord->setUp();
    cord->addListener(&events);
}

void CordStage::tearDownStage() {
    camera.tearDown();
    world->tearDown();
}

void CordStage::frame() {
    world->doStep();
    camera.doStep();
    cord->doStep();
}

std::vector<std::pair<int, PVRTVec3>> CordStage::queuedForces() const {
    std::vector<std::pair<int, PVRTVec3>> out;
    for (int32_t k = 0; k < world->getTmpForceCount(); ++k) {
        const auto* force = dynamic_cast<const ZQ::Fx::ConstantForce*>(world->getTmpForce(k));
        if (force != nullptr) {
            out.emplace_back(force->i, force->force);
        }
    }
    return out;
}
