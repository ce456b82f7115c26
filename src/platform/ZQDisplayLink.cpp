#include "platform/ZQDisplayLink.h"

#include "engine/Assert.h"

ZQDisplayLink::ZQDisplayLink(int frameInterval)
    : framePeriod(std::chrono::duration_cast<Clock::duration>(
          std::chrono::nanoseconds(std::chrono::seconds(1)) * frameInterval / kRefreshRate)) {
    ZQ_ASSERT(frameInterval > 0);
}

void ZQDisplayLink::start(Clock::time_point now) {
    if (running) {
        return;
    }
    running = true;
    nextTick = now;
}

void ZQDisplayLink::fired(Clock::time_point now) {
    nextTick += framePeriod;
    if (nextTick <= now) {
        // Skip the ticks that passed while the frame ran late.
        const auto missed = (now - nextTick) / framePeriod + 1;
        nextTick += framePeriod * missed;
    }
}
