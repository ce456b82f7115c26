#pragma once

#include "engine/Globals.h"
#include "render/RenderBalloon.h"
#include "render/RenderBraid.h"
#include "render/RenderCone.h"
#include "render/RenderGrain.h"
#include "render/RenderParticlesBB.h"

// The render passes, each with its program, stored in its engine-globals
// pointer and appended to the render-pass list (set-up and tear-down order)
// as it is made. The list's order is flow, balloon, shadow map, cord,
// hologram, cone, tangle, particle boxes, caption, mesh, wallpaper, room,
// tile, gauge, braid, grain: a pass the game does not have yet joins at its
// place when it arrives. The frame calls the passes through their pointers,
// in an order of its own.
inline void makeRenderPasses() {
    using namespace ZQ;
    Globals& g = gGlobals;
    auto add = [](Render* pass) {
        gGlobals.renderPasses.push_back(pass);
        return pass;
    };
    g.renderBalloon = add(new RenderBalloon());
    g.renderCone = add(new RenderCone());
    g.renderParticlesBB = add(new RenderParticlesBB());
    g.renderBraid = add(new RenderBraid());
    g.renderGrain = add(new RenderGrain());
}

// Deletes the passes (after their tear-down) and clears the list and every
// pointer makeRenderPasses set.
inline void deleteRenderPasses() {
    using namespace ZQ;
    Globals& g = gGlobals;
    for (Render* pass : g.renderPasses) {
        delete pass;
    }
    g.renderPasses.clear();
    g.renderBalloon = nullptr;
    g.renderCone = nullptr;
    g.renderParticlesBB = nullptr;
    g.renderBraid = nullptr;
    g.renderGrain = nullptr;
}
