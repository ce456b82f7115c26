#include "render/Render.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "render/RenderProgram.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"

#include <GLES2/gl2.h>

namespace ZQ {

void Render::setUp() {
    if (program != nullptr) {
        program->setUp();
    }
}

void Render::tearDown() {
    if (program != nullptr) {
        program->tearDown();
        delete program;
        program = nullptr;
    }
}

Render::~Render() {
    // A pass destroyed without tearDown still owns its program.
    delete program;
}

void setUpRenderPasses() {
    for (Render* pass : gGlobals.renderPasses) {
        pass->setUp();
    }
}

void tearDownRenderPasses() {
    for (Render* pass : gGlobals.renderPasses) {
        pass->tearDown();
    }
}

namespace {

void draw(Render* pass) {
    if (pass != nullptr) {
        pass->render();
    }
}

void clearTarget(float red, float green, float blue, float alpha) {
    glClearColor(red, green, blue, alpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void shadowMap(const RenderTargets& targets) {
    targets.shadowContext->bind();
    clearTarget(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    // The packed depth is exact only unblended, and the previous frame's
    // overlays left blending on.
    glDisable(GL_BLEND);
    draw(gGlobals.renderShadowMap);
    targets.shadowContext->resolve();
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
}

// Paints both textures of the current room buffer; culling and blending are
// off and the depth test on (LEQUAL, writes on), as the shadow map left them.
void wallPaper(const RenderTargets& targets, const WallPaperRepaint& repaint) {
    if (!repaint.pending || !repaint.pending()) {
        return;
    }
    const int32_t i = repaint.roomBuffer ? repaint.roomBuffer() : 0;
    ZQ_ASSERT(i >= 0 && i < RenderTargets::kRoomBuffers);

    TextureContext* colour = targets.colourContexts[static_cast<std::size_t>(i)];
    colour->bind();
    clearTarget(0.0f, 0.0f, 0.0f, 0.0f);
    if (repaint.aim) {
        repaint.aim(0.0f, kWallPaperKind);
    }
    draw(gGlobals.renderWallPaper);
    colour->resolve();

    TextureContext* height = targets.heightContexts[static_cast<std::size_t>(i)];
    height->bind();
    clearTarget(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    if (repaint.aim) {
        repaint.aim(1.0f, kWallPaperKind);
    }
    draw(gGlobals.renderWallPaper);
    height->resolve();

    if (repaint.clear) {
        repaint.clear();
    }
}

void scene(const RenderTargets& targets) {
    targets.sceneContext->bind();
    clearTarget(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    draw(gGlobals.wallPaperRenderRoom);

    // Opaque and translucent solids.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    draw(gGlobals.renderGoochMultiKnot);
    draw(gGlobals.renderHolo);
    draw(gGlobals.renderBraid);

    // Light cones: additive, no depth writes, inner faces then outer faces.
    glCullFace(GL_FRONT);
    glFrontFace(GL_CCW);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    draw(gGlobals.renderCone);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    draw(gGlobals.renderCone);

    // The award tangle, opaque.
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    draw(gGlobals.renderTangle);

    // Translucent interface solids.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    draw(gGlobals.renderBalloon);
    draw(gGlobals.renderMesh);
    draw(gGlobals.renderTile);
    draw(gGlobals.renderGauge);

    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    draw(gGlobals.renderGrain);

    // Captions and flowing letters lie over everything.
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    draw(gGlobals.renderCaption);
    draw(gGlobals.renderFlow);

    targets.sceneContext->resolve();
}

} // namespace

void renderFrame(const RenderTargets& targets, const WallPaperRepaint& repaint) {
    ZQ_ASSERT(targets.sceneContext != nullptr);
    shadowMap(targets);
    wallPaper(targets, repaint);
    scene(targets);
}

} // namespace ZQ
