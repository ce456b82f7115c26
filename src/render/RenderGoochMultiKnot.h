#pragma once

#include "constants/Material.h"
#include "render/Render.h"

#include <cstdint>

namespace ZQ {

// The cord pass: draws the cord-mesh model's tubes, one draw per string, in
// the string's own material with its level's normal map, the end caps
// coloured by how tangled the string still is: yellow shading to dark
// goldenrod at the start, fading to the string's own colours as its energy
// falls to the solved threshold.
//
// An opaque cord is drawn with blending off when the frame's blending would
// only copy it (source alpha over the rest, alpha 1): the same pixels,
// without reading back what lies below.
//
// Owns its KnotGoochProgram. Main thread only.
class RenderGoochMultiKnot : public Render {
public:
    // Cord shadows as the device profile and the player have them.
    RenderGoochMultiKnot();
    explicit RenderGoochMultiKnot(RenderProgram* program);
    void render() override;

    // (e - threshold) / (e0 - threshold) clamped to [0, 1], the threshold
    // being the solved rule's for a cord of `strings` strings; 0 when the
    // start energy e0 is at or below it.
    static float tangleFactor(float e, float e0, int32_t strings);
    // The caps of a string of material `cord` at tangle factor t: black
    // ambient and specular, warm from the string's towards yellow and cool
    // towards dark goldenrod by t.
    static Material capMaterial(const Material& cord, float t);

    // False keeps the frame's blending whatever the alpha: the reference picture.
    bool skipOpaqueBlend = true;
};

} // namespace ZQ
