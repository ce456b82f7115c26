#include "render/RenderGauge.h"

#include "engine/CloudletContainer.h"
#include "engine/Globals.h"
#include "render/GaugeProgram.h"
#include "stage/GaugeModel.h"

namespace ZQ {

namespace {

// The helix's radius against the screen width, and the ribbon's half width
// in world units.
constexpr float kSizeOfWidth = 0.25f;
constexpr float kHalfWidth = 0.3f;

} // namespace

RenderGauge::RenderGauge(CloudletContainer* gauges) : Render(new GaugeProgram()), gauges(gauges) {}

void RenderGauge::setUp() {
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
    Render::setUp();
}

void RenderGauge::tearDown() {
    Render::tearDown();
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
    vertexBuffer = 0;
    indexBuffer = 0;
}

void RenderGauge::render() {
    items.clear();
    if (gauges != nullptr) {
        gauges->getCloudlets(items);
    }
    if (items.empty()) {
        return;
    }
    auto* gaugeProgram = static_cast<GaugeProgram*>(program);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    const GaugeModel* model = gGlobals.gaugeModel;
    for (Cloudlet* item : items) {
        const auto* gauge = static_cast<const GaugeInstance*>(item);
        // Every gauge shows the fill of the one on show; without one the
        // buffers keep what they last held.
        const GaugeInstance* shown = model != nullptr ? model->showing() : gauge;
        if (shown != nullptr) {
            ringCount =
                GaugeRibbon::build(gauge->depth, shown->fill, shown->bands, kHalfWidth / gGlobals.worldScale,
                                   kSizeOfWidth * gGlobals.screenSize.x, vertices, indices);
            indexCount = static_cast<int32_t>(indices.size());
            glBufferData(GL_ARRAY_BUFFER,
                         static_cast<GLsizeiptr>(vertices.size() * sizeof(GaugeRibbon::Vertex)),
                         vertices.data(), GL_DYNAMIC_DRAW);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                         indices.data(), GL_DYNAMIC_DRAW);
        }
        if (indexCount == 0) {
            continue;
        }
        gaugeProgram->use();
        gaugeProgram->setGaugeUniforms(*gauge);
        glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    }
    program->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
