#pragma once

#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ {

struct CordVertex;

// Where this frame's shadow map may hold a caster: the map in square cells
// of kCell texels, a cell marked when the screen bounds of a caster triangle
// drawn into it reach the cell. Every texel of an unmarked cell still holds
// the frame's white clear, a depth beyond every surface, so a shadow filter
// reading only such texels finds the surface lit without reading them.
//
// Ownership: plain value, kept by the shadow-map pass. Main thread only.
class ShadowCasterGrid {
public:
    static constexpr int32_t kCell = 8;
    // A white texel unpacked: 1/256^3 + 1/256^2 + 1/256 + 1.
    static constexpr double kWhiteDepth = 1.0 + 1.0 / 256.0 + 1.0 / 65536.0 + 1.0 / 16777216.0;

    // A grid over a width x height map drawn in frame `frame`, nothing cast yet.
    void reset(int32_t width, int32_t height, int32_t frame);
    // The mesh whose triangles follow, seen through `casterMatrix` (the
    // shadow program's light matrix).
    void project(const PVRTMat4& casterMatrix, const CordVertex* vertices, std::size_t vertexCount);
    // Marks the cells under the triangles `indices[0..count)` of that mesh.
    void addTriangles(const uint32_t* indices, std::size_t count);

    // True when no texel of the rectangle [x0, x1] x [y0, y1] (texel indices,
    // clamped into the map as the sampler clamps them) may hold a caster.
    bool clear(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const;

    int32_t width = 0;
    int32_t height = 0;
    int32_t frame = -1; // the frame whose map this describes; -1 none

private:
    // Casters anywhere: a triangle that crosses the light's eye plane has no
    // bounded outline on the map.
    void markAll();
    void markTexels(float x0, float y0, float x1, float y1);
    // Marked cells at or before cell (cx, cy), both inclusive.
    int32_t marksUpTo(int32_t cx, int32_t cy) const;
    void sum();

    int32_t columns = 0;
    int32_t rows = 0;
    std::vector<uint8_t> marks;
    std::vector<int32_t> sums;    // (columns + 1) x (rows + 1) prefix sums of marks
    std::vector<PVRTVec2> texels; // the projected mesh, in map texels
};

} // namespace ZQ
