#include "engine/Composite.h"

#include "engine/Assert.h"

namespace ZQ {

Action::State Loop::run() {
    ZQ_ASSERT(!children.empty());
    const uint32_t count = static_cast<uint32_t>(children.size());
    // Once more children have succeeded in this tick than the loop has,
    // every child has had a whole fresh life within the tick and none of
    // them waited: the next pass could do the same for ever, so the tick
    // ends here and the loop carries on with a fresh child next frame. A
    // pass that is instant only now and then (a random wait drawing 0)
    // costs one frame, not the program.
    uint32_t successes = 0;
    for (;;) {
        const State result = children[current]->tick();
        if (result == Success) {
            ++successes;
            state = Running;
            current = static_cast<int32_t>((static_cast<uint32_t>(current) + 1) % count);
            children[current]->reset();
            if (successes > count) {
                return Running;
            }
            continue;
        }
        if (result == Running || result == Failure) {
            return result;
        }
        // Every other answer is a result; NotStarted is a broken child.
        ZQ_ASSERT(result != NotStarted);
    }
}

} // namespace ZQ
