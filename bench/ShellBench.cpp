#include "BenchSupport.h"

#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "platform/ZQApplication.h"
#include "platform/ZQView.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Start-up inside a running process: the engine built, set up and its first
// frame drawn, then torn down (the GL context already exists).
void BM_ViewStartToFirstFrame(benchmark::State& state) {
    ZQEGLContext* context = headlessBenchContext(state);
    if (context == nullptr) {
        return;
    }
    const ZQ::Globals saved = ZQ::gGlobals;
    for (auto _ : state) {
        auto view =
            std::make_unique<ZQView>(*context, ZQApplication::kFramePoints, 2.0f, ZQ::DeviceProfile::get());
        // The tear-down is not part of the start.
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    ZQ::gGlobals = saved;
}
BENCHMARK(BM_ViewStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace
