#pragma once

#include <chrono>

// The frame clock: ticks every `frameInterval` refreshes of a 60 Hz display
// (2: 30 frames per second) on the steady clock. It only keeps the schedule;
// the loop that owns it sleeps or waits for events until due() and draws one
// frame per tick. A late frame moves the schedule to the next tick still
// ahead instead of drawing the missed ones in a burst, so there is never more
// than one frame per tick, and starting a running link changes nothing.
//
// Ownership: one per view. Threads: main thread only.
class ZQDisplayLink {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kRefreshRate = 60;

    explicit ZQDisplayLink(int frameInterval);

    Clock::duration period() const { return framePeriod; }
    bool isRunning() const { return running; }

    // Put on the run loop: the first frame is due at once. A link already
    // running keeps its schedule.
    void start(Clock::time_point now);
    void stop() { running = false; }

    // When the next frame is due (running links only).
    Clock::time_point due() const { return nextTick; }

    // A frame was drawn at `now`: the next tick is the first one on the
    // schedule after `now`.
    void fired(Clock::time_point now);

private:
    Clock::duration framePeriod;
    Clock::time_point nextTick;
    bool running = false;
};
