#include "BenchSupport.h"

#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/Globals.h"
#include "engine/SoundGateway.h"
#include "levels/LevelModel.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQView.h"
#include "render/KnotGoochProgram.h"
#include "render/Render.h"
#include "render/RenderGoochMultiKnot.h"
#include "render/RenderShadowMap.h"
#include "render/RenderWallPaper.h"
#include "render/ShadowProgram.h"
#include "render/WallPaperRenderRoom.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"
#include "stage/ShadowModel.h"

#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kLevel = 73;
// Frames played before the measure: the camera and light settle on the knot
// and the wallpaper relief is painted (its first frame repaints both textures).
constexpr int kSettleFrames = 30;

// Level 73 as a level start lays it in the game's engine: its room and the
// next, the relief of its wallpaper, the cord with its shadow meshes.
void layLevel(ZQView& view) {
    ZQ::Globals& g = ZQ::gGlobals;
    g.levelModel->level = kLevel;
    ZQ::RoomModel::assignLevel(*g.roomModel->current, *g.levelModel, kLevel);
    ZQ::RoomModel::assignLevel(*g.roomModel->next, *g.levelModel, kLevel + 1);
    g.mandalaModel->clearInstances();
    g.mandalaModel->build(0);
    g.mandalaModel->collect();
    const ZQ::LevelModel::Level& record = g.levelModel->currentLevel();
    g.cordModel->loadCord(*record.cord, record.cordSettings());
    g.cordModel->measureEnergies();
    g.cordModel->instance->radius = 1.0f / g.worldScale;
    g.cordModel->instance->layout.alpha = 1.0f;
    g.shadowModel->loadJobs(g.cordModel->segments);
    view.moveToActive();
    for (int i = 0; i < kSettleFrames; ++i) {
        view.drawView();
    }
    glFinish();
}

// False when the frame drawn last shows no room: a benchmark of an empty
// screen would measure nothing. The picture is kept in
// $VELMORA_BENCH_SHOT when that names a file, for a look.
bool levelShows() {
    const ZQImage frame = readSnapshot();
    if (const char* path = std::getenv("VELMORA_BENCH_SHOT"); path != nullptr && path[0] != '\0') {
        std::string error;
        writePng(path, frame, error);
    }
    std::size_t drawn = 0;
    for (std::size_t i = 3; i < frame.rgba.size(); i += 4) {
        drawn += frame.rgba[i] != 0 ? 1 : 0;
    }
    // The room fills the screen.
    return drawn * 4 * 2 > frame.rgba.size();
}

void unlayLevel() {
    ZQ::Globals& g = ZQ::gGlobals;
    g.shadowModel->unloadJobs();
    g.cordModel->unload();
    g.mandalaModel->clearInstances();
}

// The engine with level 73 laid and settled, taken up again before the
// engine goes.
class LaidLevel : public BenchEngine {
public:
    explicit LaidLevel(benchmark::State& state) : BenchEngine(state) {
        if (ready()) {
            layLevel(view());
        }
    }
    ~LaidLevel() {
        if (ready()) {
            unlayLevel();
        }
    }
    LaidLevel(const LaidLevel&) = delete;
    LaidLevel& operator=(const LaidLevel&) = delete;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The shell's whole frame at 750 x 1334 (the default phone) on level 73
// with shadows: every model stepped, every render pass the game has drawn,
// finished on the GL side as a window's buffer swap would make it. Frames
// per second are items per second.
void BM_HeadlessFrameLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    if (!levelShows()) {
        state.SkipWithError("level 73's room does not show");
    }
    for (auto _ : state) {
        view.drawView();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["particles"] = static_cast<double>(ZQ::gGlobals.cordModel->count);
}
BENCHMARK(BM_HeadlessFrameLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The same frame cut in two, as the view runs it: the game step (the master
// controller and every model, waiting on their workers) and the drawing
// (every pass, finished). Counters: milliseconds a frame of each, wall
// clock and CPU of the whole process (the GL driver's threads included), and
// the step's share of the frame.
void BM_FrameStepAndDrawLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    const ZQ::WallPaperRepaint repaint = ZQ::wallPaperRepaint();
    double stepWall = 0.0, stepCpu = 0.0, drawWall = 0.0, drawCpu = 0.0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        double cpu = processCpuSeconds();
        ZQ::gGlobals.stepFrame();
        ZQ::SoundGateway::instance()->doStep();
        stepWall += secondsSince(start);
        stepCpu += processCpuSeconds() - cpu;

        start = Clock::now();
        cpu = processCpuSeconds();
        ZQ::renderFrame(view.renderTargets(), repaint);
        glFinish();
        drawWall += secondsSince(start);
        drawCpu += processCpuSeconds() - cpu;
    }
    const double frames = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    state.counters["step_ms"] = stepWall * 1e3 / frames;
    state.counters["draw_ms"] = drawWall * 1e3 / frames;
    state.counters["step_cpu_ms"] = stepCpu * 1e3 / frames;
    state.counters["draw_cpu_ms"] = drawCpu * 1e3 / frames;
    state.counters["step_share"] = stepWall / (stepWall + drawWall);
}
BENCHMARK(BM_FrameStepAndDrawLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Stands in a pass's slot of the engine globals and times the real pass,
// which the frame draws through it with the state it set: the GL queue is
// emptied before and after, so each pass is charged its own drawing. With a
// reference pass given, frames with `referenceFrame` set draw and time that
// one instead, apart.
class TimedPass final : public ZQ::Render {
public:
    explicit TimedPass(ZQ::Render* pass, ZQ::Render* reference = nullptr)
        : pass(pass), reference(reference) {}
    void render() override {
        const bool asReference = referenceFrame != nullptr && *referenceFrame;
        glFinish();
        const Clock::time_point start = Clock::now();
        (asReference && reference != nullptr ? reference : pass)->render();
        glFinish();
        (asReference ? referenceSeconds : seconds) += secondsSince(start);
    }
    ZQ::Render* const pass;
    ZQ::Render* const reference;
    const bool* referenceFrame = nullptr;
    double seconds = 0.0;
    double referenceSeconds = 0.0;
};

struct PassSlot {
    const char* name;
    ZQ::Render* ZQ::Globals::*slot;
};
constexpr std::array<PassSlot, 16> kPassSlots = {{
    {"flow", &ZQ::Globals::renderFlow},
    {"balloon", &ZQ::Globals::renderBalloon},
    {"shadowMap", &ZQ::Globals::renderShadowMap},
    {"gooch", &ZQ::Globals::renderGoochMultiKnot},
    {"holo", &ZQ::Globals::renderHolo},
    {"cone", &ZQ::Globals::renderCone},
    {"tangle", &ZQ::Globals::renderTangle},
    {"particlesBB", &ZQ::Globals::renderParticlesBB},
    {"caption", &ZQ::Globals::renderCaption},
    {"mesh", &ZQ::Globals::renderMesh},
    {"wallPaper", &ZQ::Globals::renderWallPaper},
    {"room", &ZQ::Globals::wallPaperRenderRoom},
    {"tile", &ZQ::Globals::renderTile},
    {"gauge", &ZQ::Globals::renderGauge},
    {"braid", &ZQ::Globals::renderBraid},
    {"grain", &ZQ::Globals::renderGrain},
}};
static_assert(kPassSlots.size() == 16, "one slot a render pass");

// The room and cord passes of the laid level, and beside them the cord pass
// as the reference frames draw it (blended whatever the alpha). When it goes,
// the frames are the game's again and the reference cord is torn down.
class ReferencePasses {
public:
    ReferencePasses() : knot(ZQ::gGlobals.renderGoochMultiKnot) {
        slowKnot = std::make_unique<ZQ::RenderGoochMultiKnot>(
            new ZQ::KnotGoochProgram(static_cast<const ZQ::KnotGoochProgram*>(knot->program)->cordShadows));
        slowKnot->setUp();
        slowKnot->skipOpaqueBlend = false;
    }
    ~ReferencePasses() {
        drawAs(false);
        slowKnot->tearDown();
    }
    ReferencePasses(const ReferencePasses&) = delete;
    ReferencePasses& operator=(const ReferencePasses&) = delete;

    // The room with its shadow filter over every pixel, or the game's room.
    void roomAs(bool reference) { room->tileShadows = !reference; }
    // Both passes the reference's way, or both the game's.
    void drawAs(bool reference) {
        roomAs(reference);
        ZQ::gGlobals.renderGoochMultiKnot = reference ? slowKnot.get() : knot;
    }

    ZQ::WallPaperRenderRoom* const room =
        static_cast<ZQ::WallPaperRenderRoom*>(ZQ::gGlobals.wallPaperRenderRoom);
    ZQ::Render* const knot;
    std::unique_ptr<ZQ::RenderGoochMultiKnot> slowKnot;
};

// Milliseconds a frame of each render pass the engine has (the cone's two
// draws together), level 73 as above, in frames as the game draws them
// (`<pass>_ms`) and, alternately, in reference frames (`<pass>_ref_ms`: the
// room's shadow filter over every pixel and the cord blended whatever its
// alpha; the same picture). The extra waits make the frame slower than
// BM_HeadlessFrameLevel73's; the split between passes is what counts.
void BM_FramePassTimesLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    ReferencePasses passes;
    bool referenceFrame = false;
    std::vector<std::unique_ptr<TimedPass>> timed;
    for (const PassSlot& p : kPassSlots) {
        ZQ::Render*& slot = ZQ::gGlobals.*p.slot;
        timed.push_back(slot != nullptr ? std::make_unique<TimedPass>(
                                              slot, slot == passes.knot ? passes.slowKnot.get() : nullptr)
                                        : nullptr);
        if (slot != nullptr) {
            timed.back()->referenceFrame = &referenceFrame;
            slot = timed.back().get();
        }
    }
    for (auto _ : state) {
        referenceFrame = !referenceFrame;
        passes.roomAs(referenceFrame);
        view.drawView();
        glFinish();
    }
    const double frames = static_cast<double>(state.iterations()) / 2.0;
    for (std::size_t i = 0; i < kPassSlots.size(); ++i) {
        if (timed[i] != nullptr) {
            const std::string name = kPassSlots[i].name;
            state.counters[name + "_ms"] = timed[i]->seconds * 1e3 / frames;
            state.counters[name + "_ref_ms"] = timed[i]->referenceSeconds * 1e3 / frames;
            ZQ::gGlobals.*kPassSlots[i].slot = timed[i]->pass;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FramePassTimesLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The room pass as it is and as first written (the reference shader, every
// room drawn, hidden or not), frame about, level 73 as above: both under the
// same load, so their ratio holds where the milliseconds drift. Counters:
// milliseconds a frame of each, fast/reference.
void BM_RoomShadingLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    ZQ::Render* const live = ZQ::gGlobals.wallPaperRenderRoom;
    const bool shadows = static_cast<const ZQ::WallPaperRoomProgram*>(live->program)->roomShadows;
    ZQ::WallPaperRenderRoom reference(
        new ZQ::WallPaperRoomProgram(shadows, ZQ::WallPaperRoomProgram::Shading::reference));
    reference.setUp();
    reference.skipHidden = false;
    TimedPass fast(live);
    TimedPass slow(&reference);
    bool odd = false;
    for (auto _ : state) {
        ZQ::gGlobals.wallPaperRenderRoom = odd ? static_cast<ZQ::Render*>(&slow) : &fast;
        odd = !odd;
        view.drawView();
        glFinish();
    }
    ZQ::gGlobals.wallPaperRenderRoom = live;
    reference.tearDown();
    const double frames = static_cast<double>(state.iterations()) / 2.0;
    state.counters["fast_ms"] = fast.seconds * 1e3 / frames;
    state.counters["reference_ms"] = slow.seconds * 1e3 / frames;
    state.counters["ratio"] = fast.seconds / slow.seconds;
}
BENCHMARK(BM_RoomShadingLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);

// The shadow-map pass's note of where its casters lie, level 73 as above:
// the cord mesh projected and its triangles' cells marked, on the main
// thread, once a frame. Counters: the mesh's vertices and triangles.
void BM_ShadowCasterGridLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    auto* shadow = static_cast<ZQ::RenderShadowMap*>(ZQ::gGlobals.renderShadowMap);
    const ZQ::MeshBuffer& mesh = ZQ::gGlobals.shadowModel->getBuffer();
    const PVRTMat4 caster =
        static_cast<const ZQ::ShadowProgram*>(shadow->program)->casterMatrix(PVRTMat4::identity());
    ZQ::ShadowCasterGrid grid;
    std::size_t triangles = 0;
    for (auto _ : state) {
        grid.reset(shadow->casters.width, shadow->casters.height, 0);
        grid.project(caster, mesh.vertices, mesh.vertexCount());
        triangles = 0;
        for (const ZQ::MeshBuffer::Range& range : mesh.ranges) {
            grid.addTriangles(mesh.indices + range.firstIndex, static_cast<std::size_t>(range.indexCount));
            triangles += static_cast<std::size_t>(range.indexCount) / 3;
        }
        benchmark::DoNotOptimize(grid.clear(0, 0, 1, 1));
    }
    state.counters["vertices"] = static_cast<double>(mesh.vertexCount());
    state.counters["triangles"] = static_cast<double>(triangles);
}
BENCHMARK(BM_ShadowCasterGridLevel73)->Unit(benchmark::kMicrosecond);

// Whole frames, level 73 as above, alternately as the game draws them and
// with the room's shadow filter over every pixel and the cord blended
// whatever its alpha (the frame as it was before the shortcuts; the picture
// is the same): both under the same load, so their ratio holds where the
// milliseconds drift. Counters: median milliseconds a frame of each, wall
// clock and CPU of the whole process (the driver's threads included), the
// share of the room's squares drawn unfiltered and its rectangles (a frame's),
// and the pixels of one frame's state drawn both ways that differ, and by
// how many levels at most.
void BM_FrameFastAndReferenceLevel73(benchmark::State& state) {
    const LaidLevel engine(state);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    ReferencePasses passes;
    std::array<std::vector<double>, 2> wall;
    std::array<std::vector<double>, 2> cpu;
    bool fast = false;
    for (auto _ : state) {
        fast = !fast;
        passes.drawAs(!fast);
        const Clock::time_point start = Clock::now();
        const double cpuStart = processCpuSeconds();
        view.drawView();
        glFinish();
        cpu[fast ? 1 : 0].push_back(processCpuSeconds() - cpuStart);
        wall[fast ? 1 : 0].push_back(secondsSince(start));
    }
    // The same state drawn both ways, unstepped: what the shortcuts change.
    const ZQ::WallPaperRepaint repaint = ZQ::wallPaperRepaint();
    std::array<ZQImage, 2> shots;
    for (int kind = 0; kind < 2; ++kind) {
        passes.drawAs(kind == 0);
        ZQ::renderFrame(view.renderTargets(), repaint);
        shots[static_cast<std::size_t>(kind)] = readSnapshot();
    }
    std::size_t off = 0;
    int worst = 0;
    for (std::size_t i = 0; i + 3 < shots[0].rgba.size() && shots[0].rgba.size() == shots[1].rgba.size();
         i += 4) {
        int d = 0;
        for (std::size_t c = 0; c < 4; ++c) {
            d = std::max(
                d, std::abs(static_cast<int>(shots[0].rgba[i + c]) - static_cast<int>(shots[1].rgba[i + c])));
        }
        off += d > 0 ? 1 : 0;
        worst = std::max(worst, d);
    }
    state.counters["pixels_off"] = static_cast<double>(off);
    state.counters["worst_off"] = static_cast<double>(worst);
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2] * 1e3;
    };
    state.counters["fast_ms"] = median(wall[1]);
    state.counters["reference_ms"] = median(wall[0]);
    state.counters["fast_cpu_ms"] = median(cpu[1]);
    state.counters["reference_cpu_ms"] = median(cpu[0]);
    state.counters["ratio"] = median(wall[1]) / median(wall[0]);
    state.counters["cpu_ratio"] = median(cpu[1]) / median(cpu[0]);
    const ZQ::RoomShadowTiles& tiles = passes.room->tiles;
    state.counters["unfiltered_share"] =
        static_cast<double>(tiles.litTiles) / std::max(1, tiles.litTiles + tiles.filteredTiles);
    state.counters["rects"] = static_cast<double>(tiles.rects.size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameFastAndReferenceLevel73)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(6.0);

} // namespace
