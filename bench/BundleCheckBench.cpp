#include "engine/Bundle.h"
#include "engine/DeviceProfile.h"
#include "overlays/CaptionBox.h"
#include "overlays/ZQCaptionGenerator.h"
#include "platform/ZQBundleCheck.h"

#include <benchmark/benchmark.h>

#include <string>

// The start-up check of the built bundle, as the game makes it before its
// window opens. Argument 0 is the check's earlier work, kept here to compare
// with: a look for each picture, texture, model and the captions list, then
// the captions list read. Argument 1 is the check itself, which also reads
// every one of those files by its reader's rules. The bundle is in the
// disk cache after the first pass, as it is at a player's second start.
namespace {

bool presenceAndCaptions(const std::string& folder, int32_t scale) {
    for (const ZQBundleCheck::NeededFile& file : ZQBundleCheck::neededFiles(scale)) {
        if (ZQ::pathForResourceIn(folder, file.file, "").empty()) {
            return false;
        }
    }
    ZQ::ZQCaptionGenerator captions(ZQ::CaptionBox::kCaptionsList, scale);
    captions.load(ZQ::pathForResourceIn(folder, ZQ::CaptionBox::kCaptionsList, "plist"));
    return !captions.captionAttrs().empty();
}

void BM_BundleCheck(benchmark::State& state) {
    const std::string& folder = ZQ::bundleFolder();
    const int32_t scale = ZQ::DeviceProfile::get().captionScale;
    const bool whole = state.range(0) == 1;
    for (auto _ : state) {
        const bool ok = whole ? !ZQBundleCheck::check(folder, ZQ::bundleOrigin(), scale).has_value()
                              : presenceAndCaptions(folder, scale);
        if (!ok) {
            state.SkipWithError("the built bundle does not pass its check");
            break;
        }
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_BundleCheck)->ArgName("reads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
