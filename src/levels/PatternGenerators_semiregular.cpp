#include "levels/PatternGenerators.h"
#include "levels/PatternGeneratorsLaying.h"

// The semi-regular tilings whose cells hold one large polygon and its small
// neighbours, laid in rows.

namespace ZQ {

using namespace PatternLaying;

// 3.6.3.6: a hexagon with a triangle above and below its right corner; odd
// rows shift half a cell.
PatternGraph* makeHexagonTrianglePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 3, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.4330127f * toF(height) + 0.8660254f * toF(r);
            for (int u = 0; u < width; ++u) {
                const float x = -0.5f * toF(width) + ((r & 1) != 0 ? 0.5f : 0.0f) + 1.0f * toF(u);
                makeTriangleFan(made.tiles, 6, x, y, kHexagonApothem, 1.5707964f);
                addEachAsking(graph, made, patterns[0], u, r);
                addTriangle(graph, {x + 0.5f, y}, {x + 0.75f, y + 0.4330127f}, {x + 0.25f, y + 0.4330127f},
                            patterns[1], u, r);
                addTriangle(graph, {x + 0.5f, y}, {x + 0.25f, y - 0.4330127f}, {x + 0.75f, y - 0.4330127f},
                            patterns[2], u, r);
            }
        }
    });
}

// 3.12.12: dodecagons with a triangle above and below. The rows stand
// 1.5745188 apart, a little closer than the exact 1.6160254, so neighbouring
// rows overlap slightly; the walls were designed with that spacing.
PatternGraph* makeDodecagonTrianglePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 3, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.9330127f * toF(height) + 1.8660254f + 1.5745188f * toF(r);
            for (int u = 0; u < width; ++u) {
                const float x =
                    -0.9330127f * toF(width) - ((r & 1) != 0 ? 0.9330127f : 0.0f) + 1.8660254f * toF(u);
                makeTriangleFan(made.tiles, 12, x, y, kDodecagonApothem, 0.0f);
                addEachAsking(graph, made, patterns[0], u, r);
                addTriangle(graph, {x, y + 1.3660254f}, {x - 0.25f, y + 0.9330127f},
                            {x + 0.25f, y + 0.9330127f}, patterns[1], u, r);
                addTriangle(graph, {x, y - 1.3660254f}, {x + 0.25f, y - 0.9330127f},
                            {x - 0.25f, y - 0.9330127f}, patterns[2], u, r);
            }
        }
    });
}

// 4.8.8: an octagon with the square to its right.
PatternGraph* makeOctagonSquarePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 2, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.35355335f * toF(height) + 0.85355335f * toF(r);
            for (int u = 0; u < width; ++u) {
                const float x =
                    -0.85355335f * toF(width) - ((r & 1) != 0 ? 0.85355335f : 0.0f) + 1.7071067f * toF(u);
                makeTriangleFan(made.tiles, 8, x, y, kOctagonApothem, 0.0f);
                addEachAsking(graph, made, patterns[0], u, r);
                makeSegmentTiles(made.tiles, x + 0.60355335f, y + 0.25f, x + 0.60355335f, y - 0.25f);
                addEachAsking(graph, made, patterns[1], u, r);
            }
        }
    });
}

// 3.3.3.4.4: rows of squares with a triangle above and below each.
PatternGraph* makeElongatedTrianglePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 3, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.46650636f * toF(height) + 0.9330127f * toF(r);
            for (int u = 0; u < width; ++u) {
                const float x = -0.25f * toF(width) + ((r & 1) != 0 ? 0.25f : 0.0f) + 0.5f * toF(u);
                makeSegmentTiles(made.tiles, x, y, x, y - 0.5f);
                addAllAskingOnce(graph, made, patterns[0], u, r);
                addTriangle(graph, {x + 0.25f, y + 0.4330127f}, {x, y}, {x + 0.5f, y}, patterns[1], u, r);
                addTriangle(graph, {x + 0.25f, y - 0.9330127f}, {x + 0.5f, y - 0.5f}, {x, y - 0.5f},
                            patterns[2], u, r);
            }
        }
    });
}

// 3.3.4.3.4: two tilted squares and four triangles per cell.
PatternGraph* makeSnubSquarePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 6, [&](PatternGraph& graph, PendingTiles& made) {
        for (int r = 0; r < height; ++r) {
            const float y = -0.34150636f * toF(height) + 0.6830127f * toF(r);
            for (int u = 0; u < width; ++u) {
                const float x =
                    -0.34150636f * toF(width) - ((r & 1) != 0 ? 0.6830127f : 0.0f) + 1.3660254f * toF(u);
                makeSegmentTiles(made.tiles, x, y, x + 0.4330127f, y + 0.25f);
                addAllAskingOnce(graph, made, patterns[0], u, r);
                makeSegmentTiles(made.tiles, x + 0.4330127f, y + 0.25f, x + 0.8660254f, y);
                addAllAskingOnce(graph, made, patterns[1], u, r);
                addTriangle(graph, {x, y}, {x + 0.4330127f, y - 0.25f}, {x + 0.4330127f, y + 0.25f},
                            patterns[2], u, r);
                addTriangle(graph, {x + 0.8660254f, y}, {x + 0.4330127f, y + 0.25f},
                            {x + 0.4330127f, y - 0.25f}, patterns[3], u, r);
                addTriangle(graph, {x + 1.1160254f, y + 0.4330127f}, {x + 0.8660254f, y}, {x + 1.3660254f, y},
                            patterns[4], u, r);
                addTriangle(graph, {x + 1.1160254f, y - 0.4330127f}, {x + 1.3660254f, y}, {x + 0.8660254f, y},
                            patterns[5], u, r);
            }
        }
    });
}

} // namespace ZQ
