#pragma once

#include "cords/HeadCollection.h"
#include "engine/CloudletContainer.h"
#include "engine/MathHelpers.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <set>
#include <vector>

namespace ZQ {

class CordModel;
class HeadInstance;

// Which heads see each other: entry (i, j) for heads i and j of the heads
// list, symmetric. It is as large as the list it was last cleared for, so
// any number of heads fits; pairs outside it read as unseen.
class SightMatrix {
public:
    // n x n entries, all false.
    void clear(int32_t n);
    bool operator()(int32_t i, int32_t j) const;
    // Both (i, j) and (j, i); both must lie inside the matrix.
    void setPair(int32_t i, int32_t j, bool seen);
    int32_t size() const { return n; }

private:
    int32_t n = 0;
    std::vector<uint8_t> entries;
};

// The heads at both ends of every string. Each frame it notices which heads
// the player holds (the grasps' particles) or scares (holding their string
// far from them), fills the sight matrix, lets every head re-plan when it
// needs to and ticks its behaviour tree once.
//
// It steps after the cord model, so the heads see this frame's positions,
// and before the grid model, so the sight test walks the previous frame's
// grid. The forces its heads add act in the next frame's physics step.
//
// The heads list is filled by createHeads and emptied by the game flow with
// clearHeads; the model never drops a head by itself. Main thread only.
class HeadModel : public Model, public CloudletContainer, public HeadCollection {
public:
    static constexpr float kTwoPi = ZQ::kTwoPi;
    static constexpr float kHalfPi = ZQ::kHalfPi;

    HeadModel() = default;
    // Heads still listed go with the model.
    ~HeadModel() override;
    HeadModel(const HeadModel&) = delete;
    HeadModel& operator=(const HeadModel&) = delete;

    // Neither touches the heads, the listeners or the pause flag.
    void setUp() override {}
    void tearDown() override {}
    void doStep() override;
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Deletes every head (and so its tree) and empties the list: the level
    // ended, failed, was reloaded or was left.
    void clearHeads();

    // Whether the string still counts as tangled for its heads: its energy
    // lies at least 10% of its start excess above the solved threshold. A
    // string that started at or below the threshold never is.
    static bool isAgitated(const CordModel& cord, int32_t string);

    // The sight pass: clears the matrix to the heads list and fills the
    // pairs of heads that are not calm.
    void updateSight();
    // Whether head i sees head j, judged from head i: near enough, within its
    // field of view, and the first occupied grid cell along the line from it
    // holds head j.
    bool seen(int32_t i, int32_t j) const;

    std::vector<HeadInstance*> heads; // two per string: 2k first-particle head, 2k + 1 last-particle head
    SightMatrix sight;

private:
    // The union of every grasp's held particles, ascending.
    static std::set<int> heldParticles();
    // The grid walk from head i's cell along d (pixels) toward head j.
    bool walkSees(const HeadInstance& from, const HeadInstance& to, const PVRTVec3& d) const;
};

} // namespace ZQ
