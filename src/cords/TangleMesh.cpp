#include "cords/TangleMesh.h"
#include "engine/MathHelpers.h"

#include "cords/Cord.h"
#include "cords/TubeMeshJob.h"
#include "engine/Assert.h"
#include "engine/GLMeshBuffers.h"
#include "engine/Globals.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

constexpr float kMinLength = 0.0001f;
// One sample step along the cord: 1/300 of its length.
constexpr float kSampleStep = 0.0033333334f;
// The tube is a third of a world unit thick, whatever the cord's units.
constexpr float kRadiusWorldUnits = 1.0f / 3.0f;

// Colour of ring slot 1, 2, 3.
constexpr float kSlotColours[3][3] = {
    {0.50196f, 0.70196f, 0.87843f}, // slot 1
    {0.0902f, 0.5529f, 0.4706f},    // slot 2
    {0.8353f, 0.7804f, 0.8196f},    // slot 3
};

// acos of a dot product of unit vectors. Rounding lifts the product of two
// nearly parallel vectors a little above 1 (the closing twist compares such
// normals by design), where acos would answer NaN and spoil the whole mesh.
float safeAcos(float d) {
    return std::acos(std::clamp(d, -1.0f, 1.0f));
}

// v turned by `angle` about the unit axis k (Rodrigues).
PVRTVec3 rotateAbout(const PVRTVec3& v, const PVRTVec3& k, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return v * c + k.cross(v) * s + k * (k.dot(v) * (1.0f - c));
}

// The world axis along which t is shortest: x first, then y on ties.
PVRTVec3 leastAxis(const PVRTVec3& t) {
    const float ax = std::fabs(t.x);
    const float ay = std::fabs(t.y);
    const float az = std::fabs(t.z);
    if (ax <= ay && ax <= az) {
        return PVRTVec3(1.0f, 0.0f, 0.0f);
    }
    if (ay <= az) {
        return PVRTVec3(0.0f, 1.0f, 0.0f);
    }
    return PVRTVec3(0.0f, 0.0f, 1.0f);
}

void put3(float (&out)[3], const PVRTVec3& v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

} // namespace

TangleMesh::TangleMesh(int32_t sides, Cord* cord) : sides(sides), cord(cord) {
    ZQ_ASSERT(sides >= 2 && cord != nullptr);
}

TangleMesh::~TangleMesh() {
    tearDown();
    delete cord;
}

void TangleMesh::buildFrames(const std::vector<PVRTVec3>& s, std::vector<PVRTVec3>& t,
                             std::vector<PVRTVec3>& n, std::vector<PVRTVec3>& b) {
    const size_t count = s.size();
    ZQ_ASSERT(count >= 2);
    const size_t last = count - 1;
    t.resize(count);
    n.resize(count);
    b.resize(count);

    t[0] = (s[1] - s[0]).normalized();
    for (size_t k = 1; k < last; ++k) {
        t[k] = TubeMeshJob::normalizedIfLong(s[k + 1] - s[k - 1]);
    }
    t[last] = TubeMeshJob::normalizedIfLong(s[last] - s[last - 1]);

    // Start perpendicular to the first tangent, then carry the normal along
    // every turn of the tangent so the tube does not twist.
    n[0] = t[0].cross(t[0].cross(leastAxis(t[0]))).normalized();
    for (size_t k = 1; k < count; ++k) {
        n[k] = n[k - 1];
        const PVRTVec3 axis = t[k - 1].cross(t[k]);
        const float len = axis.length();
        if (len > kMinLength) {
            n[k] = rotateAbout(n[k], axis / len, safeAcos(t[k - 1].dot(t[k])));
        }
    }

    // The carried normal comes back around the loop turned by some angle;
    // turning every ring a share of it back closes the tube without a seam.
    const float alpha = safeAcos(n[0].dot(n[last])) / static_cast<float>(last);
    const float delta = t[0].dot(n[0].cross(n[last])) > 0.0f ? -alpha : alpha;
    for (size_t k = 1; k < count; ++k) {
        n[k] = rotateAbout(n[k], t[k], static_cast<float>(k) * delta);
    }
    for (size_t k = 0; k < count; ++k) {
        b[k] = t[k].cross(n[k]);
    }
}

void TangleMesh::build(std::vector<TangleVertex>& vertices, std::vector<uint32_t>& indices) const {
    const int32_t ringCount = kRings;
    const float length = cord->totalLength;
    std::vector<PVRTVec3> samples(static_cast<size_t>(ringCount));
    for (int32_t k = 0; k < ringCount; ++k) {
        samples[static_cast<size_t>(k)] = cord->pointAtLength(length * kSampleStep * static_cast<float>(k));
    }
    std::vector<PVRTVec3> t;
    std::vector<PVRTVec3> n;
    std::vector<PVRTVec3> b;
    buildFrames(samples, t, n, b);

    const float rho = kRadiusWorldUnits / gGlobals.worldScale;
    const float sideSpan = static_cast<float>(sides - 1);
    vertices.clear();
    vertices.reserve(static_cast<size_t>(vertexCount()));
    for (int32_t k = 0; k < ringCount; ++k) {
        const size_t r = static_cast<size_t>(k);
        const int32_t slot = k % 3;
        for (int32_t j = 0; j < sides; ++j) {
            const float theta = kTwoPi * static_cast<float>(j) / sideSpan;
            const PVRTVec3 normal = n[r] * std::cos(theta) + b[r] * std::sin(theta);
            TangleVertex v{};
            put3(v.position, samples[r] + n[r] * (rho * std::cos(theta)) + b[r] * (rho * std::sin(theta)));
            put3(v.normal, normal);
            std::copy(kSlotColours[slot], kSlotColours[slot] + 3, v.colour);
            v.u = 0.5f * static_cast<float>(j) / sideSpan;
            v.v = 50.0f - 50.0f * static_cast<float>(k) / static_cast<float>(ringCount - 1);
            v.colourSlot = static_cast<float>(slot + 1);
            v.unused = 0.0f;
            vertices.push_back(v);
        }
    }

    // Ring k to ring k + 1, and the last ring back to the first. The seam
    // side (sides - 1 to 0) is left out: its two vertices coincide.
    const uint32_t s = static_cast<uint32_t>(sides);
    indices.clear();
    indices.reserve(static_cast<size_t>(indexCount()));
    for (uint32_t k = 0; k < static_cast<uint32_t>(ringCount); ++k) {
        const bool closing = k + 1 == static_cast<uint32_t>(ringCount);
        for (uint32_t j = 0; j + 1 < s; ++j) {
            const uint32_t a = k * s + j;
            const uint32_t bb = k * s + (j + 1) % s;
            const uint32_t aNext = closing ? j : a + s;
            const uint32_t bNext = closing ? (j + 1) % s : bb + s;
            indices.insert(indices.end(), {a, bb, aNext, bb, bNext, aNext});
        }
    }
}

void TangleMesh::setUp() {
    rings = kRings;
    std::vector<TangleVertex> vertices;
    std::vector<uint32_t> indices;
    build(vertices, indices);
    ZQ_ASSERT(!vertices.empty());

    generateMeshBuffers(vertexBuffer, indexBuffer);
    uploadMeshBuffers(vertexBuffer, vertices.data(), vertices.size() * sizeof(TangleVertex), indexBuffer,
                      indices.data(), indices.size() * sizeof(uint32_t), GL_STATIC_DRAW);
}

void TangleMesh::tearDown() {
    deleteMeshBuffers(vertexBuffer, indexBuffer);
}

} // namespace ZQ
