#pragma once

#include <functional>
#include <string>

// A native dialog over the game: a title, lines of text and one button.
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
    virtual void present(const ZQDialog& dialog, std::function<void()> dismissed) = 0;
};

// The window's presenter: an SDL message box, modal over the window that has
// the keyboard (the game's, as the player just tapped it). A box that cannot
// be shown (no display left) is logged as the headless presenter would.
class ZQMessageBoxPresenter final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override;
};

// Headless: nobody can close a dialog, so its text goes to the log, a line
// at a time, and it is dismissed at once.
class ZQLogPresenter final : public ZQDialogPresenter {
public:
    void present(const ZQDialog& dialog, std::function<void()> dismissed) override;
};
