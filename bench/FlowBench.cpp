#include "BenchSupport.h"

#include "constants/ResourceNames.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "overlays/CaptionBox.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"
#include "platform/ZQView.h"
#include "render/Render.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"

#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

// A frame of flowing letters at 750 x 1334 on the headless context with the
// flow world full: 1024 letters, each held by a stop (a pin a frame, as the
// shows hold their words), the flow world's step, the flow model's step and
// the flow pass drawing every letter over the captions' GL state, glFinish
// included. Argument: 0 the whole frame, 1 the world and model steps alone,
// 2 the passes alone. The words lie in 40 rows of three down the screen, so
// the letters overlap as a busy show's do: the pass is bound by llvmpipe's
// blending of their quads.

namespace {

// Lays words down the screen until the flow world is full, every letter held
// where it was laid; the number of letters.
int fillWithWords(ZQ::CaptionBox& box) {
    ZQ::Globals& g = ZQ::gGlobals;
    ZQ::FlowModel& flows = *g.flowModel;
    auto* hold = new ZQ::FlowModel::Batch();
    int letters = 0;
    for (const std::string* name : {&ZQ::ResourceNames::messages_extratime, &ZQ::ResourceNames::timer_}) {
        const std::string caption = name == &ZQ::ResourceNames::timer_ ? *name + "7" : *name;
        for (int row = 0;; ++row) {
            int32_t id = 0;
            int32_t n = 0;
            const float y = g.screenSize.y * (0.05f + 0.9f * static_cast<float>(row % 40) / 40.0f);
            const float x = g.screenSize.x * (0.05f + 0.3f * static_cast<float>(row / 40 % 3));
            flows.addFlow(box.getCaption(caption), &id, &n, x, y, 0.0f);
            if (n == 0) {
                break;
            }
            for (int32_t i = 0; i < n; ++i) {
                hold->push_back(new ZQ::FlowAnim(id, i, new ZQ::FlowStopAction(1 << 30)));
            }
            letters += n;
        }
    }
    flows.addSteps({hold});
    return letters;
}

void BM_FlowingLetters(benchmark::State& state) {
    const BenchEngine engine(state);
    if (!engine.ready()) {
        return;
    }
    const int which = static_cast<int>(state.range(0));
    ZQView& view = engine.view();
    ZQ::Globals& g = ZQ::gGlobals;
    const int letters = fillWithWords(*g.captionBox);
    if (letters != ZQ::Fx::PARTICLE_ARRAY_SIZE) {
        state.SkipWithError("the flow world was not filled: the frame would not hold 1024 letters");
        g.flowModel->tearDown();
        return;
    }
    // The letters take their places from their particles.
    g.particleSystem2->doStep();
    g.flowModel->doStep();
    view.renderTargets().sceneContext->bind();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (auto _ : state) {
        if (which != 2) {
            g.particleSystem2->doStep();
            g.flowModel->doStep();
        }
        if (which != 1) {
            glClear(GL_COLOR_BUFFER_BIT);
            g.renderFlow->render();
            g.renderCaption->render();
            glFinish();
        }
    }
    state.counters["letters"] = static_cast<double>(letters);
    g.flowModel->tearDown();
}
BENCHMARK(BM_FlowingLetters)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace
