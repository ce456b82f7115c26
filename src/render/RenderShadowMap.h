#pragma once

#include "render/Render.h"
#include "render/ShadowCasterGrid.h"

namespace ZQ {

// The shadow-map pass, first of every frame: draws the cord's tube meshes
// from the light into the shadow-map target, one draw per string, as packed
// depth. A cord fading out (alpha below one half) casts nothing, and the
// target keeps its white clear, which reads as farther than any surface.
//
// Each draw also notes which cells of the map its triangles reach
// (`casters`, for the frame it was drawn in), so the room pass can tell the
// walls no caster can darken. It relies on the frame's white clear before it.
//
// Owns its ShadowProgram. Main thread only.
class RenderShadowMap : public Render {
public:
    static constexpr float kMinimumAlpha = 0.5f;

    RenderShadowMap();
    void render() override;

    ShadowCasterGrid casters;
};

} // namespace ZQ
