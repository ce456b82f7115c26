#include "engine/Action.h"

#include "engine/Assert.h"

namespace ZQ {

Action::State Action::tick() {
    if (state == NotStarted) {
        state = start();
        // A start that answers "not started" would be started again and
        // again within this very tick: the frame would never end.
        ZQ_ASSERT(state != NotStarted);
    }
    if (state == Running) {
        state = run();
    }
    return state;
}

} // namespace ZQ
