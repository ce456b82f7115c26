#pragma once

#include "engine/Action.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

class Easing;
class FlowModel;

// A command to the flow model. Builders hand the model batches of steps; the
// model applies a batch, in order, once every letter on screen is idle.
class FlowStep {
public:
    FlowStep() = default;
    FlowStep(const FlowStep&) = delete;
    FlowStep& operator=(const FlowStep&) = delete;
    virtual ~FlowStep() = default;

    virtual void apply(FlowModel* model) = 0;
};

// Gives one letter of one flow a new root action.
//
// Ownership: owns the action until it is applied; deletes it with itself
// when it never was.
class FlowAnim : public FlowStep {
public:
    FlowAnim(int32_t flow, int32_t letter, Action* action);
    ~FlowAnim() override;

    void apply(FlowModel* model) override { doAnim(model); }
    // Makes the action the letter's root. A letter that does not exist (its
    // flow is gone, or the builder counted wrong) logs one line and the
    // action is dropped.
    void doAnim(FlowModel* model);

    int32_t flow;
    int32_t letter;
    Action* action;
};

// Marks a flow to disappear as soon as its letters are idle.
class FlowRemove : public FlowStep {
public:
    explicit FlowRemove(int32_t flow) : flow(flow) {}

    void apply(FlowModel* model) override;

    int32_t flow;
};

// Pins a letter on a straight line, in pixels, from where its particle is at
// start to `to`, over a number of frames. The last pinned point is short of
// `to` by one frame's step; then the letter is free again. The easing is
// carried for the builders, not read: the path is linear.
class FlowMoveAction : public Action {
public:
    FlowMoveAction(int32_t frames, const PVRTVec3& to, const Easing* easing);

    State start() override;
    State run() override;

    const Easing* getEasing() const { return easing; }

private:
    const Easing* easing;
    float t = 0.0f;
    float step = 0.0f;
    int32_t frames;
    PVRTVec3 from; // pixels
    PVRTVec3 to;   // pixels
};

// Holds a letter where its particle is at start for a number of frames.
class FlowStopAction : public Action {
public:
    explicit FlowStopAction(int32_t frames) : frames(frames) {}

    State start() override;
    State run() override;

private:
    PVRTVec3 hold; // world units
    int32_t frames;
    int32_t count = 0;
};

// Drags a letter towards `to` (pixels) with a sideways wiggle whose sign
// flips every `period` frames, pinning it over the last tenth of the way. It
// runs frames + 1 times.
class FlowSnakeAction : public Action {
public:
    FlowSnakeAction(int32_t frames, int32_t sign, const PVRTVec3& to, int32_t period, const Easing* easing);

    State start() override;
    State run() override;

    const Easing* getEasing() const { return easing; }

private:
    const Easing* easing;
    float t = 0.0f;
    float step = 0.0f;
    int32_t frames;
    int32_t sign;
    PVRTVec3 to;            // pixels
    PVRTVec3 from;          // pixels
    float amplitude = 0.0f; // world units
    int32_t period;
};

namespace FlowSupport {

// How a tip's flow leaves: to the left dragged by its first letter, to the
// right by its last, or down by its middle one, at height `y` for the first
// two. letterCount must be at least 1.
void randomTipExit(int32_t* pivotOut, PVRTVec2* targetOut, int32_t letterCount, float y);

} // namespace FlowSupport

} // namespace ZQ
