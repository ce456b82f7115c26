#include "BenchSupport.h"

#include "cords/CordModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "render/RenderTargets.h"
#include "render/RenderWallPaper.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "render/WallPaperRenderRoom.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"
#include "stage/MandalaMesher.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

#include <benchmark/benchmark.h>

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <vector>

// The room's costs: a level's relief from pattern to GL buffer (the
// generator on the calling thread, the mesh on the relief worker, the
// upload), and the two passes that draw it on a 750 x 1334 screen with
// Mesa's software rasteriser: the pre-pass painting both room textures and
// the room pass drawing both rooms.

namespace {

// The models and passes the room needs, built once for every benchmark of
// this file; null without OpenGL ES.
struct RoomStage {
    ZQ::RenderTargets targets;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::LevelModel catalogue;
    ZQ::CameraModel camera;
    ZQ::LightModel light;
    ZQ::CordModel cord;
    ZQ::MandalaModel relief;
    ZQ::RoomModel room;
    ZQ::RenderWallPaper wallPaper;
    ZQ::WallPaperRenderRoom roomPass;
    ZQ::WallPaperRenderRoom plainRoomPass{new ZQ::WallPaperRoomProgram(false)};

    static RoomStage* get() {
        static RoomStage* stage = []() -> RoomStage* {
            ZQEGLContext* context = headlessBenchContext();
            if (context == nullptr) {
                return nullptr;
            }
            ZQ::gGlobals.setScreenSize(static_cast<float>(kBenchWidth), static_cast<float>(kBenchHeight));
            auto* s = new RoomStage();
            s->targets.create(kBenchWidth, kBenchHeight, ZQ::DeviceProfile::get());
            context->setUpLayer();
            s->targets.setUp();
            ZQ::gGlobals.particleSystem1 = &s->world;
            ZQ::gGlobals.cordModel = &s->cord;
            ZQ::gGlobals.levelModel = &s->catalogue;
            ZQ::gGlobals.cameraModel = &s->camera;
            ZQ::gGlobals.sceneCamera = &s->camera;
            ZQ::gGlobals.lightModel = &s->light;
            ZQ::gGlobals.mandalaModel = &s->relief;
            ZQ::gGlobals.roomModel = &s->room;
            for (ZQ::Model* m : std::vector<ZQ::Model*>{&s->world, &s->catalogue, &s->camera, &s->light,
                                                        &s->cord, &s->relief, &s->room}) {
                m->setUp();
            }
            s->wallPaper.setUp();
            s->roomPass.setUp();
            s->plainRoomPass.setUp();
            ZQ::gGlobals.renderWallPaper = &s->wallPaper;
            ZQ::gGlobals.wallPaperRenderRoom = &s->roomPass;
            s->relief.build(0);
            s->relief.collect();
            // Mesa compiles machine code per shader and GL state at the
            // first draw: one frame first, so no benchmark times that.
            ZQ::renderFrame(s->targets, ZQ::wallPaperRepaint());
            glFinish();
            return s;
        }();
        return stage;
    }
};

void BM_ReliefBuildEveryLevel(benchmark::State& state) {
    RoomStage* s = RoomStage::get();
    if (s == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
        return;
    }
    const int32_t count = s->catalogue.levelCount();
    std::vector<double> ms(static_cast<std::size_t>(count));
    for (auto _ : state) {
        for (int32_t level = 0; level < count; ++level) {
            s->catalogue.level = level;
            const auto start = std::chrono::steady_clock::now();
            s->relief.clearInstances();
            s->relief.build(0);
            benchmark::DoNotOptimize(s->relief.collect());
            glFinish();
            ms[static_cast<std::size_t>(level)] =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    state.counters["slowest_ms"] = sorted.back();
    state.counters["median_ms"] = sorted[sorted.size() / 2];
    state.counters["slowest_level"] =
        static_cast<double>(std::max_element(ms.begin(), ms.end()) - ms.begin());
    s->catalogue.level = 0;
}

void BM_WallPaperPrePass(benchmark::State& state) {
    RoomStage* s = RoomStage::get();
    if (s == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
        return;
    }
    s->relief.clearInstances();
    s->relief.build(0);
    s->relief.collect();
    // The state the frame sets for the pre-pass.
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    for (auto _ : state) {
        for (float drawHeight : {0.0f, 1.0f}) {
            ZQ::TextureContext* target =
                drawHeight == 0.0f ? s->targets.colourContexts[0] : s->targets.heightContexts[0];
            target->bind();
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            s->wallPaper.drawHeight = drawHeight;
            s->wallPaper.render();
            target->resolve();
        }
        glFinish();
    }
    state.counters["vertices"] = static_cast<double>(s->relief.instances.front()->mesh->count);
}

// Arg 1: room shadows as the device profile has them (on for this machine's
// default row); 0: the program built without them.
void BM_RoomPass(benchmark::State& state) {
    RoomStage* s = RoomStage::get();
    if (s == nullptr) {
        state.SkipWithError("no headless OpenGL ES 2.0 context");
        return;
    }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    ZQ::WallPaperRenderRoom& pass = state.range(0) != 0 ? s->roomPass : s->plainRoomPass;
    const auto draw = [&] {
        s->targets.sceneContext->bind();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pass.render();
        s->targets.sceneContext->resolve();
        glFinish();
    };
    // Mesa compiles machine code per shader and GL state at the first draw.
    draw();
    for (auto _ : state) {
        draw();
    }
}

} // namespace

BENCHMARK(BM_ReliefBuildEveryLevel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WallPaperPrePass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RoomPass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
