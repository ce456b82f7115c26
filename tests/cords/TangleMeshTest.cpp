#include "cords/TangleMesh.h"

#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "support/CatalogueSuite.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using ZQ::TangleMesh;
using ZQ::TangleVertex;

constexpr float kW = 750.0f;
constexpr float kH = 1334.0f;

bool finite(const float (&v)[3]) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

PVRTVec3 vec(const float (&v)[3]) {
    return PVRTVec3(v[0], v[1], v[2]);
}

// The award cord of a knot generator, as the award screen makes it: a
// quarter screen wide, four strings, the generator borrowed (the caller
// keeps it).
ZQ::Cord* awardCord(ZQ::KnotGenerator* generator) {
    auto* cord = new ZQ::Cord(0.25f * kW, PVRTVec3(), 4, true, generator);
    cord->build();
    cord->generator = nullptr;
    return cord;
}

class TangleMeshTest : public GlobalsTest {
protected:
    TangleMeshTest() : GlobalsTest(kW, kH) {}

    ZQ::TorusKnot trefoil{0.5f, 1.0f, 2.0f, 3.0f, 0.0f};
};

// A round loop in the x-y plane: every tangent turns about z, so the
// carried normal comes back exactly where it started.
std::vector<PVRTVec3> circle(int n) {
    std::vector<PVRTVec3> points;
    for (int i = 0; i <= n; ++i) {
        const float a = 6.2831855f * static_cast<float>(i) / static_cast<float>(n);
        points.emplace_back(100.0f * std::cos(a), 100.0f * std::sin(a), 0.0f);
    }
    return points;
}

TEST_F(TangleMeshTest, TheAwardTubeHas301RingsOf14SidesAndClosesOnItself) {
    TangleMesh mesh(14, awardCord(&trefoil));
    std::vector<TangleVertex> vertices;
    std::vector<uint32_t> indices;
    mesh.build(vertices, indices);
    ASSERT_EQ(vertices.size(), 4214u);
    ASSERT_EQ(indices.size(), 23478u);
    EXPECT_EQ(mesh.vertexCount(), 4214);
    EXPECT_EQ(mesh.indexCount(), 301 * 78);
    for (uint32_t i : indices) {
        ASSERT_LT(i, 4214u);
    }
    // The closing ring pair joins ring 300 to ring 0.
    const size_t closing = 300 * 78;
    EXPECT_EQ(indices[closing], 300u * 14u);
    EXPECT_EQ(indices[closing + 1], 300u * 14u + 1u);
    EXPECT_EQ(indices[closing + 2], 0u);
    EXPECT_EQ(indices[closing + 4], 1u);
}

TEST_F(TangleMeshTest, RingsCarryColourSlotsAndTextureCoordinates) {
    TangleMesh mesh(14, awardCord(&trefoil));
    std::vector<TangleVertex> vertices;
    std::vector<uint32_t> indices;
    mesh.build(vertices, indices);
    const float slots[] = {1.0f, 2.0f, 3.0f, 1.0f, 2.0f};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(vertices[static_cast<size_t>(k) * 14].colourSlot, slots[k]) << "ring " << k;
    }
    EXPECT_FLOAT_EQ(vertices[1].colour[1], 0.70196f);
    EXPECT_FLOAT_EQ(vertices[14].colour[0], 0.0902f);
    EXPECT_EQ(vertices[0].v, 50.0f);
    EXPECT_FLOAT_EQ(vertices[300 * 14].v, 0.0f);
    EXPECT_FLOAT_EQ(vertices[13].u, 0.5f);
    EXPECT_EQ(vertices[5].unused, 0.0f);
}

TEST_F(TangleMeshTest, TheTubeIsAThirdOfAWorldUnitThickAroundTheKnot) {
    ZQ::Cord* cord = awardCord(&trefoil);
    TangleMesh mesh(14, cord);
    std::vector<TangleVertex> vertices;
    std::vector<uint32_t> indices;
    mesh.build(vertices, indices);
    const float rho = (1.0f / 3.0f) / ZQ::gGlobals.worldScale;
    for (int k = 0; k < 301; k += 37) {
        const PVRTVec3 centre =
            cord->pointAtLength(cord->totalLength * 0.0033333334f * static_cast<float>(k));
        for (int j = 0; j < 14; ++j) {
            const TangleVertex& v = vertices[static_cast<size_t>(k * 14 + j)];
            const PVRTVec3 offset = vec(v.position) - centre;
            EXPECT_NEAR(offset.length(), rho, 1e-3f * rho);
            EXPECT_NEAR(vec(v.normal).length(), 1.0f, 1e-4f);
            // The normal points from the knot's line out through the vertex.
            EXPECT_NEAR(vec(v.normal).dot(offset) / rho, 1.0f, 1e-3f);
        }
    }
}

TEST_F(TangleMeshTest, TheFrameIsPerpendicularAndTheLoopClosesWithoutATwist) {
    ZQ::Cord* cord = awardCord(&trefoil);
    std::vector<PVRTVec3> samples;
    for (int k = 0; k < 301; ++k) {
        samples.push_back(cord->pointAtLength(cord->totalLength * 0.0033333334f * static_cast<float>(k)));
    }
    delete cord;
    std::vector<PVRTVec3> t;
    std::vector<PVRTVec3> n;
    std::vector<PVRTVec3> b;
    TangleMesh::buildFrames(samples, t, n, b);
    for (size_t k = 0; k < samples.size(); ++k) {
        EXPECT_NEAR(t[k].dot(n[k]), 0.0f, 1e-3f) << k;
        EXPECT_NEAR(n[k].length(), 1.0f, 1e-3f) << k;
    }
    // Carried around a twisting knot the normal comes back turned; the
    // spread twist must bring the last ring's normal onto the first's.
    EXPECT_GT(n[300].dot(n[0]), 0.998f) << "turned the wrong way it ends near 0.975";
}

TEST_F(TangleMeshTest, APlanarLoopIsCarriedWithoutTwist) {
    for (int n : {300, 997}) {
        std::vector<PVRTVec3> t;
        std::vector<PVRTVec3> normals;
        std::vector<PVRTVec3> b;
        TangleMesh::buildFrames(circle(n), t, normals, b);
        // The first normal starts off the plane (z is the tangent's
        // shortest axis) and every turn is about z, so every normal stays on
        // the plane's axis.
        for (size_t k = 0; k < normals.size(); ++k) {
            ASSERT_NEAR(std::fabs(normals[k].z), 1.0f, 1e-4f) << n << " ring " << k;
            ASSERT_NEAR(b[k].z, 0.0f, 1e-4f) << n << " ring " << k;
        }
        EXPECT_GT(normals.back().dot(normals.front()), 0.9999f);
    }
}

using TangleCatalogueTest = CatalogueSuite<TangleMeshTest>;

TEST_F(TangleCatalogueTest, EveryNormalIsFiniteForEveryCatalogueKnot) {
    ASSERT_EQ(catalogue->levelCount(), 76);
    std::vector<TangleVertex> vertices;
    std::vector<uint32_t> indices;
    for (int level = 0; level < catalogue->levelCount(); ++level) {
        const ZQ::LevelModel::Level& record = catalogue->levels[static_cast<size_t>(level)];
        ASSERT_NE(record.cord, nullptr);
        TangleMesh mesh(14, awardCord(record.cord->generator));
        mesh.build(vertices, indices);
        ASSERT_EQ(vertices.size(), 4214u);
        for (size_t i = 0; i < vertices.size(); ++i) {
            ASSERT_TRUE(finite(vertices[i].normal)) << "level " << level << " vertex " << i;
            ASSERT_TRUE(finite(vertices[i].position)) << "level " << level << " vertex " << i;
            ASSERT_NEAR(vec(vertices[i].normal).length(), 1.0f, 1e-3f)
                << "level " << level << " vertex " << i;
        }
    }
}

} // namespace
