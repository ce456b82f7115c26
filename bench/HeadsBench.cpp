#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "cords/GraspModel.h"
#include "cords/GridModel.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/Random.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"

#include <benchmark/benchmark.h>

#include <chrono>

// One frame of the heads (grab and fear detection, the sight pass over the
// grid, re-planning and one tick of every tree) and of the grid rebuild, on
// the four-string catalogue level with the most particles: eight heads. The
// physics, camera and cord steps of each frame run untimed (manual time), so
// the knot keeps moving under the heads' pushes as in play. `budget_%` is the
// time as a share of one 33.3 ms frame at 30 frames per second. The random
// source is seeded, so every run plays the same frames.

namespace {

void reportBudget(benchmark::State& state) {
    state.counters["budget_%"] = benchmark::Counter(
        0.0333333f / 100.0f, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

using Clock = std::chrono::steady_clock;

struct HeadScene {
    ZQ::Globals saved = ZQ::gGlobals;
    ZQ::LevelModel catalogue;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::GraspModel grasps;
    ZQ::CameraModel camera;
    ZQ::CordModel cord;
    ZQ::HeadModel heads;
    ZQ::GridModel grid;

    HeadScene() {
        ZQ::seedRandom(20261207);
        ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
        ZQ::gGlobals.levelModel = &catalogue;
        ZQ::gGlobals.particleSystem1 = &world;
        ZQ::gGlobals.graspModel = &grasps;
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
        ZQ::gGlobals.cordModel = &cord;
        ZQ::gGlobals.headModel = &heads;
        ZQ::gGlobals.gridModel = &grid;
        catalogue.setUp();
        world.setUp();
        camera.setUp();
        cord.setUp();
        grid.setUp();

        // The heaviest cord among the levels of four strings.
        int32_t heaviest = -1;
        for (int32_t i = 0; i < catalogue.levelCount(); ++i) {
            const ZQ::Cord* knot = catalogue.levels[i].cord;
            if (knot->strings == 4 &&
                (heaviest < 0 || knot->totalLength > catalogue.levels[heaviest].cord->totalLength)) {
                heaviest = i;
            }
        }
        catalogue.level = heaviest;
        cord.loadCord(*catalogue.levels[heaviest].cord, catalogue.levels[heaviest].cordSettings());
        cord.measureEnergies();
        stepCord();
        grid.doStep();
        heads.createHeads();
        // A second of play, so the trees are under way.
        for (int f = 0; f < 30; ++f) {
            stepCord();
            heads.doStep();
            grid.doStep();
        }
    }

    ~HeadScene() {
        heads.clearHeads();
        grid.tearDown();
        camera.tearDown();
        world.tearDown();
        ZQ::gGlobals = saved;
    }

    void stepCord() {
        grasps.doStep();
        world.doStep();
        camera.doStep();
        cord.doStep();
    }
};

// Seconds taken by f().
template <class F> double seconds(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_HeadsAndGridFrame(benchmark::State& state) {
    HeadScene scene;
    for (auto _ : state) {
        scene.stepCord();
        state.SetIterationTime(seconds([&] {
            scene.heads.doStep();
            scene.grid.doStep();
        }));
    }
    reportBudget(state);
    state.counters["heads"] = static_cast<double>(scene.heads.heads.size());
    state.counters["particles"] = scene.cord.count;
}
BENCHMARK(BM_HeadsAndGridFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_HeadsFrame(benchmark::State& state) {
    HeadScene scene;
    for (auto _ : state) {
        scene.stepCord();
        state.SetIterationTime(seconds([&] { scene.heads.doStep(); }));
        scene.grid.doStep();
    }
    reportBudget(state);
}
BENCHMARK(BM_HeadsFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_GridFrame(benchmark::State& state) {
    HeadScene scene;
    for (auto _ : state) {
        scene.stepCord();
        scene.heads.doStep();
        state.SetIterationTime(seconds([&] { scene.grid.doStep(); }));
    }
    reportBudget(state);
}
BENCHMARK(BM_GridFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The whole frame of the cords and heads (physics, camera, cord, heads,
// grid), for the heads' share of it.
void BM_CordFrameWithHeads(benchmark::State& state) {
    HeadScene scene;
    for (auto _ : state) {
        scene.stepCord();
        scene.heads.doStep();
        scene.grid.doStep();
    }
    reportBudget(state);
}
BENCHMARK(BM_CordFrameWithHeads)->Unit(benchmark::kMicrosecond);

} // namespace
