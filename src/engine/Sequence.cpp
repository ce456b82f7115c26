#include "engine/Composite.h"

#include "engine/Assert.h"

namespace ZQ {

Action::State Sequence::run() {
    if (children.empty()) {
        return Success;
    }
    for (;;) {
        const State result = children[current]->tick();
        if (result == Success) {
            state = Running;
            ++current;
            if (current < static_cast<int32_t>(children.size())) {
                continue;
            }
            return Success;
        }
        if (result == Running || result == Failure) {
            return result;
        }
        // Every other answer is a result; NotStarted is a broken child.
        ZQ_ASSERT(result != NotStarted);
    }
}

} // namespace ZQ
