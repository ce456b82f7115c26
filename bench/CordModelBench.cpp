#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"

#include <benchmark/benchmark.h>

#include <chrono>

// The cord model's own per-frame work (mirror, projection, box, centre,
// energies and rules) on catalogue levels, with the physics not stepped so
// only the model is timed. `budget_%` is the share of one 33.3 ms frame.

namespace {

// The engine pieces the cord model reads, set up in the globals for the
// benchmark's life and restored afterwards.
class CordStage {
public:
    explicit CordStage(int level) : saved(ZQ::gGlobals) {
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
    ~CordStage() {
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

void BM_CordModelStep(benchmark::State& state) {
    CordStage stage(static_cast<int>(state.range(0)));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        stage.cord.doStep();
        benchmark::DoNotOptimize(stage.cord.energy.data());
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["particles"] = stage.cord.count;
    state.counters["strings"] = stage.cord.stringCount();
    state.counters["budget_%"] = elapsed.count() / double(state.iterations()) / (1.0 / 30.0) * 100.0;
}
// The first level, a four-string level and the last level.
BENCHMARK(BM_CordModelStep)->Arg(0)->Arg(10)->Arg(75);

} // namespace
