#pragma once

#include "render/Render.h"

namespace ZQ {

// The shadow-map pass, first of every frame: draws the cord's tube meshes
// from the light into the shadow-map target, one draw per string, as packed
// depth. A cord fading out (alpha below one half) casts nothing, and the
// target keeps its white clear, which reads as farther than any surface.
//
// Owns its ShadowProgram. Main thread only.
class RenderShadowMap : public Render {
public:
    static constexpr float kMinimumAlpha = 0.5f;

    RenderShadowMap();
    void render() override;
};

} // namespace ZQ
