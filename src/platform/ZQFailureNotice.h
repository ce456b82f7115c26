#pragma once

#include "engine/Refusal.h"

#include <vector>

class ZQDialogPresenter;

// The one way a start the game cannot make is said (a broken bundle, another
// game on the data folder, a store it may not use, no OpenGL ES 2.0 context):
// each refusal goes to standard error as "velmora: <its line>", and in a
// window session that reaches its display into a message box too, since a
// game started from the desktop has no terminal and would seem to do nothing.
//
// Ownership: uses the presenter, owns nothing. Threads: main thread only.
class ZQFailureNotice {
public:
    static constexpr const char* kTitle = "Velmora cannot start";

    ZQFailureNotice(bool window, ZQDialogPresenter& presenter) : window(window), presenter(presenter) {}

    // Says `refusals` and, once the player has closed their box (when there
    // is one), returns the exit status of a start refused. SIGINT or SIGTERM
    // while the box is up closes it, and the game ends by that signal.
    int refuse(const std::vector<ZQ::Refusal>& refusals) const;

private:
    bool window; // started for a window, not --headless
    ZQDialogPresenter& presenter;
};
