#pragma once

#include "engine/Model.h"

#include <cstdint>
#include <list>

namespace ZQ {

class Grasp;

// The active grasps. It steps before the particle worlds in the model list,
// so the forces its grasps add in a frame act in that frame's physics step.
//
// Owns every grasp in its list. Listeners (the game flow, the tutorial) hear
// of each new grasp through onGrasp before the list holds it.
class GraspModel : public Model {
public:
    GraspModel() = default;
    ~GraspModel() override;
    GraspModel(const GraspModel&) = delete;
    GraspModel& operator=(const GraspModel&) = delete;

    // Nothing to prepare; the pause flag keeps its value.
    void setUp() override {}
    // Leaves every listener and deletes every grasp.
    void tearDown() override;
    // Lowers each grasp's life, updates it and deletes it once life is below
    // 0. Runs while paused too: a grasp finishes its few frames.
    void doStep() override;

    // Takes a grasp a factory made: its id becomes the current count, the
    // listeners hear onGrasp, then the list takes it. Null is dropped without
    // a word.
    void admit(Grasp* grasp);
    // Deletes every grasp (a level reloaded after a failed attempt).
    void removeAllGrasps();

    int32_t count() const { return static_cast<int32_t>(grasps.size()); }

    std::list<Grasp*> grasps; // owned, in admission order
};

} // namespace ZQ
