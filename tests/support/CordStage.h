#pragma once

#include "cords/CordModel.h"
#include "engine/EventListener.h"
#include "engine/physics/FxParticleSystem.h"
#include "stage/CameraModel.h"

#include <memory>
#include <utility>
#include <vector>

// Counts the cord model's solved events.
class EventCounter : public ZQ::EventListener {
public:
    void onSolved() override { ++solved; }
    void onAlmostSolved() override { ++almostSolved; }
    int solved = 0;
    int almostSolved = 0;
};

// The models a cord needs, made and installed in the engine globals: the
// main particle world, the camera (the projection) and the cord model, whose
// events `events` counts. A fixture mixes it in beside the base that saves
// and restores the globals (GlobalsTest, HeadlessGLTest) and sets up the
// stage after that base has set the screen, which the camera and the cord's
// pixels follow. The device lies still: the camera reads the parallax.
class CordStage {
protected:
    // A fresh world and cord model each time, so a test may tear the stage
    // down and set it up again to start from scratch.
    void setUpStage();
    void tearDownStage();

    // One frame of these models in model-list order.
    void frame();

    // The temporary forces queued in the main world since its last step, as
    // (particle, vector).
    std::vector<std::pair<int, PVRTVec3>> queuedForces() const;

    std::unique_ptr<ZQ::Fx::ParticleSystem> world;
    std::unique_ptr<ZQ::CordModel> cord;
    ZQ::CameraModel camera;
    EventCounter events;
};
