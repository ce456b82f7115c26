#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// The program of the tile slabs: a metal surface lit by one fixed light
// above the screen's upper right, its front normal bent by the label's
// relief texture. It keeps the default matrices of every program (the
// overlay camera).
//
// Vertex input (32 bytes): a_position 3 floats, a_normal 3 floats, a_tex 2
// floats. Owned by its pass. Main thread only.
class TileProgram : public RenderProgram {
public:
    static constexpr GLsizei kVertexBytes = 32;

    void setUp() override;
    // glUseProgram and the three attribute arrays of the bound vertex buffer.
    void use() override;
    void unuse() override;
};

} // namespace ZQ
