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
    sum();
}

void ShadowCasterGrid::project(const PVRTMat4& casterMatrix, const CordVertex* vertices,
                               std::size_t vertexCount) {
    clip.resize(vertexCount);
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const float* p = vertices[i].position;
        clip[i] = casterMatrix * PVRTVec4(p[0], p[1], p[2], 1.0f);
    }
}

void ShadowCasterGrid::addTriangles(const uint32_t* indices, std::size_t count) {
    ZQ_ASSERT(columns > 0);
    const std::size_t vertexCount = clip.size();
    for (std::size_t t = 0; t + 2 < count; t += 3) {
        float x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
        for (std::size_t k = 0; k < 3; ++k) {
            const uint32_t index = indices[t + k];
            ZQ_ASSERT(index < vertexCount);
            const PVRTVec4& c = clip[index];
            if (!(c.w > kNearW)) {
                markAll();
                return;
            }
            const float x = (c.x / c.w + 1.0f) * 0.5f * static_cast<float>(width);
            const float y = (c.y / c.w + 1.0f) * 0.5f * static_cast<float>(height);
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
        markTexels(x0, y0, x1, y1);
    }
    sum();
}

void ShadowCasterGrid::markTexels(float x0, float y0, float x1, float y1) {
    if (!(x0 <= x1 && y0 <= y1)) {
        markAll(); // not finite
        return;
    }
    const float limitX = static_cast<float>(width - 1);
    const float limitY = static_cast<float>(height - 1);
    if (x1 + kOutlineTexels < 0.0f || y1 + kOutlineTexels < 0.0f || x0 - kOutlineTexels > limitX + 1.0f ||
        y0 - kOutlineTexels > limitY + 1.0f) {
        return; // wholly off the map: it covers no texel
    }
    const auto cell = [](float texel, float limit) {
        return static_cast<int32_t>(std::clamp(std::floor(texel), 0.0f, limit)) / kCell;
    };
    const int32_t cx0 = cell(x0 - kOutlineTexels, limitX);
    const int32_t cx1 = cell(x1 + kOutlineTexels, limitX);
    const int32_t cy0 = cell(y0 - kOutlineTexels, limitY);
    const int32_t cy1 = cell(y1 + kOutlineTexels, limitY);
    for (int32_t cy = cy0; cy <= cy1; ++cy) {
        std::fill(marks.begin() + cy * columns + cx0, marks.begin() + cy * columns + cx1 + 1, uint8_t{1});
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
