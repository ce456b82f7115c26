#include "levels/PatternGraph.h"

#include <cmath>
#include <cstring>

namespace ZQ {

namespace {

constexpr float kSnapTolerance = 0.0001f;

// A snapped coordinate hashes as its bit pattern; anything closer to zero
// than the tolerance hashes as zero, so -0.0 and tiny residues meet +0.0.
uint64_t coordinateHash(float snapped) {
    if (std::fabs(snapped) < kSnapTolerance) {
        return 0;
    }
    uint32_t bits = 0;
    std::memcpy(&bits, &snapped, sizeof bits);
    return bits;
}

} // namespace

PatternTile::~PatternTile() {
    for (PatternTile* child : children) {
        delete child;
    }
    children.clear();
}

void PatternTile::subdivide() {
    if (!children.empty()) {
        for (PatternTile* child : children) {
            child->subdivide();
        }
        return;
    }
    const PVRTVec2 mid = (points[1] + points[2]) * 0.5f;
    auto* first = new PatternTile(points[0], points[1], mid);
    auto* second = new PatternTile(points[0], mid, points[2]);
    for (PatternTile* half : {first, second}) {
        std::memcpy(half->work, work, sizeof work);
        half->value = value;
    }
    children.push_back(first);
    children.push_back(second);
}

// The x and y grid factors differ (0.0001 against 0.0011) so that a point and
// its mirror across the diagonal do not cancel to the same XOR.
PatternPoint::PatternPoint(float ax, float ay) : x(ax), y(ay) {
    const float rx = std::round(ax * 10000.0f) * 0.0001f;
    const float ry = std::round(ay * 10000.0f) * 0.0011f;
    hash = coordinateHash(ry) ^ coordinateHash(rx);
}

bool PatternPoint::matches(const PatternPoint& o) const {
    return std::fabs(x - o.x) < kSnapTolerance && std::fabs(y - o.y) < kSnapTolerance;
}

PatternGraph::PatternGraph() {
    edges.max_load_factor(1.0f);
}

PatternGraph::~PatternGraph() {
    for (PatternTile* tile : tiles) {
        delete tile;
    }
}

void PatternGraph::addTile(PatternTile* tile) {
    if (!tile->children.empty()) {
        for (PatternTile* child : tile->children) {
            addTile(child);
        }
        // The leaves now belong to the graph; the emptied inner tile is freed
        // here, since the caller handed it over like any other.
        tile->children.clear();
        delete tile;
        return;
    }
    tiles.push_back(tile);
    const PatternEdge key(PatternPoint(tile->points[1].x, tile->points[1].y),
                          PatternPoint(tile->points[2].x, tile->points[2].y));
    edges[key].push_back(tile);
}

void makeTriangleFan(std::vector<PatternTile*>& tiles, int n, float cx, float cy, float apothem,
                     float phase) {
    const float step = 6.2831855f / static_cast<float>(n);
    const float halfSideRatio = std::tan(0.5f * step);
    const PVRTVec2 centre(cx, cy);
    for (int i = 0; i < n; ++i) {
        // The side's middle lies along alpha; its half-length is tan(pi/n) times
        // the apothem.
        const float alpha = phase + static_cast<float>(i) * step;
        const PVRTVec2 toSide(apothem * std::cos(alpha), apothem * std::sin(alpha));
        const float d = toSide.length();
        const float theta = std::atan2(toSide.y, toSide.x);
        const float h = halfSideRatio * d;
        const PVRTVec2 mid(cx + d * std::cos(theta), cy + d * std::sin(theta));
        const PVRTVec2 along(std::sin(theta), -std::cos(theta));
        tiles.push_back(new PatternTile(centre, mid + along * h, mid - along * h));
    }
}

std::array<float, 4> makeSegmentTiles(std::vector<PatternTile*>& tiles, float x1, float y1, float x2,
                                      float y2) {
    const PVRTVec2 p1(x1, y1);
    const PVRTVec2 p2(x2, y2);
    const PVRTVec2 seg = p2 - p1;
    const float len = seg.length();
    const float theta = std::atan2(seg.y, seg.x);
    // The segment turned a quarter turn counter-clockwise: the square lies on
    // the left of p1 -> p2.
    const PVRTVec2 normal(len * std::cos(theta + 1.5707964f), len * std::sin(theta + 1.5707964f));
    const PVRTVec2 far1 = p1 + normal;
    const PVRTVec2 far2 = p2 + normal;
    tiles.push_back(new PatternTile(p1, far2, far1));
    tiles.push_back(new PatternTile(p2, far2, p1));
    return {far1.x, far1.y, far2.x, far2.y};
}

void makeRotatedSquare(std::vector<PatternTile*>& tiles, float cx, float cy, float angle) {
    const float ca = std::cos(angle);
    const float sa = std::sin(angle);
    const auto corner = [&](float u, float v) {
        return PVRTVec2(cx + (ca * u - sa * v), cy + (sa * u + ca * v));
    };
    tiles.push_back(new PatternTile(corner(-0.25f, -0.25f), corner(0.25f, 0.25f), corner(-0.25f, 0.25f)));
    tiles.push_back(new PatternTile(corner(0.25f, -0.25f), corner(0.25f, 0.25f), corner(-0.25f, -0.25f)));
}

} // namespace ZQ
