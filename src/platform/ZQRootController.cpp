#include "platform/ZQRootController.h"

#include "engine/Log.h"
#include "platform/ZQView.h"

#include <utility>

namespace {

ZQRootController* gCurrent = nullptr;

} // namespace

ZQRootController* ZQRootController::current() {
    return gCurrent;
}

void ZQRootController::setCurrent(ZQRootController* root) {
    gCurrent = root;
}

void ZQRootController::presentPaused(const ZQDialog& dialog, std::function<void()> dismissed) {
    if (presenting) {
        ZQ::platformLog("A dialog is already shown; \"%s\" is not", dialog.title.c_str());
        return;
    }
    presenting = true;
    mainView.moveToInactive();
    presenter.present(dialog, [this, dismissed = std::move(dismissed)] {
        presenting = false;
        mainView.moveToActive();
        if (dismissed) {
            dismissed();
        }
    });
}
