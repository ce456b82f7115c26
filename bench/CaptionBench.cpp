#include "BenchSupport.h"

#include "constants/ResourceNames.h"
#include "engine/Globals.h"
#include "overlays/CaptionBox.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const char* const kLanguages[] = {"en", "it", "fr", "de", "ja"};

// Every caption of one language from nothing: the list read and flattened,
// each of the 319 captions laid out, rasterised and uploaded, then released.
void BM_CaptionsOfOneLanguageCold(benchmark::State& state) {
    if (headlessBenchContext(state) == nullptr) {
        return;
    }
    ZQ::gGlobals.language = kLanguages[state.range(0)];
    const std::vector<std::string> names = ZQ::collectableCaptionNames();
    for (auto _ : state) {
        ZQ::CaptionBox box;
        box.setUp();
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(box.getCaption(name));
        }
        box.tearDown();
    }
    state.SetLabel(ZQ::gGlobals.language);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
    ZQ::gGlobals.language.clear();
}
BENCHMARK(BM_CaptionsOfOneLanguageCold)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// One caption given a new text, as the map does with the knot's name at
// every step: rendered again and swapped under its entry.
void BM_SetCaption(benchmark::State& state) {
    if (headlessBenchContext(state) == nullptr) {
        return;
    }
    ZQ::gGlobals.language = kLanguages[state.range(0)];
    ZQ::CaptionBox box;
    box.setUp();
    const std::string names[] = {"Sedisa", "Eriorusas"};
    int i = 0;
    for (auto _ : state) {
        box.setCaption(ZQ::ResourceNames::knots_name, names[i++ & 1]);
    }
    box.tearDown();
    state.SetLabel(ZQ::gGlobals.language);
    ZQ::gGlobals.language.clear();
}
BENCHMARK(BM_SetCaption)->Arg(0)->Arg(4)->Unit(benchmark::kMicrosecond);

} // namespace
