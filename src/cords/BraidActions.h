#pragma once

#include "engine/Action.h"
#include "engine/PVRTVector.h"

namespace ZQ {

// Pulls a braid's head (the first particle of its segment) toward a target
// in the braid world with a force of the remaining offset, once a frame,
// until it is within 2 units. Its target item is the BraidInstance.
class BraidMoveAction : public Action {
public:
    explicit BraidMoveAction(const PVRTVec3& target);

    State run() override;

    const PVRTVec3& getTarget() const { return target; }

protected:
    // The force added this frame for the head at `offset` from the target.
    virtual PVRTVec3 pull(const PVRTVec3& offset) const { return offset; }

    PVRTVec3 target;
};

// A menu braid's wander: at every start it picks a random target across the
// room's width and in the upper part of its height, then heads there at a
// third of the move's pull.
class BraidExploreAction : public BraidMoveAction {
public:
    BraidExploreAction() : BraidMoveAction(PVRTVec3()) {}

    State start() override;

protected:
    PVRTVec3 pull(const PVRTVec3& offset) const override { return offset * 0.33333334f; }
};

} // namespace ZQ
