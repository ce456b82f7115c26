#include "BenchSupport.h"

#include "engine/Globals.h"
#include "overlays/CaptionBox.h"
#include "overlays/RenderTile.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"

#include <GLES2/gl2.h>
#include <benchmark/benchmark.h>

namespace {

// The pause menu settled on a 750 x 1334 screen, its captions from a real
// caption box, drawn into a framebuffer of the screen's size.
class PauseMenu {
public:
    PauseMenu() {
        ready = headlessBenchContext() != nullptr;
        if (!ready) {
            return;
        }
        ZQ::Globals& g = ZQ::gGlobals;
        g.setScreenSize(750.0f, 1334.0f);
        g.language = "en";
        box.setUp();
        g.captionBox = &box;
        tiles.setUp();
        g.tileModel = &tiles;
        ZQ::TileCollection::showPauseUi();
        for (int frame = 0; frame < 120; ++frame) {
            tiles.doStep();
        }
        pass.setUp();
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, 750, 1334);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, 750, 1334);
    }
    ~PauseMenu() {
        if (!ready) {
            return;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colour);
        pass.tearDown();
        box.tearDown();
        ZQ::gGlobals.tileModel = nullptr;
        ZQ::gGlobals.captionBox = nullptr;
    }

    bool ready = false;
    ZQ::CaptionBox box;
    ZQ::TileModel tiles;
    ZQ::RenderTile pass{&tiles};
    GLuint framebuffer = 0;
    GLuint colour = 0;
};

// One frame of the tile pass over the five tiles: a slab rebuilt and
// uploaded per tile, then drawn (items per second = tiles drawn).
void BM_TilePassPauseMenu(benchmark::State& state) {
    PauseMenu menu;
    if (!menu.ready) {
        state.SkipWithError("no OpenGL ES 2.0 context");
        return;
    }
    for (auto _ : state) {
        menu.pass.render();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_TilePassPauseMenu)->Unit(benchmark::kMicrosecond);

// A tap's hit test over the five tiles, on the menu's empty corner (every
// tile projected and scored, none pressed).
void BM_TileTapMiss(benchmark::State& state) {
    PauseMenu menu;
    if (!menu.ready) {
        state.SkipWithError("no OpenGL ES 2.0 context");
        return;
    }
    for (auto _ : state) {
        menu.tiles.tap(PVRTVec2(20.0f, 20.0f), 22.0f);
        benchmark::DoNotOptimize(menu.tiles.pending);
    }
}
BENCHMARK(BM_TileTapMiss)->Unit(benchmark::kMicrosecond);

} // namespace
