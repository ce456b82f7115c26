#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"
#include "stage/ShadowModel.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

// One frame of cord meshing (every string of the cord re-meshed, no upload)
// with the cord-mesh model on one thread and on two. Argument 0 picks the
// cord: 0 the catalogue level with the most particles, as the cord model lays
// it; 1 a cord of 1024 particles (the particle world's capacity) in four
// strings. Argument 1 is the mesh thread count. `budget_%` is the time as a
// share of one 33.3 ms frame at 30 frames per second; real time, since the
// worker's share runs off the calling thread.

namespace {

constexpr int32_t kHeavyCord = 0;

void reportBudget(benchmark::State& state) {
    state.counters["budget_%"] = benchmark::Counter(
        0.0333333f / 100.0f, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The models a laid cord needs, on a 750 x 1334 screen.
struct CordScene {
    ZQ::Globals saved = ZQ::gGlobals;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::CameraModel camera;
    ZQ::CordModel cord;

    CordScene() {
        ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
        ZQ::gGlobals.particleSystem1 = &world;
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
        ZQ::gGlobals.cordModel = &cord;
        world.setUp();
        camera.setUp();
        cord.setUp();
        cord.instance->radius = 1.0f / ZQ::gGlobals.worldScale;
    }
    ~CordScene() {
        camera.tearDown();
        world.tearDown();
        ZQ::gGlobals = saved;
    }

    // The catalogue cord with the most particles, laid and mirrored as in play.
    void layHeaviestLevel() {
        ZQ::LevelModel catalogue;
        const ZQ::LevelModel::Level* heaviest = nullptr;
        for (const ZQ::LevelModel::Level& level : catalogue.levels) {
            if (heaviest == nullptr || level.cord->totalLength > heaviest->cord->totalLength) {
                heaviest = &level;
            }
        }
        cord.loadCord(*heaviest->cord, heaviest->cordSettings());
        world.doStep();
        camera.doStep();
        cord.doStep();
    }

    // A coiled cord filling the particle world, cut as the cord model cuts it.
    void layFullCord(int32_t strings) {
        constexpr int32_t n = ZQ::CordModel::kMaxParticles;
        for (int32_t i = 0; i < n; ++i) {
            const float a = 0.3f * static_cast<float>(i);
            cord.positions[i] = PVRTVec3(200.0f * std::cos(a), 1.2f * static_cast<float>(i) - 600.0f,
                                         200.0f * std::sin(0.9f * a));
        }
        cord.count = n;
        const int32_t k = n / strings;
        for (int32_t s = 0; s < strings; ++s) {
            cord.segments.push_back({s * k, s == strings - 1 ? n - 1 : (s + 1) * k - 1, s});
        }
    }
};

void BM_MeshCordFrame(benchmark::State& state) {
    CordScene scene;
    if (state.range(0) == kHeavyCord) {
        scene.layHeaviestLevel();
    } else {
        scene.layFullCord(4);
    }
    ZQ::ShadowModel model(static_cast<int32_t>(state.range(1)));
    model.loadJobs(scene.cord.segments);
    for (auto _ : state) {
        model.meshJobs();
        benchmark::ClobberMemory();
    }
    state.counters["particles"] = static_cast<double>(scene.cord.count);
    state.counters["strings"] = static_cast<double>(scene.cord.segments.size());
    reportBudget(state);
}
BENCHMARK(BM_MeshCordFrame)
    ->ArgNames({"cord", "threads"})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
