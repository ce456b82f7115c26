#include "cords/CordModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "platform/ZQApplication.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQView.h"
#include "stage/ShadowModel.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>

extern char** environ;

namespace {

// The headless context every benchmark here draws on, at the game's screen.
ZQEGLContext* headlessContext() {
    static ZQEGLContext* const context = [] {
        ZQEGLContext::Options options;
        options.surface = ZQEGLContext::Surface::Headless;
        options.width = 750;
        options.height = 1334;
        ZQEGLContext::configure(options);
        return ZQEGLContext::sharedEGLContext();
    }();
    return context;
}

// The shell's frame at 750 x 1334 (the default phone) with level 73's cord
// laid, its tubes meshed every frame, and every render pass the game has.
// Frames per second are items per second.
void BM_HeadlessFrameLevel73(benchmark::State& state) {
    ZQEGLContext* context = headlessContext();
    if (context == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
        return;
    }
    const ZQ::Globals saved = ZQ::gGlobals;
    {
        ZQView view(*context, ZQApplication::kFramePoints, 2.0f, ZQ::DeviceProfile::get());
        ZQ::Globals& g = ZQ::gGlobals;
        g.levelModel->level = 73;
        g.cordModel->loadCord(*g.levelModel->currentLevel().cord);
        g.cordModel->measureEnergies();
        g.shadowModel->loadJobs(g.cordModel->segments);
        view.moveToActive();
        for (auto _ : state) {
            view.drawView();
        }
        state.SetItemsProcessed(state.iterations());
        state.counters["particles"] = static_cast<double>(g.cordModel->count);
        g.shadowModel->unloadJobs();
        g.cordModel->unload();
    }
    ZQ::gGlobals = saved;
}
BENCHMARK(BM_HeadlessFrameLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Start-up inside a running process: the engine built, set up and its first
// frame drawn, then torn down (the GL context already exists).
void BM_ViewStartToFirstFrame(benchmark::State& state) {
    ZQEGLContext* context = headlessContext();
    if (context == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
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

// A cold start: the game's process launched headless until its first frame
// is drawn and it has ended again (exec, EGL, engine, first frame, tear-down).
void BM_ProcessColdStartToFirstFrame(benchmark::State& state) {
    const char* argv[] = {VELMORA_EXECUTABLE, "--headless", "--frames", "1", nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, const_cast<char* const*>(argv), environ) != 0) {
            state.SkipWithError("cannot start the game");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the game did not start headless");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_ProcessColdStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace
