#pragma once

#include "constants/Material.h"
#include "cords/CordModel.h"
#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <list>
#include <vector>

namespace ZQ {

class BraidMeshWorker;
struct BraidMeshBuffer;

// One braid: a short string of particles of the braid world and the colours
// it is drawn in. Its layout alpha is the braid's opacity.
class BraidInstance : public Cloudlet {
public:
    BraidInstance(const CordModel::Segment& segment, const Material& material);

    CordModel::Segment segment; // braid-world particles; index = its place in the braid model
    Material material;
};

// The braids of the moment: a solved cord's strings flying off, or the menu's
// wandering braids. Braids move only through the forces their behaviour
// trees add to the braid world. While any braid is busy, the model steps
// their trees and meshes every braid into one shared buffer each frame; in
// the frame it finds them all finished it empties the braid world and frees
// everything.
//
// Units: the braid world runs at twice the world scale; the mirrored
// positions and the mesh are in pixels (braid-world units / (2 x world
// scale)). Main thread, GL included.
class BraidModel : public Model, public CloudletContainer {
public:
    static constexpr int32_t kMaxParticles = 1024;
    static constexpr int32_t kParticlesPerBraid = 3;

    BraidModel();
    // Deletes the braids, the workers and the buffer's arrays; GL names are
    // the business of tearDown.
    ~BraidModel() override;
    BraidModel(const BraidModel&) = delete;
    BraidModel& operator=(const BraidModel&) = delete;

    // Makes the buffer's GL names (a current context is needed).
    void setUp() override;
    // Deletes the braids and workers, frees the arrays and the GL names.
    void tearDown() override;
    void doStep() override;
    // The braids in the order they were added, which is the order of their
    // indices (the braid pass relies on it).
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Adds three particles to the braid world at `head`, head + (2, 0, 0) and
    // head + (4, 0, 0) (braid-world units), numbered after whatever the
    // world holds, linked at rest length 2, and a braid over them whose index
    // is the number of braids before it. The caller binds its tree, and calls
    // prepareWorkers once after the last braid of a batch.
    BraidInstance* addBraid(const PVRTVec3& head, const Material& material);
    // One mesh job per braid, runs following one another, and the shared
    // arrays sized for all of them. Replaces earlier jobs and arrays, so a
    // batch added while others still fly is meshed together with them.
    void prepareWorkers();

    const BraidMeshBuffer& getMesh() const { return *mesh; }
    const std::vector<BraidMeshWorker*>& getWorkers() const { return workers; }
    const std::list<BraidInstance*>& getBraids() const { return braids; }

    std::vector<CordModel::Segment> segments;
    PVRTVec3 positions[kMaxParticles]; // pixels
    int32_t count = 0;

private:
    void mirrorParticles();
    void emptyAll();
    void deleteBraidsAndWorkers();

    BraidMeshBuffer* mesh;                 // owned
    std::vector<BraidMeshWorker*> workers; // owned
    std::list<BraidInstance*> braids;      // owned
};

} // namespace ZQ
