#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace ZQ {

// The gauge's geometry: a flat ribbon of rectangular section swept along a
// conical helix, 501 rings of 12 vertices, drawn from its start up to a fill
// fraction; each ring carries the material index of the grade band its
// fraction falls in. Rebuilt every frame from the gauge's pitch and fill.
// Plain data and functions; main thread only.
struct GaugeRibbon {
    static constexpr int32_t kRings = 501;
    static constexpr int32_t kRingSize = 12;
    static constexpr int32_t kMaxIndices = 24 * kRings - 12;

    // 28 bytes, as the gauge program reads it.
    struct Vertex {
        float position[3]; // pixels
        float normal[3];
        float index; // material 0..4
    };

    // Rings drawn for a fill: those up to the last whose fraction i / 501
    // does not exceed it, less one, and never fewer than one, so the index
    // count never goes negative however small the fill.
    static int32_t ringCountFor(float fill);
    static int32_t indexCountFor(int32_t ringCount) { return 24 * ringCount - 12; }
    // The material index of the ring at fraction f: that of the first band
    // whose bound is at least f; f itself with no bands.
    static float bandIndex(const std::vector<std::pair<float, float>>& bands, float f);

    // Builds every ring up to the fill into `vertices` (resized to 501 x 12,
    // rings past the fill zero) and the triangles into `indices`; returns
    // the ring count. `width` is the ribbon's half width in pixels and
    // `size` the helix's radius in pixels.
    static int32_t build(float depth, float fill, const std::vector<std::pair<float, float>>& bands,
                         float width, float size, std::vector<Vertex>& vertices,
                         std::vector<uint32_t>& indices);
};
static_assert(sizeof(GaugeRibbon::Vertex) == 28);

} // namespace ZQ
