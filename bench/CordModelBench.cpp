#include "BenchCordStage.h"
#include "cords/CordModel.h"

#include <benchmark/benchmark.h>

#include <chrono>

// The cord model's own per-frame work (mirror, projection, box, centre,
// energies and rules) on catalogue levels, with the physics not stepped so
// only the model is timed. `budget_%` is the share of one 33.3 ms frame.

namespace {

void BM_CordModelStep(benchmark::State& state) {
    BenchCordStage stage(static_cast<int>(state.range(0)));
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
