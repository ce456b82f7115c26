#pragma once

#include "render/RenderProgram.h"

#include <cstdint>

namespace ZQ {

struct Material;

// The braids' program: Gooch warm-to-cool shading with a Blinn highlight,
// one of four materials per vertex (a_matindex, rounded half up), one opacity
// for all. Reads the braid vertex (44 bytes: position, normal, four unread
// floats, the braid's index).
//
// Owned by the braid pass; created zero-filled, setUp with a current context.
// Main thread only.
class BraidProgram : public RenderProgram {
public:
    static constexpr int32_t kMaterials = 4;
    static constexpr GLsizei kStride = 44;

    void setUp() override;
    void use() override;
    void unuse() override;

    // u_alpha, then the matrices, the light and the eye for the current V,
    // P, C and M.
    void setFrameUniforms(float alpha) const;
    // Material slot i of the four.
    void setMaterial(int32_t i, const Material& material) const;

    ElementNames ambientNames;
    ElementNames warmNames;
    ElementNames specularNames;
    ElementNames shininessNames;
    ElementNames coolNames;
};

} // namespace ZQ
