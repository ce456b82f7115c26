#pragma once

#include "render/Render.h"

#include <GLES2/gl2.h>

namespace ZQ {

class CaptionProgram;
class CloudletContainer;

// Draws every flowing letter of the flow model as a quad cut out of its
// caption's texture (one pixel in from either letter boundary), at the
// caption's size, centred on the letter's own particle and turned by its
// angles. Drawn right after the captions, in the same GL state.
//
// Ownership: owns its program (from construction) and one small buffer
// refilled for every letter; the flow model is not owned. Threads: main
// thread only.
class RenderFlow : public Render {
public:
    explicit RenderFlow(CloudletContainer* flows);

    void setUp() override;
    void tearDown() override;
    void render() override;

    // Translation(position) . Scale(w, h, w) . Ry(b) . Rx(a) . Rz(c),
    // column-major, for angles (a, b, c) about x, y and z.
    static void letterMatrix(float out[16], const float position[3], float w, float h, const float angles[3]);

private:
    CaptionProgram* captionProgram() const;

    GLuint vertexBuffer = 0;
    CloudletContainer* flows;
};

} // namespace ZQ
