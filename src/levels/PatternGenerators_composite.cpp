#include "levels/PatternGenerators.h"
#include "levels/PatternGeneratorsLaying.h"

#include <cmath>

// The semi-regular tilings whose cell is a cluster of three or more polygon
// kinds, laid from one corner outward.

namespace ZQ {

using namespace PatternLaying;

namespace {

// The rows of 3.4.6.4 stand 0.6660254 apart after a triangle row instead of
// the exact 0.6830127; the rooms were designed with that spacing, so it stays.
constexpr float kSquareRowAdvance = 0.5f;
constexpr float kTriangleRowAdvance = 0.6660254f;
constexpr float kCellAdvance = 1.3660254f;

} // namespace

// 3.4.6.4: square rows (a square and a hexagon per cell) alternate with
// triangle rows (two triangles and two squares per cell).
PatternGraph* makeHexagonSquareTrianglePattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 6, [&](PatternGraph& graph, PendingTiles& made) {
        const float turnCos = std::cos(-1.0471976f);
        const float turnSin = std::sin(-1.0471976f);
        float y = -0.3247595f * toF(height);
        for (int r = 0; r < height; ++r) {
            float x = -0.8080127f * toF(width) - ((r & 2) != 0 ? 0.6830127f : 0.0f);
            const bool squareRow = (r & 1) == 0;
            for (int u = 0; u < width; ++u) {
                if (squareRow) {
                    makeSegmentTiles(made.tiles, x, y, x + 0.5f, y);
                    addEachAsking(graph, made, patterns[0], u, r);
                    makeTriangleFan(made.tiles, 6, x + 0.9330127f, y + 0.25f, kHexagonApothem, 0.0f);
                    addEachAsking(graph, made, patterns[1], u, r);
                } else {
                    const PVRTVec2 a0(x + 0.25f, y + 0.4330127f);
                    const PVRTVec2 a2(x + 0.5f, y);
                    addTriangle(graph, a0, {x, y}, a2, patterns[2], u, r);
                    const auto far = makeSegmentTiles(made.tiles, a0.x, a0.y, a2.x, a2.y);
                    addEachAsking(graph, made, patterns[3], u, r);
                    const PVRTVec2 f1(far[0], far[1]);
                    const PVRTVec2 f2(far[2], far[3]);
                    const PVRTVec2 back = f1 - f2;
                    const PVRTVec2 dir = back / back.length();
                    const PVRTVec2 turned(turnCos * dir.x - turnSin * dir.y,
                                          turnSin * dir.x + turnCos * dir.y);
                    const PVRTVec2 b1 = f2 + turned * 0.5f;
                    addTriangle(graph, f2, b1, f1, patterns[4], u, r);
                    makeSegmentTiles(made.tiles, b1.x, b1.y, f2.x, f2.y);
                    addEachAsking(graph, made, patterns[5], u, r);
                }
                x += kCellAdvance;
            }
            y += squareRow ? kSquareRowAdvance : kTriangleRowAdvance;
        }
    });
}

// 4.6.12: a dodecagon with, around its upper half, three squares and two
// hexagons; the cells of odd columns sit lower so the clusters interlock.
PatternGraph* makeDodecagonHexagonSquarePattern(int width, int height,
                                                std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 6, [&](PatternGraph& graph, PendingTiles& made) {
        for (int u = 0; u < width; ++u) {
            const float xc = -0.9330127f * toF(width) + 2.0490381f * toF(u);
            const float yStart = -0.9330127f * toF(height) - ((u & 1) != 0 ? 1.1830127f : 0.0f);
            for (int r = 0; r < height; ++r) {
                const float yc = yStart + 2.3660254f * toF(r);
                makeTriangleFan(made.tiles, 12, xc, yc, kDodecagonApothem, 0.0f);
                addEachAsking(graph, made, patterns[0], r, u);
                makeRotatedSquare(made.tiles, xc - 1.0245191f, yc + 0.5915064f, 1.0471976f);
                addEachAsking(graph, made, patterns[1], r, u);
                makeTriangleFan(made.tiles, 6, xc - 0.6830127f, yc + 1.1830127f, kHexagonApothem, 2.0943952f);
                addEachAsking(graph, made, patterns[2], r, u);
                makeRotatedSquare(made.tiles, xc, yc + 1.1830127f, 0.0f);
                addEachAsking(graph, made, patterns[3], r, u);
                makeTriangleFan(made.tiles, 6, xc + 0.6830127f, yc + 1.1830127f, kHexagonApothem, 1.0471976f);
                addEachAsking(graph, made, patterns[4], r, u);
                makeRotatedSquare(made.tiles, xc + 1.0245191f, yc + 0.5915064f, -1.0471976f);
                addEachAsking(graph, made, patterns[5], r, u);
            }
        }
    });
}

// 3.3.3.3.6: rows of triangles between horizontal lines, counted downward,
// each cell 3.5 wide holding eight triangles and a hexagon that reaches into
// the row above. Every third row the pattern shifts a quarter to the right.
PatternGraph* makeSnubHexagonPattern(int width, int height, std::vector<PatternFunction> patterns) {
    return layTiling(width, height, patterns, 3, [&](PatternGraph& graph, PendingTiles& made) {
        const PatternFunction& up = patterns[0];
        const PatternFunction& down = patterns[1];
        float base = toF(-(width >> 1)) * 3.5f;
        for (int r = 0; r < height; ++r) {
            const float yT = toF(height >> 1) * 0.4330127f - 0.4330127f * toF(r);
            const float yB = yT - 0.4330127f;
            float rowStart = base;
            if (r >= 1) {
                switch (r % 3) {
                case 0:
                    base += 0.25f;
                    rowStart = base;
                    break;
                case 1:
                    rowStart = base - 2.25f;
                    break;
                default:
                    rowStart = base - 1.0f;
                    break;
                }
            }
            for (int u = 0; u < width; ++u) {
                const float x = rowStart + 3.5f * toF(u);
                for (const float o : {0.0f, 0.5f, 1.0f}) {
                    addTriangle(graph, {x + o, yB}, {x + o + 0.25f, yT}, {x + o - 0.25f, yT}, down, r, u);
                }
                for (const float o : {0.25f, 0.75f, 1.25f}) {
                    addTriangle(graph, {x + o, yT}, {x + o - 0.25f, yB}, {x + o + 0.25f, yB}, up, r, u);
                }
                makeTriangleFan(made.tiles, 6, x + 1.75f, yT, kHexagonApothem, 1.5707964f);
                addEachAsking(graph, made, patterns[2], r, u);
                addTriangle(graph, {x + 2.25f, yT}, {x + 2.0f, yB}, {x + 2.5f, yB}, up, r, u);
                addTriangle(graph, {x + 2.5f, yB}, {x + 2.75f, yT}, {x + 2.25f, yT}, down, r, u);
            }
        }
    });
}

} // namespace ZQ
