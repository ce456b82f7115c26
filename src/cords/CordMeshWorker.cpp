#include "cords/CordMeshWorker.h"

#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <cmath>

namespace ZQ {

namespace {

// v advances by one texture repeat every 17.5 particles.
constexpr float kVPerParticle = 0.05714286f;

void putVertex(CordVertex& out, const PVRTVec3& p, const PVRTVec3& n, float u, float v, float material) {
    out.position[0] = p.x;
    out.position[1] = p.y;
    out.position[2] = p.z;
    out.normal[0] = n.x;
    out.normal[1] = n.y;
    out.normal[2] = n.z;
    out.tex[0] = u;
    out.tex[1] = v;
    out.material = material;
}

int32_t ringsBetweenEnds(const CordModel::Segment& segment) {
    return (segment.last - segment.first) * CordMeshWorker::kSamplesPerInterval +
           2 * CordMeshWorker::kCapRings;
}

} // namespace

CordMeshWorker::CordMeshWorker(const CordModel::Segment& segment, MeshBuffer& mesh, int32_t firstVertex,
                               int32_t firstIndex, float uScale, float capSweep)
    : TubeMeshJob(firstVertex, firstIndex), segment(&segment), mesh(&mesh), uScale(uScale),
      capSweep(capSweep) {
    ZQ_ASSERT(segment.first >= 0 && segment.last >= segment.first && segment.index >= 0);
    ZQ_ASSERT(firstVertex >= 0 && firstIndex >= 0);
    sizeRuns(vertexCountFor(segment), indexCountFor(segment),
             splineSampleCount(segment.first, segment.last, kSamplesPerInterval));
}

std::vector<CordMeshWorker*> CordMeshWorker::makeJobs(const std::vector<CordModel::Segment>& segments,
                                                      MeshBuffer& mesh, float uScale, float capSweep) {
    size_t vertexTotal = 0;
    size_t indexTotal = 0;
    for (const CordModel::Segment& s : segments) {
        vertexTotal += static_cast<size_t>(vertexCountFor(s));
        indexTotal += static_cast<size_t>(indexCountFor(s));
    }
    mesh.allocate(vertexTotal, indexTotal, segments.size());

    std::vector<CordMeshWorker*> jobs;
    jobs.reserve(segments.size());
    int32_t firstVertex = 0;
    int32_t firstIndex = 0;
    for (const CordModel::Segment& s : segments) {
        ZQ_ASSERT(static_cast<size_t>(s.index) < segments.size());
        jobs.push_back(new CordMeshWorker(s, mesh, firstVertex, firstIndex, uScale, capSweep));
        firstVertex += jobs.back()->GetVertexCount();
        firstIndex += jobs.back()->GetTriangleIndexCount();
    }
    return jobs;
}

int32_t CordMeshWorker::vertexCountFor(const CordModel::Segment& segment) {
    return kSides + kSides * ringsBetweenEnds(segment);
}

int32_t CordMeshWorker::indexCountFor(const CordModel::Segment& segment) {
    return 6 * kSides * ringsBetweenEnds(segment);
}

void CordMeshWorker::process() {
    const CordModel* cord = gGlobals.cordModel;
    ZQ_ASSERT(cord != nullptr && cord->instance != nullptr);
    process(cord->positions, cord->count, cord->instance->radius);
}

void CordMeshWorker::process(const PVRTVec3* positions, int32_t count, float radius) {
    // The runs were fixed when the job was made: a segment that has changed
    // since would write into a neighbour's run, so stop before writing.
    ZQ_ASSERT(vertexCountFor(*segment) == vertexCount && indexCountFor(*segment) == indexCount);
    ZQ_ASSERT(static_cast<size_t>(lastVertexNumber) < mesh->vertexCount() &&
              static_cast<size_t>(lastIndexPosition) < mesh->indexCount());
    ZQ_ASSERT(static_cast<size_t>(segment->index) < mesh->ranges.size());

    vertexCursor = firstVertex_;
    indexCursor = firstIndex_;
    GenerateVertices(positions, count, radius);
    frame += 1.0f;
    // Every ring joins the next in write order (start dome, tube, end dome).
    addIndices(mesh->indices);
    mesh->ranges[static_cast<size_t>(segment->index)] = {firstIndex_, lastIndexPosition - firstIndex_ + 1};

    const int32_t vLen = vertexCursor;
    const int32_t iLen = indexCursor;
    // clang-format off
    ZQ_ASSERT((vLen-firstVertex_) == GetVertexCount());
    ZQ_ASSERT((iLen-firstIndex_) == GetTriangleIndexCount());
    // clang-format on
}

void CordMeshWorker::GenerateVertices(const PVRTVec3* positions, int32_t count, float radius) {
    ZQ_ASSERT(count > 0);
    ZQ_ASSERT(segment->first >= 0 && segment->last < count);
    splineSamples(positions, segment->first, segment->last, kSamplesPerInterval, samples.data());
    buildFrames();
    addCap(samples.front(), radius);
    addRings(radius);
    addCap(samples.back(), radius);
}

void CordMeshWorker::buildFrames() {
    const int32_t n = static_cast<int32_t>(samples.size());
    const PVRTVec3* s = samples.data();
    PVRTVec3* t = tangents.data();
    PVRTVec3* a = normals.data();
    PVRTVec3* b = binormals.data();

    if (n == 1) {
        // A one-particle string has no direction; its ring collapses onto a line.
        t[0] = PVRTVec3();
    } else {
        t[0] = normalizedIfLong(s[1] - s[0]);
        for (int32_t i = 1; i < n - 1; ++i) {
            t[i] = normalizedIfLong(s[i + 1] - s[i - 1]);
        }
        t[n - 1] = normalizedIfLong(s[n - 1] - s[n - 2]);
    }

    // The frame starts horizontal at the middle sample and is carried to both
    // ends from there, so the two halves of a long string twist equally little.
    const int32_t m = n / 2;
    a[m] = horizontalNormal(t[m]);
    b[m] = t[m].cross(a[m]);
    for (int32_t i = m + 1; i < n; ++i) {
        a[i] = normalizedIfLong(transportNormal(a[i - 1], t[i - 1], t[i]));
        b[i] = t[i].cross(a[i]);
    }
    for (int32_t i = m - 1; i >= 0; --i) {
        a[i] = normalizedIfLong(transportNormal(a[i + 1], t[i + 1], t[i]));
        b[i] = t[i].cross(a[i]);
    }
}

void CordMeshWorker::addRings(float radius) {
    const int32_t n = static_cast<int32_t>(samples.size());
    const float particles = static_cast<float>(segment->last - segment->first + 1);
    const float vStep = n > 1 ? particles * kVPerParticle / static_cast<float>(n - 1) : 0.0f;
    CordVertex* out = mesh->vertices + vertexCursor;
    // Radius: full in the middle, falling linearly to 0.314 R over the last
    // kTaperSamples at each end, times a ripple that travels 0.03 rad a frame.
    for (int32_t s = 0; s < n; ++s) {
        float r0 = radius;
        int32_t g = 0;
        if (s >= n - kTaperSamples) {
            g = s - (n - kTaperSamples) + 1;
        } else if (s < kTaperSamples) {
            g = kTaperSamples - s;
        }
        if (g > 0) {
            r0 = radius *
                 (1.0f - (1.0f - kEndTaper) * static_cast<float>(g) / static_cast<float>(kTaperSamples - 1));
        }
        const float phase = 3.0f * (0.01f * frame + static_cast<float>(s) / static_cast<float>(n));
        const float r = r0 * (0.85f + 0.15f * std::fabs(std::sin(phase)));
        const float v = n > 1 ? static_cast<float>(s) * vStep : 0.0f;
        const RingBounds bounds = ringBounds(s);
        for (int32_t j = 0; j < kSides; ++j) {
            const PVRTVec3 normal = normals[s] * ringCos[j] + binormals[s] * ringSin[j];
            const float u = uScale * static_cast<float>(j) / static_cast<float>(kSides - 1);
            putVertex(*out++, samples[s] + normal * bounds.reach(normal, r), normal, u, v, 0.0f);
        }
    }
    vertexCursor += n * kSides;
}

CordMeshWorker::RingBounds CordMeshWorker::ringBounds(int32_t s) const {
    // Ring s and the next one meet in the plane halfway between them, whose
    // normal is the sum of their tangents; a ring vertex beyond it lies past
    // the next ring's and turns the strip between them inside out. The plane
    // is (x - S[s]) . N = D / 2 with D = (S[s+1] - S[s]) . N, and the plane
    // towards the previous ring likewise. Samples that do not move along
    // their tangents (D <= 0) bound nothing: there is no inside to keep.
    const int32_t n = static_cast<int32_t>(samples.size());
    RingBounds bounds;
    if (s + 1 < n) {
        bounds.ahead = tangents[s] + tangents[s + 1];
        bounds.aheadLimit = 0.5f * (samples[s + 1] - samples[s]).dot(bounds.ahead);
    }
    if (s > 0) {
        bounds.behind = tangents[s - 1] + tangents[s];
        bounds.behindLimit = 0.5f * (samples[s] - samples[s - 1]).dot(bounds.behind);
    }
    return bounds;
}

float CordMeshWorker::RingBounds::reach(const PVRTVec3& normal, float radius) const {
    // Shortened only where the full radius would cross a plane, so wherever
    // the tube bends more gently than its radius the vertex stays where it was.
    float r = radius;
    const float forward = normal.dot(ahead);
    if (aheadLimit > 0.0f && forward * r > aheadLimit) {
        r = aheadLimit / forward;
    }
    const float backward = -normal.dot(behind);
    if (behindLimit > 0.0f && backward * r > behindLimit) {
        r = behindLimit / backward;
    }
    return r;
}

void CordMeshWorker::addCap(const PVRTVec3& centre, float radius) {
    const float rc = radius * (1.0f - kEndTaper);
    CordVertex* out = mesh->vertices + vertexCursor;
    // The same dome on the +z side at both ends whatever the tube's direction:
    // it sits behind the tube's end as seen by the camera.
    for (int32_t i = 0; i < kCapRings; ++i) {
        const float beta = capSweep * static_cast<float>(i) / static_cast<float>(kCapRings - 1);
        const float cb = std::cos(beta);
        const float sb = std::sin(beta);
        for (int32_t j = 0; j < kSides; ++j) {
            const PVRTVec3 normal(ringCos[j] * cb, ringSin[j] * cb, sb);
            putVertex(*out++, centre + normal * rc, normal, 0.0f, 0.0f, 1.0f);
        }
    }
    vertexCursor += kCapRings * kSides;
}

} // namespace ZQ
