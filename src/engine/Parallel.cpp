#include "engine/Composite.h"

namespace ZQ {

Action::State Parallel::run() {
    bool allSucceeded = true;
    for (Action* child : children) {
        const State result = child->tick();
        if (result == Failure) {
            // Later children are not ticked in this frame.
            return Failure;
        }
        if (result != Success) {
            allSucceeded = false;
        }
    }
    return allSucceeded ? Success : Running;
}

} // namespace ZQ
