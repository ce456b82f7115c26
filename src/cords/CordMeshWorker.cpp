#include "cords/CordMeshWorker.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "stage/MeshBuffer.h"

#include <cmath>

namespace ZQ {

namespace {

constexpr float kTwoPi = 6.2831855f;
// Below this a vector is treated as having no direction.
constexpr float kMinLength = 0.0001f;
// A tangent whose horizontal part is shorter than this counts as vertical.
constexpr float kMinHorizontal = 1.0e-6f;
// v advances by one texture repeat every 17.5 particles.
constexpr float kVPerParticle = 0.05714286f;

PVRTVec3 normalizedIfLong(const PVRTVec3& v) {
    const float len = v.length();
    return len > kMinLength ? v / len : v;
}

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
    : m_firstIndex(firstIndex), m_firstVertex(firstVertex), segment(&segment), mesh(&mesh), uScale(uScale),
      capSweep(capSweep) {
    ZQ_ASSERT(segment.first >= 0 && segment.last >= segment.first && segment.index >= 0);
    ZQ_ASSERT(firstVertex >= 0 && firstIndex >= 0);
    vertexCount = vertexCountFor(segment);
    indexCount = indexCountFor(segment);
    lastVertexNumber = m_firstVertex + vertexCount - 1;
    lastIndexPosition = m_firstIndex + indexCount - 1;

    const size_t sampleCount = static_cast<size_t>(segment.last - segment.first) * kSamplesPerInterval + 1;
    samples.resize(sampleCount);
    tangents.resize(sampleCount);
    normals.resize(sampleCount);
    binormals.resize(sampleCount);
    // The last side repeats the first exactly (j modulo kSides - 1): the
    // texture seam needs two vertices at one place, without a crack.
    for (int32_t j = 0; j < kSides; ++j) {
        const float a = kTwoPi * static_cast<float>(j % (kSides - 1)) / static_cast<float>(kSides - 1);
        ringCos[j] = std::cos(a);
        ringSin[j] = std::sin(a);
    }
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

    vertexCursor = m_firstVertex;
    indexCursor = m_firstIndex;
    GenerateVertices(positions, count, radius);
    frame += 1.0f;
    addIndices();
    mesh->ranges[static_cast<size_t>(segment->index)] = {m_firstIndex, lastIndexPosition - m_firstIndex + 1};

    const int32_t vLen = vertexCursor;
    const int32_t iLen = indexCursor;
    // clang-format off
    ZQ_ASSERT((vLen-m_firstVertex) == GetVertexCount());
    ZQ_ASSERT((iLen-m_firstIndex) == GetTriangleIndexCount());
    // clang-format on
}

void CordMeshWorker::GenerateVertices(const PVRTVec3* positions, int32_t count, float radius) {
    ZQ_ASSERT(count);
    ZQ_ASSERT(segment->first >= 0 && segment->last < count);
    buildSamples(positions);
    buildFrames();
    addCap(samples.front(), radius);
    addRings(radius);
    addCap(samples.back(), radius);
}

void CordMeshWorker::buildSamples(const PVRTVec3* positions) {
    splineSamples(positions, segment->first, segment->last, kSamplesPerInterval, samples.data());
}

void CordMeshWorker::splineSamples(const PVRTVec3* positions, int32_t f, int32_t l, int32_t perInterval,
                                   PVRTVec3* out) {
    // Per interval a cubic Bezier from P1 to P2 whose inner control points
    // come from the mid points of the neighbouring intervals, weighted by
    // their lengths (a chord-length spline).
    for (int32_t i = f; i < l; ++i) {
        const PVRTVec3& p0 = positions[i > f ? i - 1 : i];
        const PVRTVec3& p1 = positions[i];
        const PVRTVec3& p2 = positions[i + 1];
        const PVRTVec3& p3 = positions[i + 2 > l ? l : i + 2];
        const float l0 = (p1 - p0).length();
        const float l1 = (p2 - p1).length();
        const float l2 = (p3 - p2).length();
        const float t1 = (l0 + l1) != 0.0f ? l0 / (l0 + l1) : 0.0f;
        const float t2 = (l1 + l2) != 0.0f ? l1 / (l1 + l2) : 0.0f;
        const PVRTVec3 m0 = (p0 + p1) / 2.0f;
        const PVRTVec3 m1 = (p1 + p2) / 2.0f;
        const PVRTVec3 m2 = (p2 + p3) / 2.0f;
        const PVRTVec3 k1 = p1 + m1 - (m0 + (m1 - m0) * t1);
        const PVRTVec3 k2 = p2 + (m1 - m2) * t2;
        for (int32_t j = 0; j < perInterval; ++j) {
            const float t = static_cast<float>(j) / static_cast<float>(perInterval);
            const float u = 1.0f - t;
            *out++ = p1 * (u * u * u) + k1 * (3.0f * t * u * u) + k2 * (3.0f * t * t * u) + p2 * (t * t * t);
        }
    }
    *out = positions[l];
}

PVRTVec3 CordMeshWorker::transportNormal(const PVRTVec3& a, const PVRTVec3& from, const PVRTVec3& to) {
    const PVRTVec3 c = from.cross(to);
    const float sinLen = c.length();
    if (!(sinLen > kMinLength)) {
        return a;
    }
    // Rodrigues' rotation about the axis of the turn, by its angle.
    const PVRTVec3 k = c / sinLen;
    const float angle = std::atan2(sinLen, from.dot(to));
    const float cs = std::cos(angle);
    const float sn = std::sin(angle);
    return a * cs + k.cross(a) * sn + k * (k.dot(a) * (1.0f - cs));
}

PVRTVec3 CordMeshWorker::horizontalNormal(const PVRTVec3& t) {
    const float h = std::sqrt(t.x * t.x + t.z * t.z);
    return h > kMinHorizontal ? PVRTVec3(-t.z / h, 0.0f, t.x / h) : PVRTVec3(1.0f, 0.0f, 0.0f);
}

void CordMeshWorker::ringStripIndices(uint32_t firstVertex, int32_t strips, uint32_t* out) {
    const uint32_t sides = static_cast<uint32_t>(kSides);
    for (int32_t q = 0; q < strips; ++q) {
        const uint32_t base = firstVertex + static_cast<uint32_t>(q) * sides;
        for (uint32_t j = 0; j < sides; ++j) {
            const uint32_t a = base + j;
            const uint32_t b = base + (j + 1) % sides;
            *out++ = a;
            *out++ = b;
            *out++ = a + sides;
            *out++ = b;
            *out++ = b + sides;
            *out++ = a + sides;
        }
    }
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
        for (int32_t j = 0; j < kSides; ++j) {
            const PVRTVec3 normal = normals[s] * ringCos[j] + binormals[s] * ringSin[j];
            const float u = uScale * static_cast<float>(j) / static_cast<float>(kSides - 1);
            putVertex(*out++, samples[s] + normal * r, normal, u, v, 0.0f);
        }
    }
    vertexCursor += n * kSides;
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

void CordMeshWorker::addIndices() {
    // Every ring joins the next in write order (start dome, tube, end dome).
    const int32_t strips = vertexCount / kSides - 1;
    ringStripIndices(static_cast<uint32_t>(m_firstVertex), strips, mesh->indices + indexCursor);
    indexCursor += strips * 6 * kSides;
}

} // namespace ZQ
