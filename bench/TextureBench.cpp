#include "render/PVRTDecompress.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

// The software PVRTC decoder on a 1024 x 1024 texture, the largest the game
// ships, at 4 bits per pixel (argument 4) and 2 (argument 2). Random blocks
// mix every modulation mode. It runs once per image at load time on a GL
// without PVRTC (every Mesa driver), so the time is load time per texture.
namespace {

void BM_PvrtcDecode1024(benchmark::State& state) {
    const bool twoBit = state.range(0) == 2;
    constexpr uint32_t kEdge = 1024;
    std::vector<uint8_t> blocks(kEdge * kEdge * (twoBit ? 2 : 4) / 8);
    std::mt19937 random(1024);
    for (uint8_t& b : blocks) {
        b = static_cast<uint8_t>(random());
    }
    std::vector<uint8_t> rgba(std::size_t{kEdge} * kEdge * 4);
    for (auto _ : state) {
        ZQ::PVRTDecompressPVRTC(blocks.data(), twoBit, kEdge, kEdge, rgba.data());
        benchmark::DoNotOptimize(rgba.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(kEdge * kEdge / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PvrtcDecode1024)->Arg(4)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
