#pragma once

#include "engine/Model.h"

#include <cstdint>

namespace ZQ {

class CaptionInstance;

// The level clock of the timed mode: counts down the frames left for the
// level, shows the whole seconds left beside the hourglass in the top-left
// corner, ticks and pulses through the last seven seconds and tells its
// listeners when time is up. It also counts idle frames, in either mode, to
// tell them once when the player has done nothing for five seconds. It is
// the first model of the list, so it counts before anything else moves.
//
// Ownership: the number caption and the hourglass belong to the caption
// model; the timer only points at the number. Threads: main thread only;
// listeners run inside doStep.
class TimerModel : public Model {
public:
    static constexpr int32_t kFramesPerSecond = 30;
    // The last seconds tick and pulse: 180, 150, ..., 0 frames left.
    static constexpr int32_t kPulseBelow = 209;
    static constexpr int32_t kIdleFrames = 150;

    // Clears the count and both flags; the paused flag stays as it is.
    void setUp() override;
    // Nothing: the controllers remove themselves as listeners.
    void tearDown() override {}
    void doStep() override;

    // Starts the clock at the current level's limit less one second and shows
    // it; nothing while it runs.
    void show();
    // Fades the hourglass, drops the number at once and stops both counts.
    // Safe in either mode: with no number shown (the calm mode never shows
    // one) there is nothing to drop.
    void hide();

    int32_t remaining = 0;   // frames left
    int32_t elapsed = 0;     // frames played
    int32_t idleCounter = 0; // frames counted while idleCounting
    bool running = false;
    bool idleCounting = false;
    CaptionInstance* timerCaption = nullptr; // the number on screen, or null

private:
    // The tick, the old number's pulse and the new number fading in.
    void pulse();
};

} // namespace ZQ
