#include "levels/LevelModel.h"
#include "levels/PatternFunctions.h"

#include <benchmark/benchmark.h>

#include <memory>

// Building the wallpaper of the heaviest rooms, as the master controller does
// on the main thread while the award screen runs: the generator with a copy
// of the level's functions bound to a build state, then the graph's deletion
// (the relief worker's share of the cost).

namespace {

const ZQ::LevelModel& catalogue() {
    static const ZQ::LevelModel model;
    return model;
}

void BM_BuildRoomPattern(benchmark::State& state) {
    const ZQ::LevelModel::Level& record = catalogue().levels[static_cast<std::size_t>(state.range(0))];
    const int w = static_cast<int>(record.width);
    const int h = static_cast<int>(record.height);
    ZQ::PatternBuildState builds;
    std::size_t tiles = 0;
    for (auto _ : state) {
        std::unique_ptr<ZQ::PatternGraph> graph(builds.build(record.generator, w, h, record.patterns));
        tiles = graph->tiles.size();
        benchmark::DoNotOptimize(graph.get());
    }
    state.counters["tiles"] = static_cast<double>(tiles);
    state.SetLabel(record.name);
}

} // namespace

BENCHMARK(BM_BuildRoomPattern)->Arg(6)->Arg(36)->Arg(57)->Arg(58)->Unit(benchmark::kMillisecond);
