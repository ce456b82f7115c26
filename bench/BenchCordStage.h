#pragma once

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"

// The engine pieces the cord model reads, with a catalogue level's cord laid,
// set up in the globals for the benchmark's life and restored afterwards.
//
// Ownership: owns its models. Threads: main thread.
class BenchCordStage {
public:
    explicit BenchCordStage(int level) : saved(ZQ::gGlobals) {
        ZQ::gGlobals.setScreenSize(640.0f, 1136.0f);
        world.setUp();
        ZQ::gGlobals.particleSystem1 = &world;
        ZQ::gGlobals.levelModel = &catalogue;
        ZQ::gGlobals.cordModel = &cord;
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
        catalogue.setUp();
        catalogue.level = level;
        camera.setUp();
        cord.setUp();
        cord.loadCord(*catalogue.currentLevel().cord, catalogue.currentLevel().cordSettings());
        cord.measureEnergies();
    }
    ~BenchCordStage() {
        camera.tearDown();
        world.tearDown();
        ZQ::gGlobals = saved;
    }

    ZQ::Globals saved;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::LevelModel catalogue;
    ZQ::CameraModel camera;
    ZQ::CordModel cord;
};
