#include "engine/Composite.h"

#include "engine/Assert.h"

namespace ZQ {

Action::State Selector::run() {
    if (children.empty()) {
        return Failure;
    }
    for (;;) {
        const State result = children[current]->tick();
        if (result == Failure) {
            ++current;
            if (current < static_cast<int32_t>(children.size())) {
                continue;
            }
            return Failure;
        }
        if (result == Running || result == Success) {
            return result;
        }
        // Every other answer is a result; NotStarted is a broken child.
        ZQ_ASSERT(result != NotStarted);
    }
}

} // namespace ZQ
