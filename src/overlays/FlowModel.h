#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"

#include <cstdint>
#include <list>
#include <set>
#include <vector>

namespace ZQ {

struct CaptionEntry;
class FlowInstance;
class FlowStep;
namespace Fx {
class ParticleSystem;
}

// Captions whose letters hang on a chain of particles of the flow world (the
// second particle world): each letter rides one particle, the letters of a
// caption are linked one to the next and fall under gravity, and actions pin
// or pull single letters so that words swing in, dangle and are flung away.
//
// Builders create a flow with addFlow and hand the model batches of steps.
// The model applies one batch at a time, each once every letter on screen is
// idle, and removes a flow marked for removal once its own letters are idle.
// Particles, links and gravity are never removed one by one: the flow world
// is emptied when the last letter has gone, so at most 1024 letters can be
// laid between two emptyings.
//
// Ownership: owns the letters, the queued batches and their steps; the
// particles belong to the flow world. Threads: main thread only; emptying
// the flow world first waits for its worker.
class FlowModel : public Model, public CloudletContainer {
public:
    using Batch = std::vector<FlowStep*>;

    // A released word hangs as a chain of one world unit per letter, whatever
    // its letters' widths were.
    static constexpr float kLinkLength = 1.0f;

    FlowModel() = default;
    ~FlowModel() override;
    FlowModel(const FlowModel&) = delete;
    FlowModel& operator=(const FlowModel&) = delete;

    void setUp() override;
    void tearDown() override;
    void doStep() override;
    void collectCaptions(std::unordered_set<std::string>& names) override;
    // Every letter in creation order; nothing while paused.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Lays the caption's letters as a new flow, the first letter's particle
    // at (x, y, z) pixels and each next one its letter's width further right.
    // Writes the flow id (always used up) and the letter count. A caption
    // without letters, or one whose letters the flow world has no room left
    // for, lays nothing (count 0, a log line for the second).
    void addFlow(CaptionEntry* entry, int32_t* flowIdOut, int32_t* letterCountOut, float x, float y, float z);
    // Takes the batches (owned from here on) to the back of the queue, then
    // applies the front batch at once, whatever the letters are doing.
    void addSteps(const std::list<Batch*>& batches);
    // Drops everything queued and sends every flow on screen off the screen.
    void exitFlow();
    // The "extra time" caption hangs as a column at the right for about four
    // seconds and is flung away.
    void showExtraTime();

    // The letter of a flow, or null.
    FlowInstance* findLetter(int32_t flow, int32_t letter) const;
    // Number of letters of a flow on screen.
    int32_t letterCount(int32_t flow) const;

    std::list<FlowInstance*> letters; // owned, in creation order
    int32_t nextFlowId = 0;
    std::list<Batch*> queue; // owned, front first
    std::set<int32_t> flowsToRemove;

private:
    void applyFront();
    void removeIdleFlows();
    Fx::ParticleSystem& world() const;
};

// Deletes the steps and the batch.
void deleteBatch(FlowModel::Batch* batch);

} // namespace ZQ
