#pragma once

#include "engine/PVRTVector.h"
#include "render/RenderProgram.h"

#include <cstdint>
#include <vector>

namespace ZQ {

// The balloons' program: diffuse light from the viewer's direction in one
// colour per balloon, opacity the balloon's own. Draws with its default view,
// never the scene camera's. Reads the balloon vertex (44 bytes; position and
// normal).
//
// Owned by the balloon pass; created zero-filled, setUp with a current
// context. Main thread only.
class BalloonProgram : public RenderProgram {
public:
    static constexpr GLsizei kStride = 44;

    void setUp() override;
    void use() override;
    // Uploads PVC m, the normal matrix of V m and the colour the colour index
    // picks (modulo the table's size).
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    std::vector<PVRTVec4> colours;
    int32_t colourIndex = 0;
};

} // namespace ZQ
