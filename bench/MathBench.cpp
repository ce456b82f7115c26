#include <vector>

#include <benchmark/benchmark.h>

#include "engine/Globals.h"
#include "engine/MathHelpers.h"

namespace {

// The cord model projects every particle of the cord once a frame.
void BM_ProjectCordParticles(benchmark::State& state) {
    const ZQ::Globals saved = ZQ::gGlobals;
    ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
    std::vector<PVRTVec3> points;
    for (int i = 0; i < 1000; ++i) {
        points.emplace_back(static_cast<float>(i % 50) * 15.0f, static_cast<float>(i / 50) * 60.0f, 10.0f);
    }
    const PVRTMat4 view = PVRTMat4::translation(5.0f, -3.0f, 20.0f);
    for (auto _ : state) {
        for (const PVRTVec3& p : points) {
            benchmark::DoNotOptimize(ZQ::projectPoint(view, p, false));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
    ZQ::gGlobals = saved;
}
BENCHMARK(BM_ProjectCordParticles);

// Taps on tiles unproject one point at two depths.
void BM_UnprojectLineOfSight(benchmark::State& state) {
    const ZQ::Globals saved = ZQ::gGlobals;
    ZQ::gGlobals.setScreenSize(750.0f, 1334.0f);
    const PVRTMat4 view = PVRTMat4::translation(5.0f, -3.0f, 20.0f);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZQ::unprojectPoint(view, 100.0f, 200.0f, 0.0f));
        benchmark::DoNotOptimize(ZQ::unprojectPoint(view, 100.0f, 200.0f, 1.0f));
    }
    ZQ::gGlobals = saved;
}
BENCHMARK(BM_UnprojectLineOfSight);

} // namespace
