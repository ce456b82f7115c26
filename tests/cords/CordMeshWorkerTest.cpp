#include "cords/CordMeshWorker.h"

#include "CordModelFixture.h"
#include "cords/MeshBuffer.h"
#include "levels/LevelModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using ZQ::CordMeshWorker;
using ZQ::CordVertex;
using Segment = ZQ::CordModel::Segment;

constexpr int kSides = CordMeshWorker::kSides;
constexpr int kDomeVertices = CordMeshWorker::kCapRings * kSides;

PVRTVec3 pos(const CordVertex& v) {
    return {v.position[0], v.position[1], v.position[2]};
}
PVRTVec3 nrm(const CordVertex& v) {
    return {v.normal[0], v.normal[1], v.normal[2]};
}

bool finite(const CordVertex& v) {
    for (float f : {v.position[0], v.position[1], v.position[2], v.normal[0], v.normal[1], v.normal[2],
                    v.tex[0], v.tex[1], v.material}) {
        if (!std::isfinite(f)) {
            return false;
        }
    }
    return true;
}

// One cord of several strings meshed into its own buffer, as the cord-mesh
// model and the hologram build it.
struct Cord {
    std::vector<PVRTVec3> positions;
    std::vector<Segment> segments;
    ZQ::MeshBuffer mesh{GL_DYNAMIC_DRAW};
    std::vector<std::unique_ptr<CordMeshWorker>> jobs;

    void makeJobs(float uScale = 0.5f, float capSweep = CordMeshWorker::kCordCapSweep) {
        for (CordMeshWorker* job : CordMeshWorker::makeJobs(segments, mesh, uScale, capSweep)) {
            jobs.emplace_back(job);
        }
    }
    void processAll(float radius) {
        for (auto& job : jobs) {
            job->process(positions.data(), static_cast<int32_t>(positions.size()), radius);
        }
    }
    const CordVertex& vertex(const CordMeshWorker& job, int ring, int side) const {
        return mesh.vertices[job.firstVertex() + ring * kSides + side];
    }
    // Centre of a tube ring: the mean of its distinct vertices (the seam
    // vertex repeats the first), which is the spline sample.
    PVRTVec3 ringCentre(const CordMeshWorker& job, int tubeRing) const {
        PVRTVec3 sum;
        for (int j = 0; j < kSides - 1; ++j) {
            sum += pos(vertex(job, CordMeshWorker::kCapRings + tubeRing, j));
        }
        return sum / static_cast<float>(kSides - 1);
    }
};

// A wavy string of n particles two units apart, turning in all three axes.
std::vector<PVRTVec3> helix(int n, float x0 = 0.0f) {
    std::vector<PVRTVec3> p;
    for (int i = 0; i < n; ++i) {
        const float a = 0.35f * static_cast<float>(i);
        p.emplace_back(x0 + 6.0f * std::cos(a), 1.2f * static_cast<float>(i), 6.0f * std::sin(a));
    }
    return p;
}

int tubeRings(const CordMeshWorker& job) {
    return job.GetVertexCount() / kSides - 2 * CordMeshWorker::kCapRings;
}

float taperedRadius(float radius, int s, int n, float frame) {
    int g = 0;
    if (s >= n - 8) {
        g = s - (n - 8) + 1;
    } else if (s < 8) {
        g = 8 - s;
    }
    const float r0 = g > 0 ? radius * (1.0f - 0.6f * static_cast<float>(g) / 7.0f) : radius;
    return r0 * (0.85f + 0.15f * std::fabs(std::sin(3.0f * (0.01f * frame + static_cast<float>(s) / n))));
}

TEST(CordMeshWorkerTest, TwoParticleStringHasTheFixedCountsAndIsTaperedThroughout) {
    Cord cord;
    cord.positions = {{10.0f, 20.0f, 30.0f}, {14.0f, 20.0f, 30.0f}};
    cord.segments = {{0, 1, 0}};
    cord.makeJobs();
    const CordMeshWorker& job = *cord.jobs[0];
    EXPECT_EQ(job.GetVertexCount(), 224);
    EXPECT_EQ(job.GetTriangleIndexCount(), 1260);
    EXPECT_EQ(cord.mesh.vertexBytes, 224u * 36u);
    EXPECT_EQ(cord.mesh.indexBytes, 1260u * 4u);

    const float radius = 2.0f;
    cord.processAll(radius);
    ASSERT_EQ(tubeRings(job), 4);
    for (int s = 0; s < 4; ++s) {
        const PVRTVec3 centre = cord.ringCentre(job, s);
        EXPECT_NEAR(centre.y, 20.0f, 1e-4f);
        EXPECT_NEAR(centre.z, 30.0f, 1e-4f);
        for (int j = 0; j < kSides; ++j) {
            const float r = (pos(cord.vertex(job, CordMeshWorker::kCapRings + s, j)) - centre).length();
            EXPECT_NEAR(r, taperedRadius(radius, s, 4, 0.0f), 1e-4f) << s << "," << j;
        }
    }
    EXPECT_NEAR(cord.ringCentre(job, 0).x, 10.0f, 1e-4f);
    EXPECT_NEAR(cord.ringCentre(job, 3).x, 14.0f, 1e-4f);
    // The end rings keep 0.314 R before the ripple; no ring reaches the full radius.
    EXPECT_LT((pos(cord.vertex(job, CordMeshWorker::kCapRings + 3, 0)) - cord.ringCentre(job, 3)).length(),
              0.315f * radius);
    EXPECT_EQ(cord.mesh.ranges[0].firstIndex, 0);
    EXPECT_EQ(cord.mesh.ranges[0].indexCount, 1260);
}

TEST(CordMeshWorkerTest, JobsWriteOnlyTheirOwnRunsWhateverTheOrder) {
    Cord forward;
    forward.positions = helix(60);
    forward.segments = {{0, 14, 0}, {15, 29, 1}, {30, 44, 2}, {45, 59, 3}};
    forward.makeJobs();
    Cord backward;
    backward.positions = forward.positions;
    backward.segments = forward.segments;
    backward.makeJobs();
    std::memset(forward.mesh.vertices, 0xAB, forward.mesh.vertexBytes);
    std::memset(backward.mesh.vertices, 0x00, backward.mesh.vertexBytes);
    std::memset(forward.mesh.indices, 0xAB, forward.mesh.indexBytes);
    std::memset(backward.mesh.indices, 0x00, backward.mesh.indexBytes);

    forward.processAll(1.0f);
    for (auto it = backward.jobs.rbegin(); it != backward.jobs.rend(); ++it) {
        (*it)->process(backward.positions.data(), 60, 1.0f);
    }
    // Different fill patterns, same result: every byte was written, by its own job.
    EXPECT_EQ(std::memcmp(forward.mesh.vertices, backward.mesh.vertices, forward.mesh.vertexBytes), 0);
    EXPECT_EQ(std::memcmp(forward.mesh.indices, backward.mesh.indices, forward.mesh.indexBytes), 0);
}

TEST(CordMeshWorkerTest, RingsAreClosedAndPerpendicularToTheTube) {
    Cord cord;
    cord.positions = helix(30);
    cord.segments = {{0, 29, 0}};
    cord.makeJobs();
    cord.processAll(1.0f);
    const CordMeshWorker& job = *cord.jobs[0];
    const int n = tubeRings(job);
    ASSERT_EQ(n, 29 * 3 + 1);
    for (int ring = 0; ring < job.GetVertexCount() / kSides; ++ring) {
        // The seam: first and last vertex of a ring coincide.
        EXPECT_EQ(pos(cord.vertex(job, ring, 0)), pos(cord.vertex(job, ring, kSides - 1))) << ring;
    }
    for (int s = 1; s < n - 1; ++s) {
        const PVRTVec3 t = (cord.ringCentre(job, s + 1) - cord.ringCentre(job, s - 1)).normalized();
        for (int j = 0; j < kSides; ++j) {
            const PVRTVec3 normal = nrm(cord.vertex(job, CordMeshWorker::kCapRings + s, j));
            EXPECT_NEAR(normal.length(), 1.0f, 1e-4f);
            EXPECT_NEAR(normal.dot(t), 0.0f, 0.02f) << s << "," << j;
        }
    }
}

TEST(CordMeshWorkerTest, StraightAndFlatStringsKeepAHorizontalNormal) {
    // Straight along x: no rotation is ever applied, so the first normal of
    // every ring is the same horizontal vector.
    Cord straight;
    for (int i = 0; i < 20; ++i) {
        straight.positions.emplace_back(2.0f * static_cast<float>(i), 5.0f, -3.0f);
    }
    straight.segments = {{0, 19, 0}};
    straight.makeJobs();
    straight.processAll(1.0f);
    const CordMeshWorker& job = *straight.jobs[0];
    for (int s = 0; s < tubeRings(job); ++s) {
        const PVRTVec3 normal = nrm(straight.vertex(job, CordMeshWorker::kCapRings + s, 0));
        EXPECT_NEAR((normal - PVRTVec3(0.0f, 0.0f, 1.0f)).length(), 0.0f, 1e-6f) << s;
    }

    // A curve in a horizontal plane turns only about the vertical axis, so the
    // transported normal stays horizontal.
    Cord flat;
    for (int i = 0; i < 25; ++i) {
        const float a = 0.3f * static_cast<float>(i);
        flat.positions.emplace_back(8.0f * std::cos(a), 2.0f, 8.0f * std::sin(a));
    }
    flat.segments = {{0, 24, 0}};
    flat.makeJobs();
    flat.processAll(1.0f);
    for (int s = 0; s < tubeRings(*flat.jobs[0]); ++s) {
        EXPECT_NEAR(nrm(flat.vertex(*flat.jobs[0], CordMeshWorker::kCapRings + s, 0)).y, 0.0f, 1e-4f) << s;
    }
}

TEST(CordMeshWorkerTest, VerticalMiddleTangentStillGivesFiniteRings) {
    // A plumb line: the middle tangent is (0, 1, 0), whose horizontal part is zero.
    Cord plumb;
    for (int i = 0; i < 9; ++i) {
        plumb.positions.emplace_back(3.0f, 2.0f * static_cast<float>(i), 1.0f);
    }
    plumb.segments = {{0, 8, 0}};
    // A hook: vertical in the middle, bending away at both ends.
    Cord hook;
    hook.positions = {{-6, -6, 0}, {-4, -5, 1}, {0, -4, 0}, {0, -2, 0}, {0, 0, 0},
                      {0, 2, 0},   {0, 4, 0},   {2, 5, 1},  {4, 6, 2}};
    hook.segments = {{0, 8, 0}};
    for (Cord* cord : {&plumb, &hook}) {
        cord->makeJobs();
        cord->processAll(1.0f);
        const CordMeshWorker& job = *cord->jobs[0];
        for (int v = job.firstVertex(); v <= job.lastVertex(); ++v) {
            ASSERT_TRUE(finite(cord->mesh.vertices[v])) << v;
        }
        const int middle = tubeRings(job) / 2;
        const PVRTVec3 normal = nrm(cord->vertex(job, CordMeshWorker::kCapRings + middle, 0));
        EXPECT_NEAR(normal.length(), 1.0f, 1e-5f);
        EXPECT_NEAR(normal.y, 0.0f, 1e-6f);
    }
}

TEST(CordMeshWorkerTest, ZeroRadiusCollapsesEveryRingOntoItsCentre) {
    Cord cord;
    cord.positions = helix(12);
    cord.segments = {{0, 11, 0}};
    cord.makeJobs();
    cord.processAll(0.0f);
    const CordMeshWorker& job = *cord.jobs[0];
    EXPECT_EQ(job.GetVertexCount(), 14 + 14 * (3 * 11 + 12));
    for (int j = 0; j < kDomeVertices; ++j) {
        EXPECT_EQ(pos(cord.mesh.vertices[job.firstVertex() + j]), cord.positions.front());
        EXPECT_EQ(pos(cord.mesh.vertices[job.lastVertex() - j]), cord.positions.back());
    }
    for (int j = 0; j < kSides; ++j) {
        EXPECT_EQ(pos(cord.vertex(job, CordMeshWorker::kCapRings, j)), cord.positions.front());
        EXPECT_EQ(pos(cord.vertex(job, CordMeshWorker::kCapRings + tubeRings(job) - 1, j)),
                  cord.positions.back());
    }
}

TEST(CordMeshWorkerTest, DomesTextureAndMaterialFollowTheConstructorParameters) {
    Cord cord;
    cord.positions = helix(10);
    cord.segments = {{0, 9, 0}};
    Cord holo;
    holo.positions = cord.positions;
    holo.segments = cord.segments;
    cord.makeJobs(0.5f, CordMeshWorker::kCordCapSweep);
    holo.makeJobs(1.0f, CordMeshWorker::kHoloCapSweep);
    const float radius = 2.0f;
    cord.processAll(radius);
    holo.processAll(radius);

    float lowestCordZ = 1.0f;
    float lowestHoloZ = 1.0f;
    for (int j = 0; j < kDomeVertices; ++j) {
        const CordVertex& v = cord.mesh.vertices[j];
        EXPECT_EQ(v.material, 1.0f);
        EXPECT_EQ(v.tex[0], 0.0f);
        EXPECT_EQ(v.tex[1], 0.0f);
        EXPECT_NEAR((pos(v) - cord.positions.front()).length(), 0.6f * radius, 1e-4f);
        lowestCordZ = std::min(lowestCordZ, nrm(v).z);
        lowestHoloZ = std::min(lowestHoloZ, nrm(holo.mesh.vertices[j]).z);
    }
    // Half a turn stays on the +z side; a full turn reaches round to -z.
    EXPECT_GT(lowestCordZ, -1e-6f);
    EXPECT_LT(lowestHoloZ, -0.9f);

    const CordMeshWorker& job = *cord.jobs[0];
    const int last = tubeRings(job) - 1;
    EXPECT_EQ(cord.vertex(job, CordMeshWorker::kCapRings, 0).material, 0.0f);
    EXPECT_FLOAT_EQ(cord.vertex(job, CordMeshWorker::kCapRings, kSides - 1).tex[0], 0.5f);
    EXPECT_FLOAT_EQ(holo.vertex(*holo.jobs[0], CordMeshWorker::kCapRings, kSides - 1).tex[0], 1.0f);
    EXPECT_EQ(cord.vertex(job, CordMeshWorker::kCapRings, 3).tex[1], 0.0f);
    // v ends at the number of particles over 17.5.
    EXPECT_NEAR(cord.vertex(job, CordMeshWorker::kCapRings + last, 3).tex[1], 10.0f / 17.5f, 1e-5f);
}

// A flat arc of radius `bend` around the vertical axis, particles 0.3 rad apart.
std::vector<PVRTVec3> arc(float bend) {
    std::vector<PVRTVec3> p;
    for (int i = 0; i < 25; ++i) {
        const float a = 0.3f * static_cast<float>(i);
        p.emplace_back(bend * std::cos(a), 2.0f, bend * std::sin(a));
    }
    return p;
}

// Where the string bends more tightly than the tube's radius, the rings'
// inner sides would pass one another and turn the strip between them inside
// out; they are pulled in instead, and only there.
TEST(CordMeshWorkerTest, ATightBendPinchesItsInnerSideInsteadOfFolding) {
    for (const float bend : {8.0f, 0.6f}) {
        Cord cord;
        cord.positions = arc(bend);
        cord.segments = {{0, 24, 0}};
        cord.makeJobs();
        cord.processAll(1.0f);
        const CordMeshWorker& job = *cord.jobs[0];
        const int n = tubeRings(job);
        int pinched = 0;
        int inverted = 0;
        for (int s = 0; s < n; ++s) {
            const int ring = CordMeshWorker::kCapRings + s;
            for (int j = 0; j < kSides; ++j) {
                // Every third sample is a particle, the centre of its ring.
                if (s % 3 == 0) {
                    const PVRTVec3 particle = cord.positions[static_cast<std::size_t>(s / 3)];
                    const float reach = (pos(cord.vertex(job, ring, j)) - particle).length();
                    pinched += reach < taperedRadius(1.0f, s, n, 0.0f) - 1e-4f ? 1 : 0;
                }
                if (s + 1 == n) {
                    continue;
                }
                // Each strip's triangles against their vertices' outward normals.
                const CordVertex& a = cord.vertex(job, ring, j);
                const CordVertex& b = cord.vertex(job, ring, (j + 1) % kSides);
                const CordVertex& c = cord.vertex(job, ring + 1, j);
                const PVRTVec3 face = (pos(b) - pos(a)).cross(pos(c) - pos(a));
                inverted += face.dot(nrm(a) + nrm(b) + nrm(c)) < -1e-5f ? 1 : 0;
            }
        }
        EXPECT_EQ(inverted, 0) << "bend " << bend;
        if (bend > 1.0f) {
            EXPECT_EQ(pinched, 0);
        } else {
            EXPECT_GT(pinched, 0);
        }
    }
}

TEST(CordMeshWorkerTest, TheRippleTravelsFromFrameToFrame) {
    Cord cord;
    cord.positions = helix(30);
    cord.segments = {{0, 29, 0}};
    cord.makeJobs();
    const CordMeshWorker& job = *cord.jobs[0];
    const int n = tubeRings(job);
    const int s = n / 2;
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(job.getFrame(), static_cast<float>(frame));
        cord.processAll(1.0f);
        const float r =
            (pos(cord.vertex(job, CordMeshWorker::kCapRings + s, 0)) - cord.ringCentre(job, s)).length();
        EXPECT_NEAR(r, taperedRadius(1.0f, s, n, static_cast<float>(frame)), 1e-4f);
    }
}

TEST(CordMeshWorkerTest, SingleParticleStringIsDomesAroundOnePoint) {
    Cord cord;
    cord.positions = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    cord.segments = {{0, 1, 0}, {2, 2, 1}};
    cord.makeJobs();
    cord.processAll(1.0f);
    const CordMeshWorker& job = *cord.jobs[1];
    EXPECT_EQ(job.GetVertexCount(), 14 + 14 * 12);
    for (int v = job.firstVertex(); v <= job.lastVertex(); ++v) {
        ASSERT_TRUE(finite(cord.mesh.vertices[v])) << v;
    }
    EXPECT_NEAR((cord.ringCentre(job, 0) - cord.positions[2]).length(), 0.0f, 1e-5f);
}

// Every level's cord, laid by the cord model as in play, meshed through the
// engine globals: fixed counts per string, runs that tile the arrays, indices
// inside their own run joining neighbouring rings, finite vertices and one
// range per string.
using CordMeshCatalogueTest = CordModelFixture;

TEST_F(CordMeshCatalogueTest, EveryLevelsCordMeetsTheCountInvariants) {
    ZQ::LevelModel catalogue;
    ASSERT_GT(catalogue.levelCount(), 0);
    for (int32_t level = 0; level < catalogue.levelCount(); ++level) {
        SCOPED_TRACE(level);
        cord->loadCord(*catalogue.levels[static_cast<size_t>(level)].cord,
                       catalogue.levels[static_cast<size_t>(level)].cordSettings());
        frame();
        cord->instance->radius = 1.0f / ZQ::gGlobals.worldScale;
        ASSERT_GT(cord->count, 0);

        ZQ::MeshBuffer mesh(GL_DYNAMIC_DRAW);
        std::vector<std::unique_ptr<CordMeshWorker>> jobs;
        for (CordMeshWorker* job :
             CordMeshWorker::makeJobs(cord->segments, mesh, 0.5f, CordMeshWorker::kCordCapSweep)) {
            jobs.emplace_back(job);
        }
        ASSERT_EQ(jobs.size(), cord->segments.size());
        ASSERT_EQ(mesh.ranges.size(), cord->segments.size());
        int32_t nextVertex = 0;
        int32_t nextIndex = 0;
        for (auto& job : jobs) {
            const Segment& s = job->getSegment();
            EXPECT_EQ(job->GetVertexCount(), 14 + 14 * ((s.last - s.first) * 3 + 12));
            EXPECT_EQ(job->GetTriangleIndexCount(), 6 * 14 * ((s.last - s.first) * 3 + 12));
            EXPECT_EQ(job->firstVertex(), nextVertex);
            EXPECT_EQ(job->firstIndex(), nextIndex);
            nextVertex = job->lastVertex() + 1;
            nextIndex = job->lastIndex() + 1;
            job->process();
        }
        EXPECT_EQ(static_cast<size_t>(nextVertex), mesh.vertexCount());
        EXPECT_EQ(static_cast<size_t>(nextIndex), mesh.indexCount());
        for (auto& job : jobs) {
            const auto& range = mesh.ranges[static_cast<size_t>(job->getSegment().index)];
            EXPECT_EQ(range.firstIndex, job->firstIndex());
            EXPECT_EQ(range.indexCount, job->GetTriangleIndexCount());
            // Each triangle lies in the job's run and spans one ring and the next.
            for (int32_t i = job->firstIndex(); i <= job->lastIndex(); i += 3) {
                const uint32_t* t = mesh.indices + i;
                const uint32_t low = std::min({t[0], t[1], t[2]});
                const uint32_t high = std::max({t[0], t[1], t[2]});
                ASSERT_GE(low, static_cast<uint32_t>(job->firstVertex()));
                ASSERT_LE(high, static_cast<uint32_t>(job->lastVertex()));
                ASSERT_EQ((high - job->firstVertex()) / kSides, (low - job->firstVertex()) / kSides + 1);
            }
        }
        for (size_t v = 0; v < mesh.vertexCount(); ++v) {
            ASSERT_TRUE(finite(mesh.vertices[v])) << v;
        }
        cord->unload();
    }
}

using CordMeshWorkerDeathTest = ::testing::Test;

TEST(CordMeshWorkerDeathTest, EmptyCordModelStopsTheProgram) {
    Cord cord;
    cord.positions = helix(4);
    cord.segments = {{0, 3, 0}};
    cord.makeJobs();
    EXPECT_DEATH(cord.jobs[0]->process(cord.positions.data(), 0, 1.0f), "check failed: count > 0");
}

TEST(CordMeshWorkerDeathTest, SegmentChangedAfterTheJobWasMadeStopsBeforeWriting) {
    Cord cord;
    cord.positions = helix(20);
    cord.segments = {{0, 9, 0}, {10, 19, 1}};
    cord.makeJobs();
    cord.segments[0].last = 12;
    EXPECT_DEATH(cord.jobs[0]->process(cord.positions.data(), 20, 1.0f),
                 "check failed: vertexCountFor\\(\\*segment\\) == vertexCount");
}

TEST(CordMeshWorkerDeathTest, SegmentBeyondTheParticlesStopsTheProgram) {
    Cord cord;
    cord.positions = helix(20);
    cord.segments = {{0, 19, 0}};
    cord.makeJobs();
    EXPECT_DEATH(cord.jobs[0]->process(cord.positions.data(), 15, 1.0f), "segment->last < count");
}

} // namespace
