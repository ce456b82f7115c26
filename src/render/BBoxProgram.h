#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// The debugging boxes' program: opaque red lines in world coordinates (bare
// 12-byte positions). Its use turns face culling and the depth test on and
// its unuse turns the depth test off again, whatever the frame had set.
//
// Owned by the particle-box pass; created zero-filled, setUp with a current
// context. Main thread only.
class BBoxProgram : public RenderProgram {
public:
    void setUp() override;
    void use() override;
    // Uploads PVC m.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;
};

} // namespace ZQ
