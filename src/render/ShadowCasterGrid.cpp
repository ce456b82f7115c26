#include "render/ShadowCasterGrid.h"

#include "cords/CordMeshWorker.h"
#include "engine/Assert.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// A vertex this close to the light's eye plane (or behind it) projects
// without bound.
constexpr float kNearW = 1e-6f;
// Texels added around a triangle's outline: the rasteriser covers texel
// centres inside it, and a multisampled map's resolve may spread an edge by one.
constexpr float kOutlineTexels = 2.0f;

} // namespace

void ShadowCasterGrid::reset(int32_t width, int32_t height, int32_t frame) {
    ZQ_ASSERT(width > 0 && height > 0);
    this->width = width;
    this->height = height;
    this->frame = frame;
    columns = (width + kCell - 1) / kCell;
    rows = (height + kCell - 1) / kCell;
    marks.assign(static_cast<std::size_t>(columns * rows), 0);
    sum();
}

void ShadowCasterGrid::markAll() {
    std::fill(marks.begin(), marks.end(), uint8_t{1});
}

void ShadowCasterGrid::project(const PVRTMat4& casterMatrix, const CordVertex* vertices,
                               std::size_t vertexCount) {
    ZQ_ASSERT(columns > 0);
    texels.resize(vertexCount);
    const float halfWidth = 0.5f * static_cast<float>(width);
    const float halfHeight = 0.5f * static_cast<float>(height);
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const float* p = vertices[i].position;
        const PVRTVec4 c = casterMatrix * PVRTVec4(p[0], p[1], p[2], 1.0f);
        // Not a number marks a vertex without a place on the map.
        texels[i] = c.w > kNearW ? PVRTVec2((c.x / c.w + 1.0f) * halfWidth, (c.y / c.w + 1.0f) * halfHeight)
                                 : PVRTVec2(NAN, NAN);
    }
}

void ShadowCasterGrid::addTriangles(const uint32_t* indices, std::size_t count) {
    ZQ_ASSERT(columns > 0);
    for (std::size_t t = 0; t + 2 < count; t += 3) {
        ZQ_ASSERT(indices[t] < texels.size() && indices[t + 1] < texels.size() &&
                  indices[t + 2] < texels.size());
        const PVRTVec2& a = texels[indices[t]];
        const PVRTVec2& b = texels[indices[t + 1]];
        const PVRTVec2& c = texels[indices[t + 2]];
        if (std::isnan(a.x + b.x + c.x)) {
            markAll(); // a corner behind the light
            break;
        }
        markTexels(std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}), std::max({a.x, b.x, c.x}),
                   std::max({a.y, b.y, c.y}));
    }
    sum();
}

void ShadowCasterGrid::markTexels(float x0, float y0, float x1, float y1) {
    // Bounds running to both infinities have no extent to mark by.
    if (!(x0 <= x1 && y0 <= y1) || std::isnan(x0 + x1 + y0 + y1)) {
        markAll();
        return;
    }
    const float limitX = static_cast<float>(width - 1);
    const float limitY = static_cast<float>(height - 1);
    if (x1 + kOutlineTexels < 0.0f || y1 + kOutlineTexels < 0.0f || x0 - kOutlineTexels > limitX + 1.0f ||
        y0 - kOutlineTexels > limitY + 1.0f) {
        return; // wholly off the map: it covers no texel
    }
    // Clamped first, the texel is not negative, and truncation floors it.
    const auto cell = [](float texel, float limit) {
        return static_cast<int32_t>(std::clamp(texel, 0.0f, limit)) / kCell;
    };
    const int32_t cx0 = cell(x0 - kOutlineTexels, limitX);
    const int32_t cx1 = cell(x1 + kOutlineTexels, limitX);
    const int32_t cy0 = cell(y0 - kOutlineTexels, limitY);
    const int32_t cy1 = cell(y1 + kOutlineTexels, limitY);
    for (int32_t cy = cy0; cy <= cy1; ++cy) {
        for (int32_t cx = cx0; cx <= cx1; ++cx) {
            marks[static_cast<std::size_t>(cy * columns + cx)] = 1;
        }
    }
}

void ShadowCasterGrid::sum() {
    sums.assign(static_cast<std::size_t>((columns + 1) * (rows + 1)), 0);
    for (int32_t cy = 0; cy < rows; ++cy) {
        int32_t row = 0;
        for (int32_t cx = 0; cx < columns; ++cx) {
            row += marks[static_cast<std::size_t>(cy * columns + cx)];
            sums[static_cast<std::size_t>((cy + 1) * (columns + 1) + cx + 1)] =
                sums[static_cast<std::size_t>(cy * (columns + 1) + cx + 1)] + row;
        }
    }
}

int32_t ShadowCasterGrid::marksUpTo(int32_t cx, int32_t cy) const {
    return sums[static_cast<std::size_t>((cy + 1) * (columns + 1) + cx + 1)];
}

bool ShadowCasterGrid::clear(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const {
    if (columns == 0) {
        return false; // never reset: nothing is known of the map
    }
    x0 = std::clamp(x0, 0, width - 1) / kCell;
    x1 = std::clamp(x1, 0, width - 1) / kCell;
    y0 = std::clamp(y0, 0, height - 1) / kCell;
    y1 = std::clamp(y1, 0, height - 1) / kCell;
    if (x0 > x1 || y0 > y1) {
        return false;
    }
    const int32_t inside = marksUpTo(x1, y1) - (x0 > 0 ? marksUpTo(x0 - 1, y1) : 0) -
                           (y0 > 0 ? marksUpTo(x1, y0 - 1) : 0) +
                           (x0 > 0 && y0 > 0 ? marksUpTo(x0 - 1, y0 - 1) : 0);
    return inside == 0;
}

} // namespace ZQ
