#include "levels/PatternGenerators.h"
#include "levels/PatternGeneratorsLaying.h"

namespace ZQ {

using namespace PatternLaying;

namespace {

// The apex of an equilateral triangle of side 0.5 on its base p1 -> p2: half
// a side along the base direction turned 60 degrees counter-clockwise.
PVRTVec2 apexOf(const PVRTVec2& p1, const PVRTVec2& p2) {
    const PVRTVec2 base = p2 - p1;
    const PVRTVec2 dir = base / base.length();
    const PVRTVec2 turned(0.5f * dir.x - 0.8660254f * dir.y, 0.8660254f * dir.x + 0.5f * dir.y);
    return p1 + turned * 0.5f;
}

void addOnBase(PatternGraph& graph, const PVRTVec2& p1, const PVRTVec2& p2, const PatternFunction& f, int i,
               int j) {
    addTriangle(graph, apexOf(p1, p2), p1, p2, f, i, j);
}

} // namespace

// Horizontal lines 0.4330127 apart, counted downward from the top; each pass
// of the outer loop lays two bands, so an odd height lays one band more.
PatternGraph* makeTrianglePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 4, [&](PatternGraph& graph, PendingTiles&) {
        const int halfH = height >> 1;
        const auto line = [halfH](int k) { return static_cast<float>(k - halfH) * -0.4330127f; };
        const float x0 = static_cast<float>(-(width / 2)) * 0.5f;
        for (int k = 0; k < height; k += 2) {
            const float y0 = line(k);
            const float y1 = line(k + 1);
            const float y2 = line(k + 2);
            for (int u = 0; u < width; ++u) {
                const float left = x0 + 0.5f * static_cast<float>(u);
                addOnBase(graph, {x0 + 0.5f * static_cast<float>(u + 1), y0}, {left, y0}, patterns[0], u, k);
            }
            for (int u = 0; u < width; ++u) {
                const float left = x0 + 0.25f + 0.5f * static_cast<float>(u);
                const float right = x0 + 0.75f + 0.5f * static_cast<float>(u);
                addOnBase(graph, {left, y1}, {right, y1}, patterns[1], u, k);
            }
            for (int u = 0; u < width; ++u) {
                const float left = x0 + 0.25f + 0.5f * static_cast<float>(u);
                const float right = x0 + 0.75f + 0.5f * static_cast<float>(u);
                addOnBase(graph, {right, y1}, {left, y1}, patterns[2], u, k + 1);
            }
            for (int u = 0; u < width; ++u) {
                const float left = x0 + 0.5f * static_cast<float>(u);
                const float right = x0 + 0.5f + 0.5f * static_cast<float>(u);
                addOnBase(graph, {left, y2}, {right, y2}, patterns[3], u, k + 1);
            }
        }
    });
}

PatternGraph* makeSquarePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 1, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.25f * static_cast<float>(height) + 0.5f * static_cast<float>(r);
            for (int u = 0; u < width; ++u) {
                const float x = -0.25f * static_cast<float>(width) + 0.5f * static_cast<float>(u);
                makeSegmentTiles(made.tiles, x, y, x + 0.5f, y);
                addEachAsking(graph, made, patterns[0], r, u);
            }
        }
    });
}

// Columns of flat-topped hexagons; odd columns start half a hexagon lower.
PatternGraph* makeHexagonPattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 1, [&](PatternGraph& graph, PendingTiles& made) {
        for (int u = 0; u < width; ++u) {
            const float x = -0.375f * static_cast<float>(width) + 0.75f * static_cast<float>(u);
            const float yStart = -0.4330127f * static_cast<float>(height + (u & 1));
            for (int r = 0; r < height; ++r) {
                const float y = yStart + 0.8660254f * static_cast<float>(r);
                makeTriangleFan(made.tiles, 6, x, y, kHexagonApothem, 1.5707964f);
                addAllAskingOnce(graph, made, patterns[0], r, u);
            }
        }
    });
}

} // namespace ZQ
