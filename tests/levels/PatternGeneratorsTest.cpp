#include "levels/PatternGenerators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using ZQ::PatternFunction;
using ZQ::PatternGenerator;
using ZQ::PatternGraph;
using ZQ::PatternTile;

using Cell = std::pair<int, int>;

// Records every call of each class function; class k answers k % 4.
struct Recorder {
    std::vector<std::vector<Cell>> calls;

    std::vector<PatternFunction> functions(int count) {
        calls.assign(static_cast<std::size_t>(count), {});
        std::vector<PatternFunction> list;
        for (int k = 0; k < count; ++k) {
            list.push_back([this, k](int i, int j) {
                calls[static_cast<std::size_t>(k)].push_back({i, j});
                return k % 4;
            });
        }
        return list;
    }
};

std::unique_ptr<PatternGraph> build(PatternGenerator generator, int w, int h,
                                    std::vector<PatternFunction> f) {
    return std::unique_ptr<PatternGraph>(generator(w, h, std::move(f)));
}

int ceilHalf(int h) {
    return (h + 1) / 2;
}

// How often each class function is called over a W x H grid: once per
// triangle of the polygon, except where a polygon asks once for all of its
// triangles.
struct GeneratorCase {
    PatternGenerator generator;
    bool iAlongX; // the first argument counts cells along x, else rows
    std::function<std::vector<int>(int w, int h)> callsPerClass;
    std::function<int(int w, int h)> tiles;
};

std::vector<GeneratorCase> generatorCases() {
    return {
        {ZQ::makeTrianglePattern, true, [](int w, int h) { return std::vector<int>(4, w * ceilHalf(h)); },
         [](int w, int h) { return 4 * w * ceilHalf(h); }},
        {ZQ::makeSquarePattern, false, [](int w, int h) { return std::vector<int>{2 * w * h}; },
         [](int w, int h) { return 2 * w * h; }},
        {ZQ::makeHexagonPattern, false, [](int w, int h) { return std::vector<int>{w * h}; },
         [](int w, int h) { return 6 * w * h; }},
        {ZQ::makeHexagonTrianglePattern, true,
         [](int w, int h) {
             return std::vector<int>{6 * w * h, w * h, w * h};
         },
         [](int w, int h) { return 8 * w * h; }},
        {ZQ::makeDodecagonTrianglePattern, true,
         [](int w, int h) {
             return std::vector<int>{12 * w * h, w * h, w * h};
         },
         [](int w, int h) { return 14 * w * h; }},
        {ZQ::makeOctagonSquarePattern, true,
         [](int w, int h) {
             return std::vector<int>{8 * w * h, 2 * w * h};
         },
         [](int w, int h) { return 10 * w * h; }},
        {ZQ::makeHexagonSquareTrianglePattern, true,
         [](int w, int h) {
             const int squareRows = ceilHalf(h);
             const int triangleRows = h / 2;
             return std::vector<int>{2 * w * squareRows,   6 * w * squareRows, w * triangleRows,
                                     2 * w * triangleRows, w * triangleRows,   2 * w * triangleRows};
         },
         [](int w, int h) { return w * (8 * ceilHalf(h) + 6 * (h / 2)); }},
        {ZQ::makeDodecagonHexagonSquarePattern, false,
         [](int w, int h) {
             const int n = w * h;
             return std::vector<int>{12 * n, 2 * n, 6 * n, 2 * n, 6 * n, 2 * n};
         },
         [](int w, int h) { return 30 * w * h; }},
        {ZQ::makeSnubSquarePattern, true, [](int w, int h) { return std::vector<int>(6, w * h); },
         [](int w, int h) { return 8 * w * h; }},
        {ZQ::makeElongatedTrianglePattern, true, [](int w, int h) { return std::vector<int>(3, w * h); },
         [](int w, int h) { return 4 * w * h; }},
        {ZQ::makeSnubHexagonPattern, false,
         [](int w, int h) {
             return std::vector<int>{4 * w * h, 4 * w * h, 6 * w * h};
         },
         [](int w, int h) { return 14 * w * h; }},
    };
}

TEST(PatternGeneratorsTest, TileAndCallCountsFollowEachTilingForSeveralGrids) {
    for (const GeneratorCase& c : generatorCases()) {
        const char* name = ZQ::patternGeneratorName(c.generator);
        const int classes = ZQ::patternClassCount(c.generator);
        for (const auto& [w, h] : {Cell{1, 1}, Cell{2, 3}, Cell{5, 4}, Cell{7, 7}}) {
            Recorder recorder;
            const auto graph = build(c.generator, w, h, recorder.functions(classes));
            EXPECT_EQ(static_cast<int>(graph->tiles.size()), c.tiles(w, h)) << name << " " << w << "x" << h;
            const std::vector<int> expected = c.callsPerClass(w, h);
            ASSERT_EQ(static_cast<int>(expected.size()), classes) << name;
            for (int k = 0; k < classes; ++k) {
                EXPECT_EQ(static_cast<int>(recorder.calls[k].size()), expected[k])
                    << name << " class " << k << " " << w << "x" << h;
            }
        }
    }
}

TEST(PatternGeneratorsTest, EachGeneratorPassesItsOwnCellIndexAsTheFirstArgument) {
    constexpr int w = 5;
    constexpr int h = 4;
    for (const GeneratorCase& c : generatorCases()) {
        const char* name = ZQ::patternGeneratorName(c.generator);
        Recorder recorder;
        build(c.generator, w, h, recorder.functions(ZQ::patternClassCount(c.generator)));
        std::set<Cell> cells;
        for (const auto& classCalls : recorder.calls) {
            cells.insert(classCalls.begin(), classCalls.end());
        }
        // Every cell of the grid, with x and y in the argument order of the tiling.
        std::set<Cell> expected;
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                expected.insert(c.iAlongX ? Cell{x, y} : Cell{y, x});
            }
        }
        EXPECT_EQ(cells, expected) << name;
    }
}

TEST(PatternGeneratorsTest, TrianglePatternWithAnOddHeightLaysOneBandMore) {
    Recorder recorder;
    const auto graph = build(ZQ::makeTrianglePattern, 2, 3, recorder.functions(4));
    std::set<int> bands;
    for (const auto& classCalls : recorder.calls) {
        for (const Cell& cell : classCalls) {
            bands.insert(cell.second);
        }
    }
    EXPECT_EQ(bands, (std::set<int>{0, 1, 2, 3}));
    // Line k lies at (k - 1) * -0.4330127 for H = 3: the lowest band ends on line 4.
    float lowest = 0.0f;
    for (const PatternTile* tile : graph->tiles) {
        for (const PVRTVec2& p : tile->points) {
            lowest = std::min(lowest, p.y);
        }
    }
    EXPECT_NEAR(lowest, 3.0f * -0.4330127f, 1e-5f);
}

TEST(PatternGeneratorsTest, SquarePatternOfTwoCellsCoversItsGridAroundTheOrigin) {
    Recorder recorder;
    const auto graph = build(ZQ::makeSquarePattern, 2, 1, recorder.functions(1));
    ASSERT_EQ(graph->tiles.size(), 4u);
    EXPECT_EQ(recorder.calls[0], (std::vector<Cell>{{0, 0}, {0, 0}, {0, 1}, {0, 1}}));
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const PatternTile* tile : graph->tiles) {
        for (const PVRTVec2& p : tile->points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    EXPECT_FLOAT_EQ(minX, -0.5f);
    EXPECT_FLOAT_EQ(maxX, 0.5f);
    EXPECT_FLOAT_EQ(minY, -0.25f);
    EXPECT_FLOAT_EQ(maxY, 0.25f);
}

TEST(PatternGeneratorsTest, OctagonPatternLaysAnOctagonPerCellInEveryRow) {
    Recorder recorder;
    build(ZQ::makeOctagonSquarePattern, 40, 30, recorder.functions(2));
    std::set<Cell> octagons(recorder.calls[0].begin(), recorder.calls[0].end());
    EXPECT_EQ(octagons.size(), 40u * 30u);
    EXPECT_EQ(recorder.calls[0].size(), 8u * 40u * 30u);
    // One octagon's eight triangles ask with the same cell, one after another.
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(recorder.calls[0][k], (Cell{0, 0}));
    }
    EXPECT_EQ(recorder.calls[0][8], (Cell{1, 0}));
}

// Every tile is half of a square of side 0.5, an equilateral triangle of side
// 0.5, or the fan triangle of a hexagon, octagon or dodecagon of side 0.5; a
// misplaced corner in any generator breaks one of these shapes.
TEST(PatternGeneratorsTest, EveryTileIsAPieceOfARegularPolygonOfSideOneHalf) {
    const float diagonal = 0.70710677f;
    const std::vector<std::array<float, 3>> shapes = {
        {0.5f, 0.5f, diagonal},         // half square
        {0.5f, 0.5f, 0.5f},             // triangle, or hexagon fan
        {0.5f, 0.6532815f, 0.6532815f}, // octagon fan
        {0.5f, 0.9659258f, 0.9659258f}, // dodecagon fan
    };
    for (const GeneratorCase& c : generatorCases()) {
        const char* name = ZQ::patternGeneratorName(c.generator);
        Recorder recorder;
        const auto graph = build(c.generator, 6, 5, recorder.functions(ZQ::patternClassCount(c.generator)));
        for (const PatternTile* tile : graph->tiles) {
            std::array<float, 3> sides = {(tile->points[0] - tile->points[1]).length(),
                                          (tile->points[1] - tile->points[2]).length(),
                                          (tile->points[2] - tile->points[0]).length()};
            const float keyEdge = sides[1];
            std::sort(sides.begin(), sides.end());
            const bool known = std::any_of(shapes.begin(), shapes.end(), [&](const std::array<float, 3>& s) {
                return std::fabs(s[0] - sides[0]) < 1e-4f && std::fabs(s[1] - sides[1]) < 1e-4f &&
                       std::fabs(s[2] - sides[2]) < 1e-4f;
            });
            EXPECT_TRUE(known) << name << " sides " << sides[0] << " " << sides[1] << " " << sides[2];
            EXPECT_TRUE(std::fabs(keyEdge - 0.5f) < 1e-4f || std::fabs(keyEdge - diagonal) < 1e-4f) << name;
        }
    }
}

TEST(PatternGeneratorsTest, NeighbouringHexagonsShareTheirCommonSideInTheEdgeIndex) {
    constexpr int w = 4;
    constexpr int h = 3;
    const auto graph = build(ZQ::makeHexagonPattern, w, h, {[](int, int) { return 0; }});
    // Within a column each hexagon touches the next; across neighbouring
    // columns, which are offset half a hexagon, 2h - 1 pairs touch.
    const int touching = w * (h - 1) + (w - 1) * (2 * h - 1);
    EXPECT_EQ(static_cast<int>(graph->edges.size()), 6 * w * h - touching);
    int shared = 0;
    for (const auto& [edge, tiles] : graph->edges) {
        EXPECT_LE(tiles.size(), 2u);
        shared += tiles.size() == 2 ? 1 : 0;
    }
    EXPECT_EQ(shared, touching);
}

TEST(PatternGeneratorsTest, FunctionsBeyondTheTileClassesAreNeverCalled) {
    for (const GeneratorCase& c : generatorCases()) {
        const int classes = ZQ::patternClassCount(c.generator);
        Recorder cut;
        const auto expected = build(c.generator, 3, 3, cut.functions(classes));
        Recorder longer;
        const auto graph = build(c.generator, 3, 3, longer.functions(classes + 2));
        EXPECT_TRUE(longer.calls[classes].empty());
        EXPECT_TRUE(longer.calls[classes + 1].empty());
        ASSERT_EQ(graph->tiles.size(), expected->tiles.size());
        for (std::size_t t = 0; t < graph->tiles.size(); ++t) {
            EXPECT_EQ(graph->tiles[t]->value, expected->tiles[t]->value);
            for (int p = 0; p < 3; ++p) {
                EXPECT_EQ(graph->tiles[t]->points[p], expected->tiles[t]->points[p]);
            }
        }
    }
}

TEST(PatternGeneratorsTest, AnEmptyGridYieldsAnEmptyGraphWithoutAskingAnyFunction) {
    for (const GeneratorCase& c : generatorCases()) {
        for (const auto& [w, h] : {Cell{0, 5}, Cell{5, 0}, Cell{-3, 4}}) {
            Recorder recorder;
            const auto graph =
                build(c.generator, w, h, recorder.functions(ZQ::patternClassCount(c.generator)));
            EXPECT_TRUE(graph->tiles.empty());
            EXPECT_TRUE(graph->edges.empty());
            for (const auto& classCalls : recorder.calls) {
                EXPECT_TRUE(classCalls.empty());
            }
        }
    }
}

TEST(PatternGeneratorsTest, AnEmptyFunctionThrowsTheStandardBadCall) {
    EXPECT_THROW(build(ZQ::makeSquarePattern, 2, 2, {PatternFunction()}), std::bad_function_call);
}

// A throw half-way through a polygon leaves nothing behind (the sanitizer
// builds check the memory).
TEST(PatternGeneratorsTest, AFunctionThatThrowsMidwayLeavesNoTilesBehind) {
    for (const GeneratorCase& c : generatorCases()) {
        for (const int throwAt : {1, 5, 9}) {
            int calls = 0;
            const PatternFunction failing = [&calls, throwAt](int, int) {
                if (++calls == throwAt) {
                    throw std::runtime_error("pattern failed");
                }
                return 0;
            };
            const std::vector<PatternFunction> functions(
                static_cast<std::size_t>(ZQ::patternClassCount(c.generator)), failing);
            EXPECT_THROW(build(c.generator, 3, 3, functions), std::runtime_error)
                << ZQ::patternGeneratorName(c.generator);
        }
    }
}

TEST(PatternGeneratorsDeathTest, TooFewFunctionsForTheTileClassesStopTheProgram) {
    EXPECT_DEATH(
        build(ZQ::makeSnubSquarePattern, 2, 2, std::vector<PatternFunction>(5, [](int, int) { return 0; })),
        "patterns.size\\(\\) >= ");
}

TEST(PatternGeneratorsTest, ClassCountsAndNamesIdentifyTheElevenGenerators) {
    EXPECT_EQ(generatorCases().size(), 11u);
    EXPECT_EQ(ZQ::patternClassCount(ZQ::makeDodecagonHexagonSquarePattern), 6);
    EXPECT_STREQ(ZQ::patternGeneratorName(ZQ::makeSnubHexagonPattern), "makeSnubHexagonPattern");
    EXPECT_EQ(ZQ::patternClassCount(nullptr), 0);
    EXPECT_STREQ(ZQ::patternGeneratorName(nullptr), "unknown");
}

} // namespace
