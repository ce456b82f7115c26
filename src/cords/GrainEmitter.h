#pragma once

#include "engine/Cloudlet.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Action;
class GrainMesh;

// One burst of points: up to kMaxGrains small pieces that appear around the
// item's position, each coloured by the part of the score it stands for, and
// fly out to a sphere around a centre, fading and spinning. The per-grain
// arrays are what the grain pass uploads as uniform arrays; entries at and
// beyond getCount() are zero.
//
// Ownership: the emitter owns its material curve and its grain mesh. The mesh
// is built by the renderer, which also supplies how to free it (releaseMesh);
// release() frees both, and the destructor releases whatever is left.
class GrainEmitter : public Cloudlet {
public:
    static constexpr int32_t kMaxGrains = 128;

    using MeshRelease = void (*)(GrainEmitter& emitter);

    // A burst of `maxCount` grains, limited to [0, kMaxGrains] (the arrays
    // hold no more), of the given mesh shape.
    GrainEmitter(int32_t maxCount, int32_t shape);
    ~GrainEmitter() override;

    // The burst for this emitter, owned by the caller who binds it as the
    // root action: a Parallel of the emit action (maxCount grains over
    // emitFrames frames) and the update action (grains flying to a sphere
    // around the centre, each for a duration between durationA and durationB
    // frames).
    static Action* burstAction(uint32_t maxCount, int emitFrames, float centreX, float centreY, float centreZ,
                               float durationA, float durationB);

    // Grain number (counted from 1) to material index: points in ascending x
    // of cumulative grain counts and material indices. Replaces the curve.
    void setMaterialCurve(const std::vector<PVRTVec2>& points);
    const std::vector<PVRTVec2>* getMaterialCurve() const { return materialCurve; }
    // The curve's value at x, truncated: before the first point the first y,
    // after the last the last y; otherwise y of the point at exactly x, or of
    // the first point beyond x. 0 without a curve.
    int32_t materialAt(float x) const;

    // Appends one grain at `size` from the item's position, in a random
    // direction, with the material of its number. Stops the program when the
    // burst already holds maxCount grains.
    void addGrain(float size);

    // Frees the material curve and, through releaseMesh, the grain mesh.
    void release();

    int32_t getCount() const { return count; }
    int32_t getMaxCount() const { return maxCount; }
    int32_t getShape() const { return shape; }

    float orientations[kMaxGrains][4] = {};   // quaternion x, y, z, w
    float positionsAlpha[kMaxGrains][4] = {}; // position x, y, z and alpha
    float indexMaterials[kMaxGrains] = {};    // whole numbers
    GrainMesh* mesh = nullptr;                // owned; set by the mesh builder
    MeshRelease releaseMesh = nullptr;        // set with the mesh; frees it and clears `mesh`

private:
    std::vector<PVRTVec2>* materialCurve = nullptr; // owned
    int32_t count = 0;                              // grains emitted so far
    int32_t maxCount = 0;
    int32_t shape = 0;
};

} // namespace ZQ
