#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// The holograms' program: the knot's tube lit by a soft wrap-around term in
// one colour per string, the scan band added, the alpha falling toward the
// back of the knot's world box, vertices displaced by the glitch noise. Reads
// the 36-byte cord vertex (position and normal only). The light has no
// highlight, so the eye plays no part: no eye uniform is kept, which a
// compiler would drop from the program anyway.
//
// Owned by its pass; created zero-filled, setUp with a current context. The
// pass writes the box, noise and scanner phase before each setModelMatrix.
// Main thread only.
class HoloProgram : public RenderProgram {
public:
    static constexpr GLsizei kStride = 36;

    void setUp() override;
    void use() override;
    // Recomputes V from the camera and P, C from the screen, then uploads
    // every per-hologram uniform for model matrix m: the matrices, the box,
    // the noise, the scanner phase and the light.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // The per-string uniforms: u_alpha, u_color and u_scancolor.
    void setString(float alpha, const PVRTVec3& colour, const PVRTVec3& scanColour) const;

    PVRTVec3 boxMin; // world-space box of the hologram drawn
    PVRTVec3 boxMax;
    PVRTVec3 noise;
    float scannerPhase = 0.0f;
};

} // namespace ZQ
