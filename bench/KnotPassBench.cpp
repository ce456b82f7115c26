#include "BenchSupport.h"

#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "cords/TangleModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "render/KnotGoochProgram.h"
#include "render/RenderGoochMultiKnot.h"
#include "render/RenderShadowMap.h"
#include "render/RenderTangle.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"
#include "stage/ShadowModel.h"

#include <benchmark/benchmark.h>

#include <GLES2/gl2.h>

#include <vector>

// The knot's three passes on a 750 x 1334 screen with Mesa's software
// rasteriser, for level 73 (four strings) after 60 frames of play: the
// shadow map, the cord with and without shadows, and an award tangle,
// alone and as one frame's share.

namespace {

constexpr int32_t kLevel = 73;

// The models and passes, built once for every benchmark of this file; null
// without OpenGL ES.
struct KnotStage {
    ZQ::RenderTargets targets;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::LevelModel catalogue;
    ZQ::TangleModel tangles;
    ZQ::CameraModel camera;
    ZQ::LightModel light;
    ZQ::CordModel cord;
    ZQ::ShadowModel meshes{1};
    ZQ::RenderShadowMap shadowPass;
    ZQ::RenderGoochMultiKnot shadowedKnot{new ZQ::KnotGoochProgram(true)};
    ZQ::RenderGoochMultiKnot plainKnot{new ZQ::KnotGoochProgram(false)};
    ZQ::RenderTangle tanglePass;

    static KnotStage* get() {
        static KnotStage* stage = []() -> KnotStage* {
            ZQEGLContext* context = headlessBenchContext();
            if (context == nullptr) {
                return nullptr;
            }
            ZQ::gGlobals.setScreenSize(static_cast<float>(kBenchWidth), static_cast<float>(kBenchHeight));
            auto* s = new KnotStage();
            s->targets.create(kBenchWidth, kBenchHeight, ZQ::DeviceProfile::get());
            context->setUpLayer();
            s->targets.setUp();
            ZQ::gGlobals.particleSystem1 = &s->world;
            ZQ::gGlobals.cordModel = &s->cord;
            ZQ::gGlobals.levelModel = &s->catalogue;
            ZQ::gGlobals.tangleModel = &s->tangles;
            ZQ::gGlobals.cameraModel = &s->camera;
            ZQ::gGlobals.sceneCamera = &s->camera;
            ZQ::gGlobals.lightModel = &s->light;
            ZQ::gGlobals.shadowModel = &s->meshes;
            for (ZQ::Model* m :
                 std::vector<ZQ::Model*>{&s->world, &s->catalogue, &s->camera, &s->light, &s->cord}) {
                m->setUp();
            }
            for (ZQ::Render* pass :
                 std::vector<ZQ::Render*>{&s->shadowPass, &s->shadowedKnot, &s->plainKnot, &s->tanglePass}) {
                pass->setUp();
            }

            s->catalogue.level = kLevel;
            const ZQ::LevelModel::Level& record = s->catalogue.currentLevel();
            s->cord.loadCord(*record.cord, record.cordSettings());
            s->cord.measureEnergies();
            s->cord.instance->radius = 1.0f / ZQ::gGlobals.worldScale;
            s->cord.instance->layout.alpha = 1.0f;
            s->meshes.loadJobs(s->cord.segments);
            for (int frame = 0; frame < 60; ++frame) {
                s->world.doStep();
                s->camera.doStep();
                s->light.doStep();
                s->cord.doStep();
                s->meshes.doStep();
            }
            s->tangles.showAwardTangle(*record.cord, 4, {false, true});
            for (int frame = 0; frame < 70; ++frame) {
                s->tangles.doStep();
            }
            // Mesa compiles machine code per shader and GL state at the
            // first draw: one of each first, so no benchmark times that.
            s->shadowMap();
            s->knot(true);
            s->knot(false);
            s->tangle();
            glFinish();
            return s;
        }();
        return stage;
    }

    void shadowMap() {
        targets.shadowContext->bind();
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        shadowPass.render();
        targets.shadowContext->resolve();
    }

    void knot(bool shadows) {
        targets.sceneContext->bind();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glDepthFunc(GL_LESS);
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        (shadows ? shadowedKnot : plainKnot).render();
    }

    void tangle() {
        glDisable(GL_BLEND);
        tanglePass.render();
        targets.sceneContext->resolve();
    }
};

#define KNOT_STAGE_OR_SKIP(s)                                                                                \
    KnotStage* s = KnotStage::get();                                                                         \
    if (s == nullptr) {                                                                                      \
        state.SkipWithError("no headless OpenGL ES 2.0 context");                                            \
        return;                                                                                              \
    }

void BM_ShadowMapPass(benchmark::State& state) {
    KNOT_STAGE_OR_SKIP(s);
    for (auto _ : state) {
        s->shadowMap();
        glFinish();
    }
    state.counters["triangles"] = static_cast<double>(s->meshes.getBuffer().indexCount() / 3);
}

// Arg 1: the cord with its filtered shadow; 0: without.
void BM_CordPass(benchmark::State& state) {
    KNOT_STAGE_OR_SKIP(s);
    s->shadowMap();
    for (auto _ : state) {
        s->knot(state.range(0) != 0);
        glFinish();
    }
}

void BM_TanglePass(benchmark::State& state) {
    KNOT_STAGE_OR_SKIP(s);
    for (auto _ : state) {
        s->targets.sceneContext->bind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        s->tangle();
        glFinish();
    }
}

// One frame's share of the three passes. Arg 1: cord shadows on; 0: off
// (the shadow map is drawn either way, as the frame does).
void BM_KnotPassesPerFrame(benchmark::State& state) {
    KNOT_STAGE_OR_SKIP(s);
    for (auto _ : state) {
        s->shadowMap();
        s->knot(state.range(0) != 0);
        s->tangle();
        glFinish();
    }
}

} // namespace

BENCHMARK(BM_ShadowMapPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CordPass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TanglePass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KnotPassesPerFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
