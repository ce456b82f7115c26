#include "BenchSupport.h"

#include "cords/Cord.h"
#include "cords/MeshBuffer.h"
#include "engine/Globals.h"
#include "game/MapController.h"
#include "levels/LevelModel.h"
#include "platform/ZQView.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"

#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

// The level map on the headless context at 750 x 1334: building one
// hologram's mesh (the knot laid and settled on the mesher's own world,
// tubes for every string, one upload), and whole map frames (every model
// steps, every pass draws, glFinish) with the five holograms of a ring
// around level 5 of 11 and the map's captions, against the same frame
// without the map.

namespace {

// The level whose knot has the most particles: one every 2 world units of
// its length.
int32_t heaviestLevel(const ZQ::LevelModel& levels) {
    int32_t best = 0;
    for (int32_t k = 1; k < levels.levelCount(); ++k) {
        if (levels.levels[static_cast<std::size_t>(k)].cord->totalLength >
            levels.levels[static_cast<std::size_t>(best)].cord->totalLength) {
            best = k;
        }
    }
    return best;
}

void BM_HoloMeshBuild(benchmark::State& state) {
    const BenchEngine engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQ::Globals& g = ZQ::gGlobals;
    const int32_t level = heaviestLevel(*g.levelModel);
    std::size_t indices = 0;
    for (auto _ : state) {
        ZQ::HoloInstance* h = g.holoModel->buildMesh(level);
        glFinish();
        indices = 0;
        for (const auto& range : h->mesh->ranges) {
            indices += static_cast<std::size_t>(range.indexCount);
        }
        delete h;
    }
    state.counters["level"] = level;
    state.counters["strings"] = g.levelModel->levels[static_cast<std::size_t>(level)].cord->strings;
    state.counters["indices"] = static_cast<double>(indices);
}
BENCHMARK(BM_HoloMeshBuild)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// Argument 1: the map with max_level 10 on level 5, run by its controller:
// five holograms about level 5 (three drawn, the two at the back
// transparent), their discs, the totals and the level lines; 0: the same
// engine's frame with no map.
void BM_MapFrame(benchmark::State& state) {
    const BenchEngine engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    ZQ::Globals& g = ZQ::gGlobals;
    g.sceneCamera = g.cameraModel;
    ZQ::HoloModel& holo = *g.holoModel;
    ZQ::MapController map;
    if (state.range(0) == 1) {
        g.levelModel->max_level = 10;
        g.levelModel->level = 5;
        g.levelModel->timerForlevel[5] = 37;
        map.setUp();
        g.masterController = &map;
    }
    // Past the fade-ins and the totals' wait and fade.
    for (int f = 0; f < 100; ++f) {
        view.drawView();
    }
    for (auto _ : state) {
        view.drawView();
        glFinish();
    }
    std::vector<ZQ::Cloudlet*> drawn;
    holo.getCloudlets(drawn);
    int made = 0;
    for (const ZQ::HoloInstance* h : holo.instances) {
        made += h != nullptr ? 1 : 0;
    }
    state.counters["holograms"] = made;
    state.counters["drawn"] = static_cast<double>(drawn.size());
    if (g.masterController == &map) {
        g.masterController = nullptr;
        map.tearDown();
    }
}
BENCHMARK(BM_MapFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace
