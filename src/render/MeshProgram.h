#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// The two-tone (warm to cool) program of the model meshes, lit by a fixed
// sun above the screen's centre. The mesh pass points the attributes at each
// mesh's own buffers, so use() only switches the program on.
//
// Vertex input: 3 position floats and 3 normal floats, interleaved at the
// mesh's stride. Main thread only.
class MeshProgram : public RenderProgram {
public:
    void setUp() override;
    void use() override;
    // Disables both attribute arrays, unbinds the vertex buffer and switches
    // the program off.
    void unuse() override;
};

} // namespace ZQ
