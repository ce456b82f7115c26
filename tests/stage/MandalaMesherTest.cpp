#include "stage/MandalaMesher.h"

#include "levels/PatternGenerators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using ZQ::MandalaMesh;
using ZQ::MandalaVertex;
using ZQ::PatternGraph;
using ZQ::PatternTile;

PVRTVec3 faceOf(const MandalaVertex* v) {
    const PVRTVec3 n = (v[0].position - v[2].position).cross(v[1].position - v[2].position);
    return n.length() > 0.0f ? n * (1.0f / n.length()) : PVRTVec3();
}

bool sameBits(const PVRTVec3& a, const PVRTVec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The relief height worked out in long double from its definition.
long double referenceHeight(long double x, long double y) {
    const long double r = std::sqrt(x * x + y * y);
    const long double a = std::atan2(y, x);
    return -0.05L * std::cos((a + 2.0L * 3.14159265358979323846L) * r);
}

TEST(MandalaMesherTest, HeightIsASpiralRippleOfAmplitudeFiveHundredths) {
    EXPECT_EQ(ZQ::mandalaHeight(0.0f, 0.0f), -0.05f);
    for (float x = -6.0f; x <= 6.0f; x += 0.37f) {
        for (float y = -6.0f; y <= 6.0f; y += 0.41f) {
            const float z = ZQ::mandalaHeight(x, y);
            ASSERT_LE(std::fabs(z), 0.05f);
            // Single-precision sqrt and atan2 feed a phase of up to ~60
            // radians, so the float result is good to about 1e-5.
            EXPECT_NEAR(z, static_cast<float>(referenceHeight(x, y)), 2e-5f) << x << ", " << y;
        }
    }
}

TEST(MandalaMesherTest, AlmostEqualCornersWeldIntoOneEntryWithOneNormal) {
    // (0.0000401, 0) rounds to 0 on the 1e-4 grid, so it meets (0, 0).
    auto graph = std::make_unique<PatternGraph>();
    graph->tiles.push_back(new PatternTile({0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}));
    graph->tiles.push_back(new PatternTile({0.0000401f, 0.0f}, {0.0f, -1.0f}, {1.0f, -0.5f}));
    ZQ::MandalaVertexMap map;
    for (PatternTile* tile : graph->tiles) {
        ZQ::addTileVertices(map, tile);
    }
    EXPECT_EQ(map.points.size(), 5u);
    EXPECT_EQ(map.points.at(ZQ::MandalaPointKey({0.0f, 0.0f})).size(), 2u);

    std::unique_ptr<MandalaMesh> mesh(ZQ::meshPattern(*graph));
    ASSERT_EQ(mesh->vertices.size(), 6u);
    const MandalaVertex* v = mesh->vertices.data();
    EXPECT_TRUE(sameBits(v[0].normal, v[3].normal));
    const PVRTVec3 expected = (faceOf(v) + faceOf(v + 3)).normalized();
    EXPECT_NEAR(v[0].normal.x, expected.x, 1e-6f);
    EXPECT_NEAR(v[0].normal.y, expected.y, 1e-6f);
    EXPECT_NEAR(v[0].normal.z, expected.z, 1e-6f);
    // A corner used by one tile only keeps that tile's face normal.
    EXPECT_NEAR(v[1].normal.dot(faceOf(v)), 1.0f, 1e-6f);

    // 0.0001 apart is outside the tolerance: two entries.
    ZQ::MandalaVertexMap apart;
    PatternTile a({0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f});
    PatternTile b({0.0001f, 0.0f}, {0.0f, -1.0f}, {1.0f, -0.5f});
    ZQ::addTileVertices(apart, &a);
    ZQ::addTileVertices(apart, &b);
    EXPECT_EQ(apart.points.size(), 6u);
}

TEST(MandalaMesherTest, CornersWithinTheToleranceAcrossACellEdgeWeldToo) {
    // 0.50005 and 0.30005 are cell edges of the 1e-4 grid: corners 4e-6 to
    // either side round into neighbouring cells, on y alone and on both axes
    // (and into different buckets of the map, so only the weld joins them).
    const PVRTVec2 below(0.500048f, 0.300048f);
    for (const PVRTVec2& above : {PVRTVec2(0.500048f, 0.300052f), PVRTVec2(0.500052f, 0.300052f)}) {
        PatternGraph graph;
        graph.tiles.push_back(new PatternTile(below, {1.0f, 0.0f}, {0.0f, 1.0f}));
        graph.tiles.push_back(new PatternTile(above, {0.0f, -1.0f}, {1.5f, 0.5f}));
        ZQ::MandalaVertexMap map;
        for (PatternTile* tile : graph.tiles) {
            ZQ::addTileVertices(map, tile);
        }
        EXPECT_EQ(map.points.size(), 5u) << above.x << ", " << above.y;

        std::unique_ptr<MandalaMesh> mesh(ZQ::meshPattern(graph));
        const MandalaVertex* v = mesh->vertices.data();
        EXPECT_TRUE(sameBits(v[0].normal, v[3].normal)) << above.x << ", " << above.y;
        EXPECT_NEAR(v[0].normal.dot((faceOf(v) + faceOf(v + 3)).normalized()), 1.0f, 1e-6f);
    }
}

TEST(MandalaMesherTest, OnlyLeavesAreMeshedDepthFirst) {
    PatternTile tile({0.0f, 0.0f}, {1.0f, -0.5f}, {1.0f, 0.5f});
    tile.subdivide();
    tile.subdivide();
    ZQ::MandalaVertexMap map;
    ZQ::addTileVertices(map, &tile);
    ASSERT_EQ(map.tiles.size(), 4u);
    // Depth first: the first half's halves, then the second's; their key
    // edges run up the undivided side in order.
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(map.tiles[i]->children.empty());
        EXPECT_FLOAT_EQ(map.tiles[i]->points[1].y, -0.5f + 0.25f * static_cast<float>(i));
    }
}

TEST(MandalaMesherTest, NormalsThatCancelOutFaceTheViewerInsteadOfNaN) {
    PatternGraph graph;
    // The same triangle twice with opposite windings (the first two corners
    // swapped, so the face normals cancel exactly), and one collapsed to a point.
    graph.tiles.push_back(new PatternTile({2.0f, 2.0f}, {3.0f, 2.0f}, {2.0f, 3.0f}));
    graph.tiles.push_back(new PatternTile({3.0f, 2.0f}, {2.0f, 2.0f}, {2.0f, 3.0f}));
    graph.tiles.push_back(new PatternTile({-4.0f, 1.0f}, {-4.0f, 1.0f}, {-4.0f, 1.0f}));
    std::unique_ptr<MandalaMesh> mesh(ZQ::meshPattern(graph));
    ASSERT_EQ(mesh->vertices.size(), 9u);
    for (const MandalaVertex& v : mesh->vertices) {
        EXPECT_EQ(v.normal, PVRTVec3(0.0f, 0.0f, 1.0f));
    }
}

TEST(MandalaMesherTest, EmptyGraphGivesNoVerticesAndBoundsAtTheOrigin) {
    PatternGraph graph;
    std::unique_ptr<MandalaMesh> mesh(ZQ::meshPattern(graph));
    EXPECT_TRUE(mesh->vertices.empty());
    EXPECT_EQ(mesh->min, PVRTVec2(0.0f, 0.0f));
    EXPECT_EQ(mesh->max, PVRTVec2(0.0f, 0.0f));
}

// A generated tiling against a weld worked out the slow way: every vertex's
// normal is the mean of the faces of all tiles with a corner within the
// tolerance, found by comparing every pair.
TEST(MandalaMesherTest, GeneratedTilingMatchesABruteForceWeld) {
    const auto alternate = [](int i, int j) { return (i + 2 * j) % 4; };
    for (ZQ::PatternGenerator generator : {ZQ::makeHexagonTrianglePattern, ZQ::makeOctagonSquarePattern}) {
        std::unique_ptr<PatternGraph> graph(generator(4, 4, {alternate, alternate, alternate}));
        std::vector<int> values;
        for (const PatternTile* tile : graph->tiles) {
            values.push_back(tile->value);
        }
        std::unique_ptr<MandalaMesh> mesh(ZQ::meshPattern(*graph));
        const std::vector<MandalaVertex>& v = mesh->vertices;
        ASSERT_GT(graph->tiles.size(), 10u);
        ASSERT_EQ(v.size(), 3 * graph->tiles.size());

        for (std::size_t i = 0; i < v.size(); ++i) {
            ASSERT_EQ(v[i].value, static_cast<float>(values[i / 3]));
            ASSERT_EQ(v[i].spare, PVRTVec2(0.0f, 0.0f));
            ASSERT_EQ(v[i].position.z, ZQ::mandalaHeight(v[i].position.x, v[i].position.y));
            ASSERT_GE(v[i].position.x, mesh->min.x);
            ASSERT_LE(v[i].position.x, mesh->max.x);
            ASSERT_GE(v[i].position.y, mesh->min.y);
            ASSERT_LE(v[i].position.y, mesh->max.y);
            ASSERT_NEAR(v[i].normal.length(), 1.0f, 1e-5f);
        }
        for (std::size_t i = 0; i < v.size(); i += 7) {
            PVRTVec3 sum;
            for (std::size_t t = 0; t < v.size(); t += 3) {
                for (std::size_t c = 0; c < 3; ++c) {
                    if (std::fabs(v[t + c].position.x - v[i].position.x) < 1e-4f &&
                        std::fabs(v[t + c].position.y - v[i].position.y) < 1e-4f) {
                        sum = sum + faceOf(&v[t]);
                        break;
                    }
                }
            }
            const PVRTVec3 expected = sum.normalized();
            EXPECT_NEAR(v[i].normal.dot(expected), 1.0f, 1e-5f) << "vertex " << i;
        }
    }
}

} // namespace
