#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

// Paints the wallpaper relief into a room texture: the packed normal and the
// pattern value (u_drawHeight 0) or the relief height as a grey (1). Its view
// stays the identity; the pre-pass sets its projection and centring for the
// square target before each draw.
//
// Vertex input: the 36-byte MandalaVertex (position, normal, value). Main
// thread only.
class WallPaperProgram : public RenderProgram {
public:
    static constexpr float kZHeight = 0.05f; // the relief's amplitude

    void setUp() override;
    void use() override;
    // Uploads P·V·C·model; the model matrix is not kept.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // The uniforms of one paint: 0 colours, 1 heights.
    void setDrawHeight(float drawHeight);

    // The square target of edge t seen head on: the orthographic projection
    // and the centring that put the pattern origin at the texture's centre.
    static PVRTMat4 targetProjection(float t);
    static PVRTMat4 targetCentring(float t);
};

} // namespace ZQ
