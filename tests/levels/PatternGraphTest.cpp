#include "levels/PatternGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using ZQ::PatternGraph;
using ZQ::PatternTile;

constexpr float kEps = 1e-5f;

// Owns the tiles a builder appends, as a generator's graph would.
struct Made {
    std::vector<PatternTile*> tiles;
    ~Made() {
        for (PatternTile* tile : tiles) {
            delete tile;
        }
    }
};

void expectPoint(const PVRTVec2& p, float x, float y) {
    EXPECT_NEAR(p.x, x, kEps);
    EXPECT_NEAR(p.y, y, kEps);
}

float distance(const PVRTVec2& a, const PVRTVec2& b) {
    return (a - b).length();
}

TEST(PatternGraphTest, EdgeIndexTreatsEndsAsAnUnorderedPairWithinTheSnapGrid) {
    PatternGraph graph;
    auto* forward = new PatternTile({0.0f, 0.0f}, {1.0f, 2.0f}, {3.0f, 4.0f});
    auto* backward = new PatternTile({9.0f, 9.0f}, {3.0f, 4.0f}, {1.0f, 2.0f});
    // Snaps to the same 1e-4 grid point as (1, 2).
    auto* nearlySame = new PatternTile({5.0f, 5.0f}, {1.00002f, 2.0f}, {3.0f, 4.0f});
    auto* apart = new PatternTile({5.0f, 5.0f}, {1.0002f, 2.0f}, {3.0f, 4.0f});
    for (PatternTile* tile : {forward, backward, nearlySame, apart}) {
        graph.addTile(tile);
    }
    ASSERT_EQ(graph.tiles.size(), 4u);
    EXPECT_EQ(graph.edges.size(), 2u);
    const auto shared = graph.edges.find(ZQ::PatternEdge({3.0f, 4.0f}, {1.0f, 2.0f}));
    ASSERT_NE(shared, graph.edges.end());
    EXPECT_EQ(shared->second, (std::vector<PatternTile*>{forward, backward, nearlySame}));
    const auto lone = graph.edges.find(ZQ::PatternEdge({1.0002f, 2.0f}, {3.0f, 4.0f}));
    ASSERT_NE(lone, graph.edges.end());
    EXPECT_EQ(lone->second, std::vector<PatternTile*>{apart});
}

TEST(PatternGraphTest, PointHashSnapsTinyValuesToZeroAndTellsAxesApart) {
    EXPECT_EQ(ZQ::PatternPoint(-0.00004f, 0.0f).hash, ZQ::PatternPoint(0.0f, 0.0f).hash);
    EXPECT_EQ(ZQ::PatternPoint(0.0f, 0.0f).hash, 0u);
    EXPECT_EQ(ZQ::PatternPoint(0.25f, 0.5f).hash, ZQ::PatternPoint(0.25004f, 0.49996f).hash);
    // The y factor differs from the x factor, so mirrored points differ.
    EXPECT_NE(ZQ::PatternPoint(0.25f, 0.5f).hash, ZQ::PatternPoint(0.5f, 0.25f).hash);
    EXPECT_TRUE(ZQ::PatternPoint(1.0f, 1.0f).matches(ZQ::PatternPoint(1.00009f, 0.99991f)));
    EXPECT_FALSE(ZQ::PatternPoint(1.0f, 1.0f).matches(ZQ::PatternPoint(1.0f, 1.0002f)));
}

TEST(PatternGraphTest, HexagonFanHasSidesOfHalfAUnitStartingAtTheTop) {
    Made made;
    ZQ::makeTriangleFan(made.tiles, 6, 1.0f, 2.0f, 0.4330127f, 1.5707964f);
    ASSERT_EQ(made.tiles.size(), 6u);
    for (const PatternTile* tile : made.tiles) {
        expectPoint(tile->points[0], 1.0f, 2.0f);
        EXPECT_NEAR(distance(tile->points[1], tile->points[2]), 0.5f, kEps);
        EXPECT_NEAR(distance(tile->points[0], tile->points[1]), 0.5f, kEps);
        EXPECT_EQ(tile->value, 0);
        EXPECT_TRUE(tile->children.empty());
    }
    // Side 0 faces +y; point 1 is its clockwise (right) end.
    expectPoint(made.tiles[0]->points[1], 1.25f, 2.4330127f);
    expectPoint(made.tiles[0]->points[2], 0.75f, 2.4330127f);
    // Consecutive sides meet: each side ends where the next begins.
    for (std::size_t k = 0; k < 6; ++k) {
        const PVRTVec2 end = made.tiles[k]->points[2];
        const PVRTVec2 nextStart = made.tiles[(k + 1) % 6]->points[1];
        EXPECT_NEAR(distance(end, nextStart), 0.0f, kEps);
    }
}

TEST(PatternGraphTest, OctagonAndDodecagonApothemsGiveSidesOfHalfAUnit) {
    for (const auto& [n, apothem] : {std::pair{8, 0.60355335f}, std::pair{12, 0.9330127f}}) {
        Made made;
        ZQ::makeTriangleFan(made.tiles, n, 0.0f, 0.0f, apothem, 0.0f);
        ASSERT_EQ(made.tiles.size(), static_cast<std::size_t>(n));
        for (const PatternTile* tile : made.tiles) {
            EXPECT_NEAR(distance(tile->points[1], tile->points[2]), 0.5f, kEps) << n;
        }
        // Phase 0: side 0 faces +x.
        EXPECT_NEAR(made.tiles[0]->points[1].x, apothem, kEps);
        EXPECT_NEAR(made.tiles[0]->points[1].y, -0.25f, kEps);
    }
}

TEST(PatternGraphTest, SegmentSquareStandsOnTheLeftAndReturnsItsFarSide) {
    Made made;
    const auto far = ZQ::makeSegmentTiles(made.tiles, 0.0f, 0.0f, 0.5f, 0.0f);
    ASSERT_EQ(made.tiles.size(), 2u);
    EXPECT_NEAR(far[0], 0.0f, kEps);
    EXPECT_NEAR(far[1], 0.5f, kEps);
    EXPECT_NEAR(far[2], 0.5f, kEps);
    EXPECT_NEAR(far[3], 0.5f, kEps);
    const PatternTile& a = *made.tiles[0];
    expectPoint(a.points[0], 0.0f, 0.0f);
    expectPoint(a.points[1], 0.5f, 0.5f);
    expectPoint(a.points[2], 0.0f, 0.5f);
    const PatternTile& b = *made.tiles[1];
    expectPoint(b.points[0], 0.5f, 0.0f);
    expectPoint(b.points[1], 0.5f, 0.5f);
    expectPoint(b.points[2], 0.0f, 0.0f);

    // Going the other way puts the square below the segment.
    const auto below = ZQ::makeSegmentTiles(made.tiles, 0.5f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(below[1], -0.5f, kEps);
    EXPECT_NEAR(below[3], -0.5f, kEps);
}

TEST(PatternGraphTest, RotatedSquareTurnsAboutItsCentre) {
    Made made;
    ZQ::makeRotatedSquare(made.tiles, 2.0f, 1.0f, 0.0f);
    ZQ::makeRotatedSquare(made.tiles, 0.0f, 0.0f, 1.5707964f);
    ASSERT_EQ(made.tiles.size(), 4u);
    expectPoint(made.tiles[0]->points[0], 1.75f, 0.75f);
    expectPoint(made.tiles[0]->points[1], 2.25f, 1.25f);
    expectPoint(made.tiles[0]->points[2], 1.75f, 1.25f);
    expectPoint(made.tiles[1]->points[0], 2.25f, 0.75f);
    expectPoint(made.tiles[1]->points[1], 2.25f, 1.25f);
    expectPoint(made.tiles[1]->points[2], 1.75f, 0.75f);
    // A quarter turn maps (u, v) to (-v, u).
    expectPoint(made.tiles[2]->points[0], 0.25f, -0.25f);
    expectPoint(made.tiles[2]->points[1], -0.25f, 0.25f);
}

TEST(PatternGraphTest, SubdivideHalvesEveryLeafAcrossItsKeyEdge) {
    Made made;
    ZQ::makeTriangleFan(made.tiles, 6, 0.0f, 0.0f, 0.4330127f, 1.5707964f);
    PatternTile& tile = *made.tiles[0];
    tile.value = 3;
    tile.work[0] = 7.0f;
    tile.subdivide();
    tile.subdivide();
    ASSERT_EQ(tile.children.size(), 2u);
    std::vector<const PatternTile*> leaves;
    for (const PatternTile* half : tile.children) {
        ASSERT_EQ(half->children.size(), 2u);
        for (const PatternTile* quarter : half->children) {
            leaves.push_back(quarter);
        }
    }
    ASSERT_EQ(leaves.size(), 4u);
    // The four key edges walk the original side in quarters, from point 1 to point 2.
    for (std::size_t k = 0; k < leaves.size(); ++k) {
        const float t0 = static_cast<float>(k) * 0.25f;
        const float t1 = t0 + 0.25f;
        expectPoint(leaves[k]->points[0], 0.0f, 0.0f);
        expectPoint(leaves[k]->points[1], 0.25f - 0.5f * t0, 0.4330127f);
        expectPoint(leaves[k]->points[2], 0.25f - 0.5f * t1, 0.4330127f);
        EXPECT_EQ(leaves[k]->value, 3);
        EXPECT_EQ(leaves[k]->work[0], 7.0f);
    }
}

TEST(PatternGraphTest, AddingASubdividedTileStoresOnlyItsLeaves) {
    auto* parent = new PatternTile({0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f});
    parent->value = 2;
    parent->subdivide();
    parent->subdivide();
    PatternGraph graph;
    graph.addTile(parent);
    ASSERT_EQ(graph.tiles.size(), 4u);
    for (const PatternTile* leaf : graph.tiles) {
        EXPECT_TRUE(leaf->children.empty());
        EXPECT_EQ(leaf->value, 2);
    }
    // Four distinct quarter edges of the long side.
    EXPECT_EQ(graph.edges.size(), 4u);
    expectPoint(graph.tiles[0]->points[1], 1.0f, 0.0f);
    expectPoint(graph.tiles[3]->points[2], 0.0f, 1.0f);
}

} // namespace
