#pragma once

#include "engine/Controller.h"

#include <cstdint>

namespace ZQ {

class Action;

// The outro after the last level: a plain background fades in over the room,
// the epilogue caption shows in the lower right corner, nine closing lines
// swing in as flowing letters and are flung off again, and the game becomes
// one step harder. It cannot be skipped; it is over when its captions have
// gone, 540 frames when nothing else shows one. The master controller then
// wraps the level cursor round to the first level.
//
// Ownership: the captions and flows it makes belong to the caption and flow
// models. Threads: main thread only.
class OutroController : public Controller {
public:
    enum State : int32_t {
        kStart = 0,   // nothing built yet
        kShowing = 1, // waiting for the captions to go
        kDone = 2,
    };

    static constexpr int32_t kLineCount = 9;

    void setUp() override;
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == kDone; }

    int32_t state = kStart;

    // How far a line leaves above (+0.1) or below (-0.1) its own height, as a
    // fraction of the screen height, for one draw of the random source: up
    // or down by the sign of 2 draw / (2^32 - 1) - 1, level when that is 0.
    static float exitOffset(uint32_t draw);
    // The actions of letter 0 (`first`) or of the last letter of outro line
    // `line` (0..8), which leaves at height exitY (pixels).
    static Action* letterSequence(int32_t line, bool first, float exitY);

private:
    void build();
    void showBackground();
    void showEpilogue();
    void showLines();
};

} // namespace ZQ
