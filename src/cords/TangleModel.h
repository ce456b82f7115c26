#pragma once

#include "engine/Action.h"
#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <list>
#include <vector>

namespace ZQ {

class Cord;
class TangleMesh;

// One award tangle: the knot just solved as a metal tube that is revealed
// range by range. The tangle pass draws, for each range, indices first..last
// (both included) of the mesh in metal `materialIndex`, scaled by `scale`.
class TangleInstance : public Cloudlet {
public:
    struct Range {
        int32_t first = 0;
        int32_t last = 0;
    };

    // Takes ownership of the mesh (and through it of its cord).
    TangleInstance(TangleMesh* mesh, int32_t materialIndex, const PVRTVec3& scale);
    // Deletes the GL buffers, the mesh and its cord, then the root action.
    ~TangleInstance() override;

    // Builds and uploads the mesh once; the creator calls it after filling
    // the instance. GL, main thread.
    void setUp();
    // Deletes the mesh's GL buffers.
    void tearDown();

    std::vector<Range> ranges;
    TangleMesh* mesh = nullptr; // owned
    int32_t materialIndex = 0;
    PVRTVec3 scale;
};

// Opens a tangle's index ranges over a number of frames: the mesh is cut
// into n runs of whole ring pairs, each opened from its start (or from its
// far end when reversed) in steps of two ring pairs. Succeeds in the run
// after its progress has reached 1, with every run fully open.
class TangleSegmentsAction : public Action {
public:
    // The reveal has reverse.size() runs (at least one).
    TangleSegmentsAction(int32_t frames, const std::vector<bool>& reverse);

    State start() override;
    State run() override;

    struct Entry {
        int32_t from = 0;
        int32_t to = 0;
        bool reverse = false;
    };
    const std::vector<Entry>& getEntries() const { return entries; }
    int32_t getQuantum() const { return quantum; }

private:
    TangleInstance& tangle() const;

    float progress = 0.0f;
    float rate = 0.0f;
    int32_t frames = 0;
    int32_t n = 0;
    std::vector<Entry> entries;
    std::vector<bool> reverse;
    int32_t quantum = 0;
};

// The award tangles. The award screen adds one with showAwardTangle; each
// frame the model steps them and deletes those whose tree has finished (the
// award tree never does: tearDown removes it). Main thread, GL included.
class TangleModel : public Model, public CloudletContainer {
public:
    using Revealed = void (*)();

    TangleModel() = default;
    ~TangleModel() override;
    TangleModel(const TangleModel&) = delete;
    TangleModel& operator=(const TangleModel&) = delete;

    void setUp() override {}
    // Deletes every tangle.
    void tearDown() override;
    void doStep() override;
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Shows the knot of `levelCord` (the level just solved) as a tangle of
    // metal `materialIndex`, revealed in reverse.size() runs over 60 frames
    // while it turns once, then turning slowly for ever. `revealed` (the award
    // screen's share snapshot request) is called once when the reveal ends;
    // null for none.
    TangleInstance* showAwardTangle(const Cord& levelCord, int32_t materialIndex,
                                    const std::vector<bool>& reverse, Revealed revealed = nullptr);

    // Takes ownership.
    void addTangle(TangleInstance* tangle);
    const std::list<TangleInstance*>& getTangles() const { return tangles; }

private:
    void deleteAll();

    std::list<TangleInstance*> tangles; // owned
};

} // namespace ZQ
