#include "BenchCordStage.h"
#include "cords/GraspFactoryDriver.h"
#include "cords/GraspModel.h"

#include <benchmark/benchmark.h>

// Many touches beginning in one frame of level 0, as a replayed input file
// can give them (no screen does): each new touch looks for the smallest free
// id, selects its particle and makes its first drag grasp. Arguments: the id
// search (0 the plain reference, 1 the marked search the game runs) and the
// number of touches. Lifting them all again is not timed.

namespace {

void BM_TouchesBeganInOneFrame(benchmark::State& state) {
    BenchCordStage stage(0);
    ZQ::GraspModel grasps;
    ZQ::gGlobals.graspModel = &grasps;
    const auto search = state.range(0) == 0 ? ZQ::TouchIdSearch::Plain : ZQ::TouchIdSearch::Marked;
    const int touches = static_cast<int>(state.range(1));
    for (auto _ : state) {
        ZQ::GraspFactoryDriver driver(grasps);
        driver.setTouchIdSearch(search);
        driver.setUp();
        // A grid of points over the screen, one a touch, wrapping round.
        for (int k = 0; k < touches; ++k) {
            const PVRTVec2 point(static_cast<float>(k % 64) * 10.0f,
                                 static_cast<float>(k / 64 % 113) * 10.0f);
            benchmark::DoNotOptimize(driver.touchBegan(point, 20.0f, false));
        }
        state.PauseTiming();
        driver.tearDown();
        grasps.removeAllGrasps();
        state.ResumeTiming();
    }
    state.counters["touches_per_s"] = benchmark::Counter(
        static_cast<double>(touches) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TouchesBeganInOneFrame)
    ->ArgsProduct({{0, 1}, {500, 2500}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
