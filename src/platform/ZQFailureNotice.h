#pragma once

#include "engine/Refusal.h"

#include <vector>

class ZQDialogPresenter;

// The one way a start the game cannot make is said: a broken bundle, an
// input file it cannot read, another game on the data folder, a folder or a
// store the game may not use, no OpenGL ES 2.0 context. Each refusal goes to
// standard error as "velmora: <its line>", as ever; and in a window session
// that reaches its display they are also shown in a message box, since a
// game started from the desktop has no terminal and would otherwise seem to
// do nothing. The box takes its layout from the refusals' parts, each mend's
// command on a line of its own.
//
// Ownership: uses the presenter, owns nothing. Threads: main thread only.
class ZQFailureNotice {
public:
    static constexpr const char* kTitle = "Velmora cannot start";

    // `window`: the game was started for a window (not --headless).
    ZQFailureNotice(bool window, ZQDialogPresenter& presenter) : window(window), presenter(presenter) {}

    // Says `refusals`, shows them when there is a display to show them on
    // and the player has closed the box, and returns the exit status of a
    // start refused.
    int refuse(const std::vector<ZQ::Refusal>& refusals) const;
    int refuse(const ZQ::Refusal& refusal) const { return refuse(std::vector<ZQ::Refusal>{refusal}); }

private:
    bool window;
    ZQDialogPresenter& presenter;
};
