#pragma once

#include <cstdint>

namespace ZQ {

class Cloudlet;

// A node of a behaviour tree. Every animation, timed wait, tutorial step and
// creature behaviour is a tree of these, bound to one scene item that owns
// the root and ticks it once per frame, so every duration is a frame count.
//
// Subclasses supply start (once per life) and run (every frame while
// running); tick is the only entry point owners and parents call. A finished
// action answers every later tick with its final state and does no work until
// it is reset.
class Action {
public:
    enum State : int32_t {
        NotStarted = 0,
        Running = 1,
        Success = 2,
        Failure = 3,
    };

    Action() = default;
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;
    virtual ~Action() = default;

    // Starts the action when it has not started, then runs it in the same
    // tick when start left it running.
    State tick();

    virtual State start() { return Running; }
    virtual State run() { return Success; }
    // Back to not started; composites and decorators reset their subtree.
    virtual void reset() { state = NotStarted; }
    // Binds the scene item the tree acts on; composites and decorators pass
    // it to their subtree. The item is not owned.
    virtual void setCloudlet(Cloudlet* cloudlet) { target = cloudlet; }

    State getState() const { return state; }
    bool isFinished() const { return state == Success || state == Failure; }
    Cloudlet* getCloudlet() const { return target; }

protected:
    Cloudlet* target = nullptr;
    State state = NotStarted;
};

} // namespace ZQ
