#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

struct Material;

// The light cones' program: Gooch shading in the string's material, opacity
// from each vertex's alpha times u_alpha. Reads the cone vertex (32 bytes:
// position, normal, an unread float, alpha).
//
// Owned by its pass; created zero-filled, setUp with a current context.
// Main thread only.
class ConeProgram : public RenderProgram {
public:
    static constexpr GLsizei kStride = 32;

    void setUp() override;
    void use() override;
    // Recomputes V from the camera and P, C from the screen, then uploads the
    // model's matrices, the light and the eye for model matrix m.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // u_alpha, then the material, as the cone pass uploads them per cone.
    void setMaterial(float alpha, const Material& material) const;
};

} // namespace ZQ
