#pragma once

#include "engine/Controller.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// The level map: a carousel of knot holograms, one per level reached, with
// the player's total points above it and the name, number, grade and best
// time of the level in front. Taps at the ring's sides, double taps and
// swipes step through the levels; a tap on the front hologram chooses it,
// and the level cursor then names it. With only the first level reached the
// map ends in its first frame.
//
// The master controller applies the saved state before setUp and, once
// isDone, saves the choice with SavedState::captureChoice (no level was
// played, so no level's grade or time changes) and starts the level.
//
// Ownership: owns nothing; the holograms, discs and captions belong to their
// models. Threads: main thread only.
class MapController : public Controller {
public:
    enum State : int32_t {
        Start = 0,
        Choosing = 1,
        Closing = 2,
        Done = 3,
    };

    // Pending steps a double tap asks for.
    static constexpr int32_t kDoubleTapSteps = 10;

    // Listens to every model of the model list.
    void setUp() override;
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == Done; }

    void tap(PVRTVec2 position, float radius) override;
    void doubleTap(PVRTVec2 position) override;
    // Direction 1 (to the right) steps left, 2 (to the left) steps right.
    void swipe(PVRTVec2 position, int direction) override;

    // Where a touch at `pixel` (bottom-left origin) meets the screen plane
    // z = 0, as fractions of the screen's width and height.
    static PVRTVec2 planeFraction(PVRTVec2 pixel);

    State getState() const { return state; }

private:
    enum class Zone { None, Left, Right, Centre };
    static Zone zoneOf(PVRTVec2 pixel);

    void build();
    void showTotals();
    void showCarousel();
    void showLevelLines();
    void stepLeft();
    void stepRight();
    void choose();

    State state = Start;
};

} // namespace ZQ
