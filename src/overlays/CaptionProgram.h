#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

class Texture;

// The program of the caption and letter quads: an orthographic projection
// that lands a point (x, y, z) in pixels, bottom-left origin, on that very
// pixel whatever its depth between H + 2.5 and 4H + 1, the caption texture
// sampled as it is and its alpha scaled by the quad's opacity.
//
// Owned by its pass. Threads: main thread only.
class CaptionProgram : public RenderProgram {
public:
    // Builds the program and fills V, P, C and PVC for the screen size of
    // this moment; they are never recomputed.
    void setUp() override;
    void use() override;
    // Uploads PVC times m; stores nothing.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // The opacity and the texture of the next draw.
    void bindCaption(const Texture* texture, float alpha);

    // The orthographic projection for a screen of w x h pixels.
    static PVRTMat4 projection(float w, float h);
};

} // namespace ZQ
