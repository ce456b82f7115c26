#pragma once

#include "engine/PVRTVector.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ {

// What a cord job and a braid job have in common: a vertex run and an index
// run of a shared buffer, fixed when the job is made, the cursors that walk
// them, the frame counter that moves the ripple, and per-sample scratch sized
// once so a frame allocates nothing; also the tube maths both use. A job is
// one tube: it must never run on two threads at once, while jobs of one
// buffer may, as their runs are disjoint.
class TubeMeshJob {
public:
    static constexpr int32_t kSides = 14; // vertices per ring, the first and last coincide

    int32_t GetVertexCount() const { return vertexCount; }
    int32_t GetTriangleIndexCount() const { return indexCount; }
    int32_t firstVertex() const { return firstVertex_; }
    int32_t lastVertex() const { return lastVertexNumber; }
    int32_t firstIndex() const { return firstIndex_; }
    int32_t lastIndex() const { return lastIndexPosition; }
    float getFrame() const { return frame; }

    // The number of samples splineSamples writes for particles first..last.
    static size_t splineSampleCount(int32_t first, int32_t last, int32_t perInterval);
    // The chord-length spline through particles first..last of `positions`:
    // `perInterval` samples per particle interval, then the last particle,
    // (last - first) x perInterval + 1 samples in all. The first interval
    // takes its own first particle as the one before it.
    static void splineSamples(const PVRTVec3* positions, int32_t first, int32_t last, int32_t perInterval,
                              PVRTVec3* out);
    // `normal` carried along the turn that takes tangent `from` to tangent
    // `to`, so a frame moved along a tube does not twist.
    static PVRTVec3 transportNormal(const PVRTVec3& normal, const PVRTVec3& from, const PVRTVec3& to);
    // The unit normal of `tangent` in the horizontal plane; (1, 0, 0) for a
    // vertical tangent, which has none.
    static PVRTVec3 horizontalNormal(const PVRTVec3& tangent);
    // Joins `strips` + 1 consecutive rings of kSides vertices from
    // firstVertex, each to the next, with two triangles per side: writes
    // 6 x kSides x strips indices.
    static void ringStripIndices(uint32_t firstVertex, int32_t strips, uint32_t* out);
    // v scaled to unit length, or v as it is when it is too short to have a
    // direction: a zero-length step along a tube keeps its frame finite.
    static PVRTVec3 normalizedIfLong(const PVRTVec3& v);

protected:
    // Runs from firstVertex and firstIndex; their lengths come with sizeRuns.
    TubeMeshJob(int32_t firstVertex, int32_t firstIndex);
    ~TubeMeshJob() = default;

    // Fixes the lengths of the two runs and sizes the scratch for
    // `sampleCount` spline samples.
    void sizeRuns(int32_t vertexCount, int32_t indexCount, size_t sampleCount);
    // Joins every ring of the vertex run to the next, in write order, into
    // `indices` at the index cursor, and moves the cursor past them.
    void addIndices(uint32_t* indices);

    int32_t firstIndex_;
    int32_t lastIndexPosition = 0;
    int32_t firstVertex_;
    int32_t lastVertexNumber = 0;
    int32_t vertexCount = 0;
    int32_t indexCount = 0;
    int32_t vertexCursor = 0;
    int32_t indexCursor = 0;
    float frame = 0.0f;

    // Per-run scratch, one entry per spline sample.
    std::vector<PVRTVec3> samples;
    std::vector<PVRTVec3> tangents;
    std::vector<PVRTVec3> normals;
    std::vector<PVRTVec3> binormals;
    // cos and sin of each side's angle around the ring.
    float ringCos[kSides];
    float ringSin[kSides];
};

} // namespace ZQ
