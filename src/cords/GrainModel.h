#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"

#include <list>
#include <vector>

namespace ZQ {

class GrainEmitter;

// The running bursts of points. The points screen appends an emitter with
// its burst bound as root action; every frame the model steps each emitter
// and deletes those whose burst has ended. The award screen waits on
// isReady. Main thread only.
class GrainModel : public Model, public CloudletContainer {
public:
    GrainModel() = default;
    // Deletes the emitters still running.
    ~GrainModel() override;
    GrainModel(const GrainModel&) = delete;
    GrainModel& operator=(const GrainModel&) = delete;

    void setUp() override {}
    // Deletes every emitter (releasing its curve and mesh).
    void tearDown() override;
    // Steps every emitter; one without a root action, or whose root action
    // has finished, is deleted after its step.
    void doStep() override;
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Takes ownership.
    void addEmitter(GrainEmitter* emitter);
    const std::list<GrainEmitter*>& getEmitters() const { return emitters; }

private:
    void deleteAll();

    std::list<GrainEmitter*> emitters; // owned
};

} // namespace ZQ
