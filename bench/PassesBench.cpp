#include "BenchSupport.h"

#include "cords/BraidModel.h"
#include "cords/Cord.h"
#include "cords/CordFades.h"
#include "cords/CordModel.h"
#include "cords/GrainEmitter.h"
#include "cords/GrainModel.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "levels/LevelModel.h"
#include "platform/ZQView.h"
#include "render/GrainMesh.h"
#include "render/Render.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "stage/BalloonModel.h"
#include "stage/CameraModel.h"
#include "stage/ConeModel.h"

#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

#include <memory>

// The cone, balloon, braid, grain and particle-box passes at 750 x 1334 on
// the headless context, each timed alone (glFinish included, so the
// rasteriser's work is counted) over one fixed scene: a four-string cord
// with its eight cones, the four braids it turns into, a burst of 128 grains
// and three balloons. Argument: 0 cones (both draws), 1 balloons, 2 braids,
// 3 grains, 4 particle boxes, 5 all of them in frame order.

namespace {

// Lays the first four-string cord with its colours, its cones and its
// braids, throws a full burst and floats three balloons, then lets the
// models run `frames` frames.
void buildScene(ZQView& view, int frames) {
    ZQ::Globals& g = ZQ::gGlobals;
    // The cords project through the camera; the shell leaves this to the
    // game flow.
    g.sceneCamera = g.cameraModel;
    for (const ZQ::LevelModel::Level& level : g.levelModel->levels) {
        if (level.cord != nullptr && level.cord->strings == 4) {
            g.cordModel->loadCord(*level.cord, level.cordSettings());
            break;
        }
    }
    g.cordModel->measureEnergies();
    g.cordModel->instance->radius = 0.5f / g.worldScale;
    g.cordModel->instance->layout.alpha = 1.0f;
    g.coneModel->addCones();
    ZQ::convertStringsToBraids();

    auto* burst = new ZQ::GrainEmitter(ZQ::GrainEmitter::kMaxGrains, 0);
    burst->layout.position = PVRTVec3(375.0f, 1000.0f, 0.0f);
    ZQ::GrainMesh::build(*burst);
    burst->setAction(ZQ::GrainEmitter::burstAction(ZQ::GrainEmitter::kMaxGrains, 4, 375.0f, 1000.0f, 0.0f,
                                                   200.0f, 300.0f));
    g.grainModel->addEmitter(burst);
    for (int k = 0; k < 3; ++k) {
        auto* balloon = new ZQ::BalloonInstance();
        balloon->layout.position = PVRTVec3(150.0f + 220.0f * static_cast<float>(k), 300.0f, 0.0f);
        balloon->layout.scale = 1.5f;
        balloon->setAction(new ZQ::WaitAction(100000));
        g.balloonModel->addBalloon(balloon);
    }
    for (int f = 0; f < frames; ++f) {
        view.drawView();
    }
}

// The frame's state for each group, then the pass.
void drawPass(int which) {
    ZQ::Globals& g = ZQ::gGlobals;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (which == 2 || which == 5) {
        g.renderBraid->render();
    }
    if (which == 0 || which == 5) {
        glCullFace(GL_FRONT);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        g.renderCone->render();
        glCullFace(GL_BACK);
        g.renderCone->render();
        glDepthMask(GL_TRUE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glDepthFunc(GL_LEQUAL);
    if (which == 1 || which == 5) {
        g.renderBalloon->render();
    }
    if (which == 3 || which == 5) {
        g.renderGrain->render();
    }
    if (which == 4 || which == 5) {
        g.renderParticlesBB->render();
    }
}

void BM_ScenePasses(benchmark::State& state) {
    const BenchEngine engine(state, &makeGameMaster);
    if (!engine.ready()) {
        return;
    }
    const int which = static_cast<int>(state.range(0));
    ZQView& view = engine.view();
    buildScene(view, 12);
    ZQ::Globals& g = ZQ::gGlobals;
    view.renderTargets().sceneContext->bind();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawPass(which);
        glFinish();
    }
    state.counters["braids"] = static_cast<double>(g.braidModel->getBraids().size());
    state.counters["grains"] = g.grainModel->getEmitters().empty()
                                   ? 0.0
                                   : static_cast<double>(g.grainModel->getEmitters().front()->getCount());
    state.counters["cones"] = static_cast<double>(g.coneModel->getCones().size());
    g.coneModel->removeCones();
    g.cordModel->unload();
}
BENCHMARK(BM_ScenePasses)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// The clear and glFinish alone, to subtract from the figures above.
void BM_ScenePassesBaseline(benchmark::State& state) {
    const BenchEngine engine(state, &makeGameMaster);
    if (!engine.ready()) {
        return;
    }
    ZQView& view = engine.view();
    view.renderTargets().sceneContext->bind();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_ScenePassesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace
