#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"
#include "stage/ShadowModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

// One frame of cord meshing (every string of the cord re-meshed, no upload)
// with the cord-mesh model on one thread and on two. Argument 0 picks the
// cord: 0 the catalogue level with the most particles, as the cord model lays
// it; 1 a cord of 1024 particles (the particle world's capacity) in four
// strings. Argument 1 is the mesh thread count. `budget_%` is the time as a
// share of one 33.3 ms frame at 30 frames per second; real time, since the
// worker's share runs off the calling thread. The Paced variant spaces the
// frames as in play.

namespace {

constexpr int32_t kHeavyCord = 0;
constexpr int32_t kFullCord = 1;
constexpr int32_t kNoCord = 2;

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

// On a shared machine a few preempted frames move the mean a long way; the
// median frame (`median_us`) shows what the hand-over itself costs.
double median(std::vector<double>& values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double cpuMicroseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

// Lays the cord argument 0 names; kNoCord lays none, so the model has no jobs.
void layCord(CordScene& scene, int64_t which) {
    if (which == kHeavyCord) {
        scene.layHeaviestLevel();
    } else if (which == kFullCord) {
        scene.layFullCord(4);
    }
}

void BM_MeshCordFrame(benchmark::State& state) {
    CordScene scene;
    layCord(scene, state.range(0));
    ZQ::ShadowModel model(static_cast<int32_t>(state.range(1)));
    model.loadJobs(scene.cord.segments);
    std::vector<double> frameTimes;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        model.meshJobs();
        benchmark::ClobberMemory();
        frameTimes.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["median_us"] = median(frameTimes);
    state.counters["particles"] = static_cast<double>(scene.cord.count);
    state.counters["strings"] = static_cast<double>(scene.cord.segments.size());
    reportBudget(state);
}
BENCHMARK(BM_MeshCordFrame)
    ->ArgNames({"cord", "threads"})
    ->Args({kHeavyCord, 1})
    ->Args({kHeavyCord, 2})
    ->Args({kFullCord, 1})
    ->Args({kFullCord, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// 300 frames paced as in play: the calling thread is away for kFrameGap
// before each (a whole frame in the game), so every hand-over finds the
// worker asleep and pays its wake-up. Time is the meshing alone.
// `worker_cpu_us` is the CPU time per frame of every thread but the calling
// one, that is of the worker (the particle world's threads are never handed a
// step): its share of the meshing plus whatever it spends waiting, to be
// read against the gap it sleeps through. Cord kNoCord steps a model with no
// level loaded.
void BM_MeshCordFramePaced(benchmark::State& state) {
    constexpr auto kFrameGap = std::chrono::milliseconds(1);
    CordScene scene;
    layCord(scene, state.range(0));
    ZQ::ShadowModel model(static_cast<int32_t>(state.range(1)));
    model.loadJobs(scene.cord.segments);
    std::vector<double> frameTimes;
    const double processStart = cpuMicroseconds(CLOCK_PROCESS_CPUTIME_ID);
    const double callerStart = cpuMicroseconds(CLOCK_THREAD_CPUTIME_ID);
    for (auto _ : state) {
        std::this_thread::sleep_for(kFrameGap);
        const auto start = std::chrono::steady_clock::now();
        model.meshJobs();
        benchmark::ClobberMemory();
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        frameTimes.push_back(elapsed * 1e6);
    }
    const double others = (cpuMicroseconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) -
                          (cpuMicroseconds(CLOCK_THREAD_CPUTIME_ID) - callerStart);
    state.counters["worker_cpu_us"] = others / static_cast<double>(state.iterations());
    state.counters["median_us"] = median(frameTimes);
    state.counters["particles"] = static_cast<double>(scene.cord.count);
}
BENCHMARK(BM_MeshCordFramePaced)
    ->ArgNames({"cord", "threads"})
    ->Args({kHeavyCord, 1})
    ->Args({kHeavyCord, 2})
    ->Args({kFullCord, 1})
    ->Args({kFullCord, 2})
    ->Args({kNoCord, 2})
    ->Iterations(300)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
