#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A native dialog over the game: a title, lines of text and its buttons.
struct ZQDialog {
    std::string title;
    std::string message; // lines separated by '\n'
};

// Shows dialogs to the player. present returns at once or once the dialog is
// closed; either way `dismissed` runs exactly once, after the player closed
// it (at once when it could not be shown), as a platform's completion
// handler would.
//
// Ownership: owns nothing. Threads: main thread only.
class ZQDialogPresenter {
public:
    virtual ~ZQDialogPresenter() = default;
    // One button, that closes it.
    virtual void present(const ZQDialog& dialog, std::function<void()> dismissed) = 0;
    // A question: `answers` (one or more) are its buttons, the first taken by
    // Return and the last by Escape. Returns the index of the one the player
    // chose, once the box is closed: modal, for the end of a session, when
    // no frame runs. Where nobody can answer, the dialog is presented and
    // the answer is the last, as for a player who turns away.
    virtual std::size_t ask(const ZQDialog& dialog, const std::vector<std::string>& answers);
};

// The window's presenter: an SDL message box, which returns once closed. A
// box that cannot be shown (no display left) is logged as the headless
// presenter would, and a question is then answered as nobody can answer
// it; so is one closed by its window's frame rather than a button, or by
// SIGINT or SIGTERM, which close it at once (ZQBoxSignals).
//
// SDL's X11 box draws each line at its full length and sets a box with a
// parent window at the parent's place counted twice: a long line or a game
// window away from the corner put the box past the screen's edge, where
// nobody could read or close it. So lines are wrapped here, and the box has
// no parent (the X server centres it on the screen).
class ZQMessageBoxPresenter final : public ZQDialogPresenter {
public:
    static constexpr std::size_t kColumns = 72;

    void present(const ZQDialog& dialog, std::function<void()> dismissed) override;
    std::size_t ask(const ZQDialog& dialog, const std::vector<std::string>& answers) override;

    // `text` with each line longer than kColumns characters broken into
    // lines of at most that many: after a space where there is one, else
    // after a '/' (a long path), else at the column, never inside a UTF-8
    // character. Line breaks of the text are kept.
    static std::string wrapped(const std::string& text);
};

// Headless: nobody can close a dialog, so its text goes to the log, a line
// at a time, and it is dismissed at once.
class ZQLogPresenter final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override;
};
