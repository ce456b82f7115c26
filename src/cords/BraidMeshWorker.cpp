#include "cords/BraidMeshWorker.h"
#include "engine/MathHelpers.h"

#include "engine/Assert.h"

#include <cmath>

namespace ZQ {

namespace {

// The tail thins over the last six rings, from 0.875 down to a quarter.
constexpr int32_t kTailRings = 6;
constexpr float kTailThinning = 0.75f;
// Cap radii relative to the tube: a full head, a small tail tip.
constexpr float kHeadCap = 0.935f;
constexpr float kTailCap = 0.25f;

} // namespace

void BraidMeshBuffer::allocate(int32_t vertices, int32_t indices, size_t rangeCount) {
    ZQ_ASSERT(vertices >= 0 && indices >= 0);
    allocateArrays(static_cast<size_t>(vertices), static_cast<size_t>(indices), rangeCount);
    vertexCount = vertices;
    indexCount = indices;
}

void BraidMeshBuffer::release() {
    releaseArrays();
    vertexCount = 0;
    indexCount = 0;
}

BraidMeshWorker::BraidMeshWorker(const CordModel::Segment& segment, BraidMeshBuffer& mesh,
                                 int32_t firstVertex, int32_t firstIndex)
    : TubeMeshJob(firstVertex, firstIndex), segment(segment), mesh(&mesh) {
    ZQ_ASSERT(segment.first >= 0 && segment.last > segment.first && segment.index >= 0);
    sizeRuns(vertexCountFor(segment), indexCountFor(segment),
             splineSampleCount(segment.first, segment.last, kSamplesPerInterval));
}

int32_t BraidMeshWorker::ringCountFor(const CordModel::Segment& s) {
    return (s.last - s.first) * kSamplesPerInterval + 2 * kCapRings;
}

int32_t BraidMeshWorker::vertexCountFor(const CordModel::Segment& s) {
    return kSides * ringCountFor(s);
}

int32_t BraidMeshWorker::indexCountFor(const CordModel::Segment& s) {
    return 6 * kSides * (ringCountFor(s) - 1);
}

void BraidMeshWorker::process(const PVRTVec3* positions, int32_t count, float radius) {
    ZQ_ASSERT(lastVertexNumber < mesh->vertexCount && lastIndexPosition < mesh->indexCount);
    ZQ_ASSERT(static_cast<size_t>(segment.index) < mesh->ranges.size());
    vertexCursor = firstVertex_;
    indexCursor = firstIndex_;
    GenerateVertices(positions, count, radius);

    addIndices(mesh->indices);
    mesh->ranges[static_cast<size_t>(segment.index)] = {firstIndex_, lastIndexPosition - firstIndex_ + 1};

    const int32_t vLen = vertexCursor;
    const int32_t iLen = indexCursor;
    // clang-format off
    ZQ_ASSERT((vLen-firstVertex_) == GetVertexCount());
    ZQ_ASSERT((iLen-firstIndex_) == GetTriangleIndexCount());
    // clang-format on
}

void BraidMeshWorker::GenerateVertices(const PVRTVec3* positions, int32_t count, float radius) {
    ZQ_ASSERT(count > 0);
    ZQ_ASSERT(segment.last < count);
    splineSamples(positions, segment.first, segment.last, kSamplesPerInterval, samples.data());
    buildFrames();
    addSphere(samples.front(), kHeadCap * radius);
    addRings(radius);
    addSphere(samples.back(), kTailCap * radius);
    frame += 1.0f;
}

void BraidMeshWorker::buildFrames() {
    const size_t n = samples.size();
    const PVRTVec3* s = samples.data();
    PVRTVec3* t = tangents.data();
    PVRTVec3* a = normals.data();
    PVRTVec3* b = binormals.data();
    for (size_t i = 0; i + 1 < n; ++i) {
        t[i] = normalizedIfLong(s[i + 1] - s[i]);
    }
    t[n - 1] = normalizedIfLong(s[n - 1] - s[n - 2]);

    // The frame starts horizontal at the head (a fixed one when the braid
    // points straight up or down) and is carried along without twist.
    a[0] = horizontalNormal(t[0]);
    b[0] = t[0].cross(a[0]);
    for (size_t i = 1; i < n; ++i) {
        a[i] = normalizedIfLong(transportNormal(a[i - 1], t[i - 1], t[i]));
        b[i] = t[i].cross(a[i]);
    }
}

void BraidMeshWorker::putVertex(const PVRTVec3& position, const PVRTVec3& normal) {
    BraidVertex& v = mesh->vertices[vertexCursor++];
    v.position[0] = position.x;
    v.position[1] = position.y;
    v.position[2] = position.z;
    v.normal[0] = normal.x;
    v.normal[1] = normal.y;
    v.normal[2] = normal.z;
    v.material = static_cast<float>(segment.index);
}

void BraidMeshWorker::addSphere(const PVRTVec3& centre, float radius) {
    // Aligned to the world axes (pole +z), not to the tube: at a braid's
    // size the difference does not show.
    for (int32_t r = 0; r < kCapRings; ++r) {
        const float phi = kPi * static_cast<float>(r) / static_cast<float>(kCapRings);
        const float cp = std::cos(phi);
        const float sp = std::sin(phi);
        for (int32_t j = 0; j < kSides; ++j) {
            const PVRTVec3 normal(ringCos[j] * cp, ringSin[j] * cp, sp);
            putVertex(centre + normal * radius, normal);
        }
    }
}

void BraidMeshWorker::addRings(float radius) {
    const int32_t n = static_cast<int32_t>(samples.size());
    // The ring radius pulses between 0.85 and 1 of the tube along the braid
    // and over time; the tail thins.
    for (int32_t s = 1; s < n; ++s) {
        float taper = 1.0f;
        if (s >= n - kTailRings) {
            taper = 1.0f - kTailThinning * static_cast<float>(s - (n - kTailRings - 1)) /
                               static_cast<float>(kTailRings);
        }
        const float phase = 3.0f * (static_cast<float>(s) / static_cast<float>(n) + 0.01f * frame);
        const float rho = radius * (0.85f + 0.15f * std::fabs(std::sin(phase))) * taper;
        for (int32_t j = 0; j < kSides; ++j) {
            const PVRTVec3 normal =
                normals[static_cast<size_t>(s)] * ringCos[j] + binormals[static_cast<size_t>(s)] * ringSin[j];
            putVertex(samples[static_cast<size_t>(s)] + normal * rho, normal);
        }
    }
}

} // namespace ZQ
