#include "cords/TubeMeshJob.h"
#include "engine/MathHelpers.h"

#include "engine/Assert.h"

#include <cmath>

namespace ZQ {

namespace {

// Below this a vector is treated as having no direction.
constexpr float kMinLength = 0.0001f;
// A tangent whose horizontal part is shorter than this counts as vertical.
constexpr float kMinHorizontal = 1.0e-6f;

} // namespace

TubeMeshJob::TubeMeshJob(int32_t firstVertex, int32_t firstIndex)
    : firstIndex_(firstIndex), firstVertex_(firstVertex) {
    // The last side repeats the first exactly (j modulo kSides - 1): a
    // texture seam needs two vertices at one place, without a crack.
    for (int32_t j = 0; j < kSides; ++j) {
        const float a = kTwoPi * static_cast<float>(j % (kSides - 1)) / static_cast<float>(kSides - 1);
        ringCos[j] = std::cos(a);
        ringSin[j] = std::sin(a);
    }
}

void TubeMeshJob::sizeRuns(int32_t vertices, int32_t indices, size_t sampleCount) {
    ZQ_ASSERT(vertices % kSides == 0 && sampleCount > 0);
    vertexCount = vertices;
    indexCount = indices;
    lastVertexNumber = firstVertex_ + vertexCount - 1;
    lastIndexPosition = firstIndex_ + indexCount - 1;
    samples.resize(sampleCount);
    tangents.resize(sampleCount);
    normals.resize(sampleCount);
    binormals.resize(sampleCount);
}

void TubeMeshJob::addIndices(uint32_t* indices) {
    const int32_t strips = vertexCount / kSides - 1;
    ringStripIndices(static_cast<uint32_t>(firstVertex_), strips, indices + indexCursor);
    indexCursor += strips * 6 * kSides;
}

size_t TubeMeshJob::splineSampleCount(int32_t first, int32_t last, int32_t perInterval) {
    return static_cast<size_t>(last - first) * static_cast<size_t>(perInterval) + 1;
}

void TubeMeshJob::splineSamples(const PVRTVec3* positions, int32_t f, int32_t l, int32_t perInterval,
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

PVRTVec3 TubeMeshJob::transportNormal(const PVRTVec3& a, const PVRTVec3& from, const PVRTVec3& to) {
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

PVRTVec3 TubeMeshJob::horizontalNormal(const PVRTVec3& t) {
    const float h = std::sqrt(t.x * t.x + t.z * t.z);
    return h > kMinHorizontal ? PVRTVec3(-t.z / h, 0.0f, t.x / h) : PVRTVec3(1.0f, 0.0f, 0.0f);
}

void TubeMeshJob::ringStripIndices(uint32_t firstVertex, int32_t strips, uint32_t* out) {
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

PVRTVec3 TubeMeshJob::normalizedIfLong(const PVRTVec3& v) {
    const float len = v.length();
    return len > kMinLength ? v / len : v;
}

} // namespace ZQ
