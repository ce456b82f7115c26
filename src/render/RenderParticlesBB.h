#pragma once

#include "engine/PVRTVector.h"
#include "render/Render.h"

#include <GLES2/gl2.h>

#include <vector>

namespace ZQ {

// For inspection: a red wire cube of one physics unit around every particle
// of the cord world, and a line along each particle's acceleration. Set up
// and torn down with the other passes; the frame never draws it.
//
// Ownership: owns its program and its vertex buffer. Threads: main thread
// only.
class RenderParticlesBB : public Render {
public:
    RenderParticlesBB();
    // The program, then the vertex buffer.
    void setUp() override;
    // The program, then the vertex buffer.
    void tearDown() override;
    void render() override;

    // The line vertices of the last render, two per line.
    const std::vector<PVRTVec3>& getVertices() const { return vertices; }

private:
    void buildLines();

    GLuint vertexBuffer = 0;
    std::vector<PVRTVec3> vertices;
};

} // namespace ZQ
