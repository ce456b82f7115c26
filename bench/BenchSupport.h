#pragma once

#include "engine/Globals.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQEngineModels.h"

#include <benchmark/benchmark.h>

#include <memory>

class ZQView;

// What the benchmarks that draw share: one headless context at the game's
// screen, the engine globals kept and put back, and the whole engine as the
// shell builds it.

// The game's screen in pixels: the default phone, 375 x 667 points at scale 2.
constexpr int kBenchWidth = 750;
constexpr int kBenchHeight = 1334;

// The headless context every benchmark draws on, made at the first call;
// null when no OpenGL ES 2.0 context can be made here.
ZQEGLContext* headlessBenchContext();

// The same, or null with the benchmark marked skipped.
ZQEGLContext* headlessBenchContext(benchmark::State& state);

// The engine as the shell builds it (every model and pass, in the game's
// order) on the headless context at the game's screen, made by `makeMaster`:
// without the game's master by default, which would start the story in the
// frames measured. The engine globals are kept when it is made and put back
// when it goes, so no benchmark sees another's models.
//
// Ownership: owns its view, and through it the engine. Threads: main thread.
class BenchEngine {
public:
    // Skips the benchmark (ready() false) when there is no GL context.
    explicit BenchEngine(benchmark::State& state, ZQMasterFactory makeMaster = &makeNoMaster);
    ~BenchEngine();
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    bool ready() const { return view_ != nullptr; }
    ZQView& view() const { return *view_; }

private:
    ZQ::Globals saved;
    std::unique_ptr<ZQView> view_;
};
