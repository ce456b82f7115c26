#include "platform/ZQFailureNotice.h"

#include "platform/ZQDialogPresenter.h"
#include "platform/ZQStandardError.h"
#include "platform/ZQStopSignals.h"

#include <SDL2/SDL.h>

#include <cstring>

int ZQFailureNotice::refuse(const std::vector<ZQ::Refusal>& refusals) const {
    for (const ZQ::Refusal& refusal : refusals) {
        ZQStandardError::say(refusal);
    }
    if (!window) {
        return 1;
    }
    // Before SDL's video starts, which then leaves these handlers in place
    // of its own: a signal while the box is up closes it, and then ends
    // the game by its default action.
    const ZQBoxSignals signals(kTitle);
    // SDL's video stays open while the box is up: an X server resets once
    // its last client leaves, and drops the connections made meanwhile,
    // the box's own among them.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        // The drivers SDL falls back to without a display show nothing; SDL,
        // not a guess from the environment, says as the window would.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) {
            presenter.present({kTitle, ZQ::paragraphs(refusals, ZQMessageBoxPresenter::kColumns)}, [] {});
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return 1;
}
