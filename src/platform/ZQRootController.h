#pragma once

#include "platform/ZQDialogPresenter.h"

#include <functional>

class ZQView;

// The game window's root: the view the game draws into and the presenter of
// the dialogs shown over it. The gateways present through it, so a dialog
// stops the frames as a presented screen would: the view goes inactive
// before the dialog shows and active again once it is dismissed, which also
// turns a running level into the pause menu.
//
// The application makes one for its view and makes it current; without a
// current root (no window yet, or gone) nothing is presented.
//
// Ownership: refers to the view and the presenter, owns neither. Threads:
// main thread only.
class ZQRootController {
public:
    ZQRootController(ZQView& view, ZQDialogPresenter& presenter) : mainView(view), presenter(presenter) {}
    ZQRootController(const ZQRootController&) = delete;
    ZQRootController& operator=(const ZQRootController&) = delete;

    // The root of the window, or null.
    static ZQRootController* current();
    static void setCurrent(ZQRootController* root);

    ZQView& view() { return mainView; }
    bool isPresenting() const { return presenting; }

    // Stops the frames, shows `dialog`, and once it is dismissed starts them
    // again and then runs `dismissed` (may be empty). A second dialog asked
    // for while one shows is logged and dropped, its `dismissed` not run: the
    // player sees one dialog at a time.
    void presentPaused(const ZQDialog& dialog, std::function<void()> dismissed);

private:
    ZQView& mainView;
    ZQDialogPresenter& presenter;
    bool presenting = false;
};
