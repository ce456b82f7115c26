#pragma once

#include "engine/EventListener.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

// One guided step of the tutorial: it shows a few message lines as flowing
// letters, may start displays or a gesture hint, says which gestures the
// player may use, and watches the cord, grasp and timer models for its goal.
// The tutorial controller calls update once a frame on the running step,
// which walks it through new, armed, running, goal reached, leaving and done,
// at most one status a call.
//
// The subclasses (TutorialSteps.h) override the gesture permissions, what
// they show on entry and their goal events. A goal counts only while the
// step is running; statuses only move forward.
//
// Ownership: the tutorial controller owns its steps; the flows a step shows
// belong to the flow model, which the step addresses by the ids in groups.
// Threads: main thread only.
class TutorialNode : public EventListener {
public:
    enum Status : int32_t {
        kNew = 0,
        kArmed = 1,
        kRunning = 2,
        kGoalReached = 3,
        kLeaving = 4,
        kDone = 5,
    };

    TutorialNode() = default;
    ~TutorialNode() override = default;
    TutorialNode(const TutorialNode&) = delete;
    TutorialNode& operator=(const TutorialNode&) = delete;

    // The step's class name ("TNSlide"), which names its captions.
    virtual std::string name() const = 0;
    // One row of the status machine.
    virtual void update();
    // New again: status 0, no lines; the flags stay.
    virtual void reset();

    virtual bool canDrag() const { return true; }
    virtual bool canSlide() const { return true; }
    virtual bool canRotate() const { return true; }

    virtual void arm() { status = kArmed; }
    // Shows the message lines of rows (unless silent).
    virtual void enter();
    // Without keep, the goal is reached once every flowing letter is idle:
    // the lines have run out their hold.
    virtual void poll();
    // Flings the lines off (unless silent) and fades the balloons.
    virtual void leave();
    // Done once the lines have gone.
    virtual void finish();
    // "tutorial_" + name: line i (from 1) is the caption captionKey_i.
    virtual std::string captionKey() const;

    int32_t status = kNew;
    std::vector<int> groups; // flow ids of the lines on screen
    std::vector<float> rows; // per line, its height as a fraction of the screen height
    bool keep = false;       // lines stay until the step leaves; no goal from idle letters
    bool silent = false;     // shows and hides no lines

protected:
    // The goal from an event: only a running step takes it.
    void reachGoal();
};

} // namespace ZQ
