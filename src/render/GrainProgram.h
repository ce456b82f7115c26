#pragma once

#include "render/RenderProgram.h"

#include <cstdint>

namespace ZQ {

class GrainEmitter;

// The grain bursts' program: every grain of a burst is a copy of one shape,
// placed and turned in the vertex stage from three uniform arrays indexed by
// the copy's grain number; metal colours from five materials. Draws with the
// default view. Reads the grain vertex (28 bytes: grain number, position,
// normal).
//
// Owned by the grain pass; created zero-filled, setUp with a current context.
// Main thread only.
class GrainProgram : public RenderProgram {
public:
    static constexpr int32_t kMaterials = 5;
    static constexpr GLsizei kStride = 28;

    void setUp() override;
    void use() override;
    void unuse() override;

    // Everything a burst's draw reads: PVC from the stored matrices, the
    // emitter's scale and alpha, the materials, the light and the eye, and
    // the first `count` entries of the per-grain arrays.
    void setEmitterUniforms(const GrainEmitter& emitter);

    ElementNames diffuseNames;
};

} // namespace ZQ
