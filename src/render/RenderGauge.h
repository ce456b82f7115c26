#pragma once

#include "render/GaugeRibbon.h"
#include "render/Render.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

class Cloudlet;
class CloudletContainer;

// Draws the points gauges: for each gauge, the ribbon is rebuilt from its
// pitch and from the fill and bands of the gauge on show, uploaded into the
// pass's two dynamic buffers and drawn with 32-bit indices. Drawn after the
// tiles among the translucent interface solids.
//
// Ownership: owns its program and its two buffers; the gauge model is not
// owned. Threads: main thread only.
class RenderGauge : public Render {
public:
    // `gauges` may be null until the gauge model exists.
    explicit RenderGauge(CloudletContainer* gauges = nullptr);

    void setUp() override;
    void tearDown() override;
    void render() override;

    CloudletContainer* gauges;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int32_t indexCount = 0;
    int32_t ringCount = 0;

private:
    std::vector<GaugeRibbon::Vertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<Cloudlet*> items;
};

} // namespace ZQ
