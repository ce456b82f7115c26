#include "cords/BraidMeshWorker.h"

#include "cords/CordMeshWorker.h"
#include "engine/Globals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using ZQ::BraidMeshBuffer;
using ZQ::BraidMeshWorker;
using ZQ::BraidVertex;
using Segment = ZQ::CordModel::Segment;

constexpr float kRadius = 16.0f;

PVRTVec3 vec(const float (&v)[3]) {
    return PVRTVec3(v[0], v[1], v[2]);
}

bool finite(const BraidVertex& v) {
    for (float f : v.position) {
        if (!std::isfinite(f)) {
            return false;
        }
    }
    for (float f : v.normal) {
        if (!std::isfinite(f)) {
            return false;
        }
    }
    return std::isfinite(v.material);
}

// Jobs for the segments with runs following one another, as the braid model
// makes them.
std::vector<std::unique_ptr<BraidMeshWorker>> makeJobs(const std::vector<Segment>& segments,
                                                       BraidMeshBuffer& mesh) {
    int32_t vertices = 0;
    int32_t indices = 0;
    for (const Segment& s : segments) {
        vertices += BraidMeshWorker::vertexCountFor(s);
        indices += BraidMeshWorker::indexCountFor(s);
    }
    mesh.allocate(vertices, indices, segments.size());
    std::vector<std::unique_ptr<BraidMeshWorker>> jobs;
    int32_t firstVertex = 0;
    int32_t firstIndex = 0;
    for (const Segment& s : segments) {
        jobs.push_back(std::make_unique<BraidMeshWorker>(s, mesh, firstVertex, firstIndex));
        firstVertex += jobs.back()->GetVertexCount();
        firstIndex += jobs.back()->GetTriangleIndexCount();
    }
    return jobs;
}

TEST(BraidMeshWorker, AThreeParticleBraidHas32RingsOf14Vertices) {
    const Segment braid{0, 2, 0};
    EXPECT_EQ(BraidMeshWorker::ringCountFor(braid), 32); // 10 + 12 + 10
    EXPECT_EQ(BraidMeshWorker::vertexCountFor(braid), 448);
    EXPECT_EQ(BraidMeshWorker::indexCountFor(braid), 2604);

    BraidMeshBuffer mesh;
    auto jobs = makeJobs({braid}, mesh);
    const PVRTVec3 positions[] = {PVRTVec3(0, 0, 0), PVRTVec3(30, 5, 0), PVRTVec3(60, 0, 10)};
    jobs[0]->process(positions, 3, kRadius);
    EXPECT_EQ(mesh.ranges[0].firstIndex, 0);
    EXPECT_EQ(mesh.ranges[0].indexCount, 2604);
    for (int32_t i = 0; i < mesh.vertexCount; ++i) {
        ASSERT_TRUE(finite(mesh.vertices[i])) << i;
        EXPECT_EQ(mesh.vertices[i].material, 0.0f);
        EXPECT_EQ(mesh.vertices[i].unused[2], 0.0f);
    }
    for (int32_t i = 0; i < mesh.indexCount; ++i) {
        ASSERT_LT(mesh.indices[i], 448u);
    }
}

TEST(BraidMeshWorker, FourBraidsTakeConsecutiveRuns) {
    const std::vector<Segment> braids = {{0, 2, 0}, {3, 5, 1}, {6, 8, 2}, {9, 11, 3}};
    BraidMeshBuffer mesh;
    auto jobs = makeJobs(braids, mesh);
    ASSERT_EQ(mesh.vertexCount, 4 * 448);
    ASSERT_EQ(mesh.indexCount, 4 * 2604);
    EXPECT_EQ(mesh.vertexBytes, 44 * 4 * 448);
    EXPECT_EQ(mesh.indexBytes, 4 * 4 * 2604);
    std::vector<PVRTVec3> positions;
    for (int i = 0; i < 12; ++i) {
        positions.emplace_back(10.0f * static_cast<float>(i), static_cast<float>(i % 3), 0.0f);
    }
    for (auto& job : jobs) {
        job->process(positions.data(), 12, kRadius);
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(jobs[static_cast<size_t>(k)]->firstVertex(), 448 * k);
        EXPECT_EQ(jobs[static_cast<size_t>(k)]->lastVertex(), 448 * k + 447);
        EXPECT_EQ(mesh.ranges[static_cast<size_t>(k)].firstIndex, 2604 * k);
        EXPECT_EQ(mesh.ranges[static_cast<size_t>(k)].indexCount, 2604);
        for (int i = 0; i < 2604; ++i) {
            const uint32_t v = mesh.indices[2604 * k + i];
            ASSERT_GE(v, static_cast<uint32_t>(448 * k));
            ASSERT_LE(v, static_cast<uint32_t>(448 * k + 447));
        }
        EXPECT_EQ(mesh.vertices[448 * k + 200].material, static_cast<float>(k));
    }
}

// A braid along +x: its tube rings are centred on the x axis, so a ring
// vertex's distance from the axis is that ring's radius.
class StraightBraid : public ::testing::Test {
protected:
    void SetUp() override { jobs = makeJobs({Segment{0, 2, 0}}, mesh); }
    float ringRadius(int ring) const {
        const BraidVertex& v = mesh.vertices[14 * ring + 3];
        return std::sqrt(v.position[1] * v.position[1] + v.position[2] * v.position[2]);
    }

    const PVRTVec3 positions[3] = {PVRTVec3(0, 0, 0), PVRTVec3(40, 0, 0), PVRTVec3(80, 0, 0)};
    BraidMeshBuffer mesh;
    std::vector<std::unique_ptr<BraidMeshWorker>> jobs;
};

TEST_F(StraightBraid, RingsPulseBetween85PercentAndFullRadiusAndTheTailThins) {
    for (int frame = 0; frame < 40; ++frame) {
        jobs[0]->process(positions, 3, kRadius);
        // Rings 10..15 are samples 1..6, untapered; 16..21 the thinning tail.
        for (int ring = 10; ring < 16; ++ring) {
            EXPECT_GE(ringRadius(ring), 0.85f * kRadius - 1e-3f) << frame << " " << ring;
            EXPECT_LE(ringRadius(ring), kRadius + 1e-3f) << frame << " " << ring;
        }
        EXPECT_LE(ringRadius(16), 0.875f * kRadius + 1e-3f);
        EXPECT_GE(ringRadius(21), 0.25f * 0.85f * kRadius - 1e-3f);
        EXPECT_LE(ringRadius(21), 0.25f * kRadius + 1e-3f);
    }
    EXPECT_EQ(jobs[0]->getFrame(), 40.0f);
}

TEST_F(StraightBraid, ThePulseTravelsFromFrameToFrame) {
    jobs[0]->process(positions, 3, kRadius);
    const float first = ringRadius(12);
    jobs[0]->process(positions, 3, kRadius);
    EXPECT_NE(ringRadius(12), first);
}

TEST_F(StraightBraid, CapsAreSpheresAroundTheEnds) {
    jobs[0]->process(positions, 3, kRadius);
    // Head cap: rings 0..9 around the first particle, 0.935 of the tube.
    for (int i = 0; i < 140; i += 13) {
        EXPECT_NEAR(vec(mesh.vertices[i].position).length(), 0.935f * kRadius, 1e-3f);
        EXPECT_NEAR(vec(mesh.vertices[i].normal).length(), 1.0f, 1e-5f);
    }
    // Tail cap: the last ten rings around the last particle, a quarter.
    for (int i = 448 - 140; i < 448; i += 13) {
        EXPECT_NEAR((vec(mesh.vertices[i].position) - positions[2]).length(), 0.25f * kRadius, 1e-3f);
    }
}

TEST(BraidMeshWorker, ABraidPulledStraightUpStaysFinite) {
    BraidMeshBuffer mesh;
    auto jobs = makeJobs({Segment{0, 2, 0}}, mesh);
    const PVRTVec3 up[] = {PVRTVec3(0, 0, 0), PVRTVec3(0, 40, 0), PVRTVec3(0, 80, 0)};
    jobs[0]->process(up, 3, kRadius);
    for (int32_t i = 0; i < mesh.vertexCount; ++i) {
        ASSERT_TRUE(finite(mesh.vertices[i])) << "vertex " << i;
        ASSERT_NEAR(vec(mesh.vertices[i].normal).length(), 1.0f, 1e-4f) << "vertex " << i;
    }
    // The tube rings stand around the vertical line.
    const BraidVertex& v = mesh.vertices[14 * 12 + 5];
    EXPECT_LE(std::hypot(v.position[0], v.position[2]), kRadius + 1e-3f);
    EXPECT_GT(std::hypot(v.position[0], v.position[2]), 0.8f * kRadius);
}

TEST(BraidMeshWorker, TheHorizontalStartNormalHasAFixedFallbackForVerticalTangents) {
    EXPECT_EQ(ZQ::CordMeshWorker::horizontalNormal(PVRTVec3(0, 1, 0)), PVRTVec3(1, 0, 0));
    EXPECT_EQ(ZQ::CordMeshWorker::horizontalNormal(PVRTVec3(0, -1, 0)), PVRTVec3(1, 0, 0));
    const PVRTVec3 n = ZQ::CordMeshWorker::horizontalNormal(PVRTVec3(0.6f, 0.0f, 0.8f));
    EXPECT_NEAR(n.x, -0.8f, 1e-6f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_NEAR(n.z, 0.6f, 1e-6f);
}

TEST(BraidMeshWorker, MeshingWithoutParticlesStopsTheProgram) {
    BraidMeshBuffer mesh;
    auto jobs = makeJobs({Segment{0, 2, 0}}, mesh);
    const PVRTVec3 none[3] = {};
    EXPECT_DEATH(jobs[0]->process(none, 0, kRadius), "count");
}

TEST(BraidMeshBuffer, AllocatingAgainReplacesTheArrays) {
    BraidMeshBuffer mesh;
    mesh.allocate(448, 2604, 1);
    mesh.allocate(896, 5208, 2);
    EXPECT_EQ(mesh.vertexCount, 896);
    EXPECT_EQ(mesh.indexCount, 5208);
    EXPECT_EQ(mesh.ranges.size(), 2u);
    mesh.release();
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.indices, nullptr);
    EXPECT_EQ(mesh.vertexBytes, 0);
    EXPECT_EQ(mesh.indexCount, 0);
}

} // namespace
