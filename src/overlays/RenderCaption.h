#pragma once

#include "render/Render.h"

#include <GLES2/gl2.h>

namespace ZQ {

class CaptionProgram;
class CloudletContainer;

// Draws every caption of the caption model, in the model's order, as one
// textured quad centred on its position: scale x base width wide, the
// texture's aspect high. Angles do not turn captions. The frame draws it
// after every scene pass with depth test and culling off and blending on.
//
// Ownership: owns its program (made in setUp) and its quad buffer; the
// caption model is not owned. Threads: main thread only.
class RenderCaption : public Render {
public:
    explicit RenderCaption(CloudletContainer* captions);

    void setUp() override;
    void tearDown() override;
    void render() override;

    // Translation(position) . Scale(w, h, w), column-major.
    static void captionMatrix(float out[16], float x, float y, float z, float w, float h);

private:
    CaptionProgram* captionProgram() const;

    GLuint vertexBuffer = 0;
    CloudletContainer* captions;
};

} // namespace ZQ
