#pragma once

#include "engine/Controller.h"

#include <cstdint>

namespace ZQ {

class Action;

// The story screen: ten lines of text swing across the room as flowing
// letters, the prologue caption sits in the lower right corner, and a large
// slate turns into place behind the text. The screen is over when the
// prologue caption has gone and the slate has turned away again, about 540
// frames without a skip.
//
// The master controller opens it at the first start (no skip) and from the
// main menu's story tile, where it sets skipAllowed after setUp; a double tap
// then sends everything away early.
//
// Ownership: the caption, the slate and the flows it makes belong to the
// caption, cursor and flow models. Threads: main thread only.
class StoryController : public Controller {
public:
    enum State : int32_t {
        kStart = 0,   // nothing built yet
        kShowing = 1, // waiting for the captions to go
        kClosing = 2, // waiting for the slate to turn away
        kDone = 3,
    };

    static constexpr int32_t kLineCount = 10;

    void setUp() override;
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == kDone; }
    // The skip, when allowed and not already closing.
    void doubleTap(PVRTVec2 point) override;

    int32_t state = kStart;
    bool skipAllowed = false;

    // The actions of one driven letter of story line `line` (0..9): `lead`
    // picks the letter that pulls the line across, else the one that trails
    // it. A sequence of eleven flow actions in pixels of the current screen.
    static Action* letterSequence(int32_t line, bool lead);

private:
    void build();
    void showPrologue();
    void showStoryCursor();
    void showLines();
    void hideStoryCursor();
};

} // namespace ZQ
