#include "render/RoomShadowTiles.h"

#include "engine/Assert.h"
#include "render/ShadowCasterGrid.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/RoomModel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ZQ {

namespace {

constexpr int32_t kFaces = 5;
// Clip-space w below which a point cannot be drawn: the near plane lies at
// 1.5 eye units, so nothing drawn comes this close.
constexpr float kNearW = 1e-3f;
// The shadow divide's w below which the bounds are not trusted.
constexpr float kLightW = 1e-6f;
// The largest bias the filter subtracts, and room for the float rounding of
// the depth it compares (some thousand times the rounding of a depth near 1).
constexpr float kMaxBias = 0.005f;
constexpr double kDepthMargin = 1e-4;
// A face clipped to a square has at most its 4 corners plus one per plane.
constexpr int32_t kMaxCorners = 4 + 5;

using Polygon = std::array<PVRTVec3, kMaxCorners>;

// Each face's corners in turn around it. The faces are squares of the unit
// box, one coordinate fixed: the ring walks the other two's signs.
const std::array<std::array<PVRTVec3, 4>, kFaces>& faceCorners() {
    static const std::array<std::array<PVRTVec3, 4>, kFaces> corners = [] {
        std::array<std::array<PVRTVec3, 4>, kFaces> out{};
        const std::vector<RoomVertex> vertices = RoomModel::boxVertices();
        const GLushort* indices = RoomModel::boxIndices();
        for (std::size_t f = 0; f < static_cast<std::size_t>(kFaces); ++f) {
            const auto coordinates = [](const PVRTVec3& p) { return std::array<float, 3>{p.x, p.y, p.z}; };
            const std::array<float, 3> first = coordinates(vertices[indices[6 * f]].position);
            std::size_t fixed = 0;
            for (std::size_t axis = 0; axis < 3; ++axis) {
                bool same = true;
                for (std::size_t k = 0; k < 6; ++k) {
                    same = same && coordinates(vertices[indices[6 * f + k]].position)[axis] == first[axis];
                }
                fixed = same ? axis : fixed;
            }
            const std::size_t u = (fixed + 1) % 3;
            const std::size_t v = (fixed + 2) % 3;
            const float su[4] = {-0.5f, 0.5f, 0.5f, -0.5f};
            const float sv[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
            for (std::size_t k = 0; k < 4; ++k) {
                std::array<float, 3> p = first;
                p[u] = su[k];
                p[v] = sv[k];
                out[f][k] = PVRTVec3(p[0], p[1], p[2]);
            }
        }
        return out;
    }();
    return corners;
}

float dot4(const PVRTMat4& m, int32_t row, const PVRTVec3& p) {
    return m(row, 0) * p.x + m(row, 1) * p.y + m(row, 2) * p.z + m(row, 3);
}

// Keeps the part of `polygon` where plane(p) >= 0; plane is affine in p, so
// its zero along an edge lies at the interpolated corner.
template <typename Plane> int32_t clipPolygon(Polygon& polygon, int32_t count, Plane plane) {
    Polygon out{};
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i) {
        const PVRTVec3& a = polygon[static_cast<std::size_t>(i)];
        const PVRTVec3& b = polygon[static_cast<std::size_t>((i + 1) % count)];
        const float da = plane(a);
        const float db = plane(b);
        if (da >= 0.0f) {
            out[static_cast<std::size_t>(n++)] = a;
        }
        if ((da >= 0.0f) != (db >= 0.0f)) {
            out[static_cast<std::size_t>(n++)] = a + (b - a) * (da / (da - db));
        }
        ZQ_ASSERT(n <= kMaxCorners);
    }
    polygon = out;
    return n;
}

} // namespace

bool RoomShadowTiles::faceLit(int32_t face, const PVRTMat4& clipFromBox, const PVRTMat4& shadowFromBox,
                              const float ndc[4], const PVRTVec2& reach, const ShadowCasterGrid& casters,
                              bool& covers) const {
    Polygon polygon{};
    const auto& corners = faceCorners()[static_cast<std::size_t>(face)];
    std::copy(corners.begin(), corners.end(), polygon.begin());
    int32_t n = 4;
    const PVRTMat4& m = clipFromBox;
    n = clipPolygon(polygon, n, [&](const PVRTVec3& p) { return dot4(m, 3, p) - kNearW; });
    n = clipPolygon(polygon, n, [&](const PVRTVec3& p) { return dot4(m, 0, p) - ndc[0] * dot4(m, 3, p); });
    n = clipPolygon(polygon, n, [&](const PVRTVec3& p) { return ndc[1] * dot4(m, 3, p) - dot4(m, 0, p); });
    n = clipPolygon(polygon, n, [&](const PVRTVec3& p) { return dot4(m, 1, p) - ndc[2] * dot4(m, 3, p); });
    n = clipPolygon(polygon, n, [&](const PVRTVec3& p) { return ndc[3] * dot4(m, 3, p) - dot4(m, 1, p); });
    covers = n >= 3;
    if (!covers) {
        return true;
    }
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY, far = -INFINITY;
    for (int32_t i = 0; i < n; ++i) {
        for (float dz : {-WallPaperRoomProgram::kZHeight, WallPaperRoomProgram::kZHeight}) {
            const PVRTVec3& p = polygon[static_cast<std::size_t>(i)];
            const PVRTVec4 sc = shadowFromBox * PVRTVec4(p.x, p.y, p.z + dz, 1.0f);
            if (!(sc.w > kLightW)) {
                return false;
            }
            const double sx = (static_cast<double>(sc.x) / sc.w + 1.0) * 0.5;
            const double sy = (static_cast<double>(sc.y) / sc.w + 1.0) * 0.5;
            const double sz = (static_cast<double>(sc.z) / sc.w + 1.0) * 0.5;
            x0 = std::min(x0, sx);
            x1 = std::max(x1, sx);
            y0 = std::min(y0, sy);
            y1 = std::max(y1, sy);
            far = std::max(far, sz);
        }
    }
    if (!(far + kMaxBias + kDepthMargin < ShadowCasterGrid::kWhiteDepth - kDepthMargin)) {
        return false;
    }
    const double w = casters.width;
    const double h = casters.height;
    // Beyond a few maps' width the texel index would overflow: the clamp
    // reads the map's edge, and the widest rectangle stands for it.
    const auto texel = [](double t, double size) {
        return static_cast<int32_t>(std::floor(std::clamp(t * size, -4.0 * size, 5.0 * size)));
    };
    return casters.clear(texel(x0, w) - static_cast<int32_t>(std::ceil(reach.x)) - 1,
                         texel(y0, h) - static_cast<int32_t>(std::ceil(reach.y)) - 1,
                         texel(x1, w) + static_cast<int32_t>(std::ceil(reach.x)) + 1,
                         texel(y1, h) + static_cast<int32_t>(std::ceil(reach.y)) + 1);
}

void RoomShadowTiles::classify(const PVRTMat4& clipFromBox, const PVRTMat4& shadowFromBox, int32_t width,
                               int32_t height, const PVRTVec2& reach, const ShadowCasterGrid& casters) {
    ZQ_ASSERT(width > 0 && height > 0);
    const int32_t columns = (width + tileSize - 1) / tileSize;
    const int32_t rows = (height + tileSize - 1) / tileSize;
    tiles.assign(static_cast<std::size_t>(columns * rows), Tile::empty);
    tileFaces.assign(tiles.size(), 0);
    litTiles = 0;
    filteredTiles = 0;
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            // The square one pixel wider all round, in device coordinates.
            const float ndc[4] = {
                static_cast<float>(column * tileSize - 1) / static_cast<float>(width) * 2.0f - 1.0f,
                static_cast<float>((column + 1) * tileSize + 1) / static_cast<float>(width) * 2.0f - 1.0f,
                static_cast<float>(row * tileSize - 1) / static_cast<float>(height) * 2.0f - 1.0f,
                static_cast<float>((row + 1) * tileSize + 1) / static_cast<float>(height) * 2.0f - 1.0f};
            const std::size_t i = static_cast<std::size_t>(row * columns + column);
            bool lit = true;
            for (int32_t face = 0; face < kFaces; ++face) {
                bool covers = false;
                const bool faceIsLit = faceLit(face, clipFromBox, shadowFromBox, ndc, reach, casters, covers);
                if (covers) {
                    tileFaces[i] |= 1u << face;
                    lit = lit && faceIsLit;
                }
            }
            if (tileFaces[i] != 0) {
                tiles[i] = lit ? Tile::lit : Tile::filtered;
                (lit ? litTiles : filteredTiles) += 1;
            }
        }
    }
    merge(columns, rows, width, height);
}

void RoomShadowTiles::merge(int32_t columns, int32_t rows, int32_t width, int32_t height) {
    rects.clear();
    // Runs of one kind along each row; a run the row below had over the same
    // columns grows upward instead of starting a rectangle.
    struct Open {
        int32_t first, last, row;
        std::size_t rect;
    };
    std::vector<Open> open;
    std::vector<Open> next;
    for (int32_t row = 0; row < rows; ++row) {
        next.clear();
        int32_t column = 0;
        while (column < columns) {
            const std::size_t i = static_cast<std::size_t>(row * columns + column);
            const Tile kind = tiles[i];
            int32_t last = column;
            uint32_t faces = tileFaces[i];
            while (last + 1 < columns && tiles[i + static_cast<std::size_t>(last + 1 - column)] == kind) {
                ++last;
                faces |= tileFaces[i + static_cast<std::size_t>(last - column)];
            }
            if (kind != Tile::empty) {
                const auto above = std::find_if(open.begin(), open.end(), [&](const Open& o) {
                    return o.first == column && o.last == last &&
                           rects[o.rect].filtered == (kind == Tile::filtered);
                });
                if (above != open.end()) {
                    Rect& r = rects[above->rect];
                    r.height = std::min((row + 1) * tileSize, height) - r.y;
                    r.faces |= faces;
                    next.push_back(*above);
                } else {
                    Rect r;
                    r.x = column * tileSize;
                    r.y = row * tileSize;
                    r.width = std::min((last + 1) * tileSize, width) - r.x;
                    r.height = std::min((row + 1) * tileSize, height) - r.y;
                    r.filtered = kind == Tile::filtered;
                    r.faces = faces;
                    rects.push_back(r);
                    next.push_back(Open{column, last, row, rects.size() - 1});
                }
            }
            column = last + 1;
        }
        open.swap(next);
    }
}

} // namespace ZQ
