#include "platform/ZQDialogPresenter.h"

#include "engine/Log.h"

#include <SDL2/SDL.h>

#include <sstream>

namespace {

void logDialog(const ZQDialog& dialog) {
    ZQ::logMessage(ZQ::LogLevel::Info, "%s", dialog.title.c_str());
    std::istringstream lines(dialog.message);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            continue; // the log has no use for a blank separator
        }
        ZQ::logMessage(ZQ::LogLevel::Info, "  %s", line.c_str());
    }
}

} // namespace

void ZQMessageBoxPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    // Modal: returns when the player closes the box.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, dialog.title.c_str(), dialog.message.c_str(),
                                 SDL_GetKeyboardFocus()) != 0) {
        ZQ::platformLog("Could not show a dialog (%s); its text follows", SDL_GetError());
        logDialog(dialog);
    }
    dismissed();
}

void ZQLogPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    logDialog(dialog);
    dismissed();
}
