#pragma once

#include <string>

class ZQDialogPresenter;

// The one way a start the game cannot make is said: a broken bundle, an
// input file it cannot read, another game on the data folder, a folder or a
// store the game may not use, no OpenGL ES 2.0 context. The line goes to
// standard error as "velmora: <why>", as ever; and in a window session that
// reaches its display it is also shown in a message box, since a game
// started from the desktop has no terminal and would otherwise seem to do
// nothing. Each clause after "; " starts a paragraph of the box, so the
// command that mends stands on its own.
//
// Ownership: uses the presenter, owns nothing. Threads: main thread only.
class ZQFailureNotice {
public:
    static constexpr const char* kTitle = "Velmora cannot start";

    // `window`: the game was started for a window (not --headless).
    ZQFailureNotice(bool window, ZQDialogPresenter& presenter) : window(window), presenter(presenter) {}

    // Says `why`, shows it when there is a display to show it on and the
    // player has closed it, and returns the exit status of a start refused.
    int refuse(const std::string& why) const;

    // The box's text for `why`: its clauses a paragraph each, each begun
    // with a capital.
    static std::string boxText(const std::string& why);

private:
    bool window;
    ZQDialogPresenter& presenter;
};
