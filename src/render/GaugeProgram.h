#pragma once

#include "render/RenderProgram.h"

#include <cstdint>

namespace ZQ {

class GaugeInstance;

// The gauge ribbon's program: metal shading from five grade materials picked
// per ring, with the default view. Reads the ribbon vertex (28 bytes:
// position, normal, material index).
//
// Owned by the gauge pass; created zero-filled, setUp with a current context.
// Main thread only.
class GaugeProgram : public RenderProgram {
public:
    static constexpr int32_t kMaterials = 5;
    static constexpr GLsizei kStride = 28;

    void setUp() override;
    void use() override;
    void unuse() override;

    // The gauge's model matrix: translation, then turns about y, x and z by
    // its angles, then its scale across the ribbon's plane (x and y only).
    static PVRTMat4 gaugeModelMatrix(const GaugeInstance& gauge);
    // Everything one gauge's draw reads: matrices, alpha, materials, light
    // and eye.
    void setGaugeUniforms(const GaugeInstance& gauge);

    ElementNames diffuseNames;
};

} // namespace ZQ
