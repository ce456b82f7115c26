#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// Writes the depth of the cord as the light sees it, packed into the four
// 8-bit channels of the shadow map (Shadow.frag says how to read it back).
//
// Vertex input: the 36-byte cord vertex, of which only the position is read.
// Main thread only.
class ShadowProgram : public RenderProgram {
public:
    void setUp() override;
    void use() override;
    // Uploads light matrix · C · m. C is the scene's own centring, the one the
    // cord and room passes look the map up with: on a screen taller than the
    // shadow map a centring built from the map's height would cast every
    // shadow off to one side of the cord that casts it.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // What setModelMatrix uploads for model matrix m.
    PVRTMat4 casterMatrix(const PVRTMat4& m) const;
};

} // namespace ZQ
