#pragma once

#include "engine/Action.h"
#include "engine/Layout.h"

#include <functional>

namespace ZQ {

// A fixed result: Success or Failure in the first tick without running, or
// Running, which then succeeds through the default run in that same tick.
class TauAction : public Action {
public:
    // value must be Running, Success or Failure.
    explicit TauAction(State value);
    State start() override { return value; }

private:
    State value;
};

// Runs for ever: keeps a sequence (and the item's animation) alive.
class NopAction : public Action {
public:
    State run() override { return Running; }
};

// Waits a number of frames. Because the starting tick also runs, a wait of
// N frames reports running on its first N ticks and succeeds on tick N + 1;
// a wait of 0 succeeds at once.
class WaitAction : public Action {
public:
    explicit WaitAction(int32_t waitFrames) : frames(waitFrames) {}

    State start() override;
    State run() override;

protected:
    int32_t frames = 0;
    int32_t counter = 0;
};

// A wait of min to max + 1 frames, drawn from the process-wide random
// source at every start. A range too short to draw from (max below min - 1)
// waits min frames.
class RandomWaitAction : public WaitAction {
public:
    RandomWaitAction(int32_t minFrames, int32_t maxFrames);

    State start() override;

private:
    int32_t min = 0;
    int32_t max = 0;
};

// Calls a function with the bound item once and succeeds at once.
class LambdaAction : public Action {
public:
    using Function = std::function<void(Cloudlet*)>;
    // function must not be empty.
    explicit LambdaAction(Function fn);
    State run() override;

private:
    Function function;
};

// Answers, every frame, whatever its function answers for the bound item.
class LambdaCondition : public Action {
public:
    using Function = std::function<State(Cloudlet*)>;
    // function must not be empty.
    explicit LambdaCondition(Function fn);
    State run() override;

private:
    Function function;
};

// Copies a computed pose into the bound item every frame, for ever.
class DynamicLayoutAction : public Action {
public:
    using Function = std::function<Layout()>;
    // function must not be empty.
    explicit DynamicLayoutAction(Function fn);
    State run() override;

private:
    Function function;
};

} // namespace ZQ
