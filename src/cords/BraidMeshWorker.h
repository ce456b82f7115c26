#pragma once

#include "cords/CordModel.h"
#include "cords/TubeMeshJob.h"
#include "engine/MeshArrays.h"
#include "engine/PVRTVector.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

// One vertex of a braid, as the braid pass reads it (44 bytes).
struct BraidVertex {
    float position[3];
    float normal[3];
    float unused[4]; // not read by the braid pass; left zero
    float material;  // the braid's segment index
};
static_assert(sizeof(BraidVertex) == 44);

// The shared vertex and index store of every braid of the moment. The braid
// model allocates it once per batch of braids and rewrites and re-uploads it
// every frame while they fly; each braid's job writes its own runs. GL calls
// on the main thread only.
struct BraidMeshBuffer : MeshArrays<BraidVertex> {
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    int32_t vertexCount = 0;
    int32_t indexCount = 0;

    BraidMeshBuffer() : MeshArrays(GL_DYNAMIC_DRAW) {}

    // Frees any earlier arrays, then sizes both (zero-filled) and gives every
    // braid a zero range.
    void allocate(int32_t vertices, int32_t indices, size_t rangeCount);
    // Frees both arrays and zeroes the counts and sizes; GL names stay.
    void release();

    // GL side, main thread with a current context.
    void generateNames() { generateMeshBuffers(vertexBuffer, indexBuffer); }
    // Loads the whole of both arrays into the GL buffers with `usage`.
    void upload() const { uploadArrays(vertexBuffer, indexBuffer); }
    void deleteNames() { deleteMeshBuffers(vertexBuffer, indexBuffer); }
};

// Turns one braid (three particles of the braid world) into a short tube
// that thins toward its tail, closed by a sphere cap at each end, into its
// own runs of the braid model's shared buffer. Main thread.
class BraidMeshWorker : public TubeMeshJob {
public:
    static constexpr int32_t kCapRings = 10;          // rings per end cap
    static constexpr int32_t kSamplesPerInterval = 6; // spline samples between two particles

    // The job for `segment` whose runs start at firstVertex and firstIndex of
    // `mesh`, which must outlive the job.
    BraidMeshWorker(const CordModel::Segment& segment, BraidMeshBuffer& mesh, int32_t firstVertex,
                    int32_t firstIndex);

    static int32_t ringCountFor(const CordModel::Segment& segment);
    static int32_t vertexCountFor(const CordModel::Segment& segment);
    static int32_t indexCountFor(const CordModel::Segment& segment);

    // Meshes the braid from `positions` (count of them, the braid model's
    // mirrored particles) with full tube radius `radius`.
    void process(const PVRTVec3* positions, int32_t count, float radius);

    const CordModel::Segment& getSegment() const { return segment; }

private:
    void GenerateVertices(const PVRTVec3* positions, int32_t count, float radius);
    void buildFrames();
    void addSphere(const PVRTVec3& centre, float radius);
    void addRings(float radius);
    void putVertex(const PVRTVec3& position, const PVRTVec3& normal);

    CordModel::Segment segment; // a braid's particles never change
    BraidMeshBuffer* mesh;
};

} // namespace ZQ
