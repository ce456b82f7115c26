#pragma once

#include "cords/CordModel.h"
#include "cords/TubeMeshJob.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ {

struct MeshBuffer;

// One vertex of a cord tube, as the cord programs read it (36 bytes).
struct CordVertex {
    float position[3];
    float normal[3];
    float tex[2];   // normal-map u around the ring, v along the string
    float material; // 0 on the tube, 1 on the end domes
};
static_assert(sizeof(CordVertex) == 36);

// One job that turns one string of the cord into a tapered tube with a dome at
// each end. Jobs of one cord share a MeshBuffer, each writing only the vertex
// run, index run and range entry fixed when it was made, so different jobs may
// run on different threads at once. One job must never run on two threads at
// once: its cursors, frame counter and scratch arrays are its own.
class CordMeshWorker : public TubeMeshJob {
public:
    static constexpr int32_t kCapRings = 6;           // rings per end dome
    static constexpr float kEndTaper = 0.4f;          // radius factor at the thinnest ring
    static constexpr int32_t kTaperSamples = 8;       // samples thinned at each end
    static constexpr int32_t kSamplesPerInterval = 3; // spline samples between two particles
    static constexpr float kCordCapSweep = 3.1415927f;
    static constexpr float kHoloCapSweep = 6.2831855f;

    // The job for `segment` whose runs start at firstVertex and firstIndex of
    // `mesh`. The segment and the mesh must outlive the job.
    CordMeshWorker(const CordModel::Segment& segment, MeshBuffer& mesh, int32_t firstVertex,
                   int32_t firstIndex, float uScale, float capSweep);

    // One job per segment in order, with runs following one another; sizes the
    // mesh's arrays for all of them and gives it one range per segment. The
    // caller owns the jobs.
    static std::vector<CordMeshWorker*> makeJobs(const std::vector<CordModel::Segment>& segments,
                                                 MeshBuffer& mesh, float uScale, float capSweep);

    static int32_t vertexCountFor(const CordModel::Segment& segment);
    static int32_t indexCountFor(const CordModel::Segment& segment);

    // Meshes the string from the cord model of the engine globals (its pixel
    // positions and its instance's tube radius).
    void process();
    // Meshes the string from `positions` (particle count `count`, pixels) with
    // tube radius `radius`.
    void process(const PVRTVec3* positions, int32_t count, float radius);

    const CordModel::Segment& getSegment() const { return *segment; }

private:
    // Where a bend is tighter than the tube's radius, the full rings on its
    // inner side would cross their neighbours and fold the tube inside out.
    // The planes halfway to the neighbouring rings bound how far a vertex of
    // a ring may reach from its sample: (x . ahead) <= aheadLimit and
    // -(x . behind) <= behindLimit for its offset x; a limit of 0 bounds nothing.
    struct RingBounds {
        PVRTVec3 ahead;
        float aheadLimit = 0.0f;
        PVRTVec3 behind;
        float behindLimit = 0.0f;

        // The radius along `normal` that keeps the vertex within both
        // planes: `radius` itself when it already lies within them.
        float reach(const PVRTVec3& normal, float radius) const;
    };

    RingBounds ringBounds(int32_t s) const;
    void GenerateVertices(const PVRTVec3* positions, int32_t count, float radius);
    void buildFrames();
    void addRings(float radius);
    void addCap(const PVRTVec3& centre, float radius);

    const CordModel::Segment* segment;
    MeshBuffer* mesh;
    float uScale;
    float capSweep;
};

} // namespace ZQ
