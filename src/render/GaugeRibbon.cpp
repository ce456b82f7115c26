#include "render/GaugeRibbon.h"

#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "engine/PVRTVector.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace ZQ {

namespace {

// The section of the ribbon, one row per vertex of a ring: where it sits
// across the ribbon (x along the binormal, y along the normal) and its
// normal as (along the binormal, along the tangent, against the normal).
struct SectionRow {
    float x, y;
    float nx, ny, nz;
};

// clang-format off
constexpr SectionRow kSection[] = {
    {-1.0f,  1.0f,   0.0f, 0.0f, -1.0f}, // 0  top
    { 1.0f,  1.0f,   0.0f, 0.0f, -1.0f}, // 1  top
    { 1.0f,  1.0f,   1.0f, 0.0f,  0.0f}, // 2  right side
    { 1.0f, -1.0f,   1.0f, 0.0f,  0.0f}, // 3  right side
    { 1.0f, -1.0f,   0.0f, 0.0f,  1.0f}, // 4  bottom
    {-1.0f, -1.0f,   0.0f, 0.0f,  1.0f}, // 5  bottom
    {-1.0f, -1.0f,  -1.0f, 0.0f,  0.0f}, // 6  left side
    {-1.0f,  1.0f,  -1.0f, 0.0f,  0.0f}, // 7  left side
    {-1.0f,  1.0f,   0.0f, 1.0f,  0.0f}, // 8  cap
    { 1.0f,  1.0f,   0.0f, 1.0f,  0.0f}, // 9  cap
    { 1.0f, -1.0f,   0.0f, 1.0f,  0.0f}, // 10 cap
    {-1.0f, -1.0f,   0.0f, 1.0f,  0.0f}, // 11 cap
};
// clang-format on
static_assert(std::size(kSection) == GaugeRibbon::kRingSize);

constexpr float kTiny = 0.0001f;

PVRTVec3 normalised(const PVRTVec3& v) {
    const float length = v.length();
    return length > 0.0f ? v / length : v;
}

PVRTVec3 at(const GaugeRibbon::Vertex& v) {
    return PVRTVec3(v.position[0], v.position[1], v.position[2]);
}

// A cap (A, B, C, D) split along its shorter diagonal.
void addCap(std::vector<uint32_t>& indices, const std::vector<GaugeRibbon::Vertex>& vertices, uint32_t ring) {
    const uint32_t a = ring * 12 + 8;
    const uint32_t b = a + 1;
    const uint32_t c = a + 2;
    const uint32_t d = a + 3;
    if ((at(vertices[b]) - at(vertices[d])).length() > (at(vertices[a]) - at(vertices[c])).length()) {
        indices.insert(indices.end(), {a, b, c, a, c, d});
    } else {
        indices.insert(indices.end(), {a, b, d, d, b, c});
    }
}

} // namespace

int32_t GaugeRibbon::ringCountFor(float fill) {
    int32_t i = 1;
    while (i < kRings && static_cast<float>(i) / static_cast<float>(kRings) <= fill) {
        ++i;
    }
    if (i == kRings) {
        return kRings;
    }
    return std::max(i - 1, 1);
}

float GaugeRibbon::bandIndex(const std::vector<std::pair<float, float>>& bands, float f) {
    for (const auto& band : bands) {
        if (band.first >= f) {
            return band.second;
        }
    }
    return bands.empty() ? f : bands.back().second;
}

int32_t GaugeRibbon::build(float depth, float fill, const std::vector<std::pair<float, float>>& bands,
                           float width, float size, std::vector<Vertex>& vertices,
                           std::vector<uint32_t>& indices) {
    Cord cord(size, PVRTVec3(), 1, false, new ConicalHelix(6.0f, 6.0f, depth, 4.0f, 0.0f));
    cord.build();
    const float length = cord.totalLength;

    PVRTVec3 p[kRings];
    for (int32_t i = 0; i < kRings; ++i) {
        p[i] = cord.pointAtLength(length * 0.002f * static_cast<float>(i));
    }
    PVRTVec3 tangent[kRings];
    tangent[0] = normalised(p[1] - p[0]);
    for (int32_t i = 1; i < kRings - 1; ++i) {
        const PVRTVec3 d = p[i + 1] - p[i - 1];
        tangent[i] = d.length() > kTiny ? d / d.length() : d;
    }
    tangent[kRings - 1] = normalised(p[kRings - 1] - p[kRings - 2]);

    // Parallel transport: each ring's normal is the last one turned as the
    // tangent turned, so the ribbon does not twist.
    PVRTVec3 normal[kRings];
    PVRTVec3 binormal[kRings];
    const PVRTVec3& t0 = tangent[0];
    normal[0] = normalised(PVRTVec3(t0.z * t0.x, t0.z * t0.y, -(t0.x * t0.x + t0.y * t0.y)));
    binormal[0] = t0.cross(normal[0]);
    for (int32_t i = 1; i < kRings; ++i) {
        PVRTVec3 axis = tangent[i - 1].cross(tangent[i]);
        if (axis.length() > kTiny) {
            axis = axis / axis.length();
            const float angle = std::acos(std::clamp(tangent[i - 1].dot(tangent[i]), -1.0f, 1.0f));
            const PVRTVec3& v = normal[i - 1];
            // Rodrigues: v cos + (k x v) sin + k (k . v)(1 - cos).
            normal[i] = v * std::cos(angle) + axis.cross(v) * std::sin(angle) +
                        axis * (axis.dot(v) * (1.0f - std::cos(angle)));
        } else {
            normal[i] = normal[i - 1];
        }
        binormal[i] = tangent[i].cross(normal[i]);
    }

    vertices.assign(static_cast<std::size_t>(kRings) * kRingSize, Vertex{});
    const int32_t ringCount = ringCountFor(fill);
    const int32_t built = ringCount == kRings ? kRings : ringCount + 1;
    const float thickness = 0.3f * width;
    for (int32_t i = 0; i < built; ++i) {
        const float f = static_cast<float>(i) / static_cast<float>(kRings);
        const float m = bandIndex(bands, f);
        for (int32_t k = 0; k < kRingSize; ++k) {
            const SectionRow& row = kSection[k];
            const PVRTVec3 position = p[i] + normal[i] * (thickness * row.y) + binormal[i] * (width * row.x);
            // The start cap faces backwards, every other ring forwards.
            const float ny = i == 0 ? -row.ny : row.ny;
            const PVRTVec3 n = binormal[i] * row.nx - normal[i] * row.nz + tangent[i] * ny;
            vertices[static_cast<std::size_t>(i * kRingSize + k)] = {
                {position.x, position.y, position.z}, {n.x, n.y, n.z}, m};
        }
    }

    indices.clear();
    addCap(indices, vertices, 0);
    for (uint32_t r = 0; r + 1 < static_cast<uint32_t>(ringCount); ++r) {
        for (uint32_t j = 0; j < 8; j += 2) {
            const uint32_t a = 12 * r + j;
            const uint32_t b = 12 * r + j + 1;
            indices.insert(indices.end(), {a, b, a + 12, b, b + 12, a + 12});
        }
    }
    addCap(indices, vertices, static_cast<uint32_t>(ringCount - 1));
    return ringCount;
}

} // namespace ZQ
