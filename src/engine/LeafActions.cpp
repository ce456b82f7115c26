#include "engine/LeafActions.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Random.h"

#include <utility>

namespace ZQ {

TauAction::TauAction(State fixed) : value(fixed) {
    ZQ_ASSERT(value != NotStarted);
}

Action::State WaitAction::start() {
    counter = 0;
    return Running;
}

Action::State WaitAction::run() {
    const int32_t old = counter;
    ++counter;
    return old < frames ? Running : Success;
}

RandomWaitAction::RandomWaitAction(int32_t minFrames, int32_t maxFrames)
    : WaitAction(minFrames), min(minFrames), max(maxFrames) {}

Action::State RandomWaitAction::start() {
    // The span is max - min + 2, so the draw covers min .. max + 1. A span
    // of 0 would divide by zero and a negative one would wrap to a wait of
    // years: both wait min frames.
    const int64_t span = static_cast<int64_t>(max) - min + 2;
    if (span > 0) {
        const uint32_t draw = arc4random() % static_cast<uint32_t>(span);
        frames = static_cast<int32_t>(static_cast<uint32_t>(min) + draw);
    } else {
        frames = min;
    }
    counter = 0;
    return Running;
}

LambdaAction::LambdaAction(Function fn) : function(std::move(fn)) {
    ZQ_ASSERT(function != nullptr);
}

Action::State LambdaAction::run() {
    function(target);
    return Success;
}

LambdaCondition::LambdaCondition(Function fn) : function(std::move(fn)) {
    ZQ_ASSERT(function != nullptr);
}

Action::State LambdaCondition::run() {
    return function(target);
}

DynamicLayoutAction::DynamicLayoutAction(Function fn) : function(std::move(fn)) {
    ZQ_ASSERT(function != nullptr);
}

Action::State DynamicLayoutAction::run() {
    ZQ_ASSERT(target != nullptr);
    target->layout = function();
    return Running;
}

} // namespace ZQ
