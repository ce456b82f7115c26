#include "platform/ZQFailureNotice.h"

#include "platform/ZQDialogPresenter.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>

namespace {

// Whether a message box could be seen: SDL's video opens on a real display
// driver, not on one of those it falls back to without a display, which
// show nothing. SDL answers as the window would, so no variable is read
// here and nothing guessed from one.
bool displayReachable() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool real =
        driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return real;
}

} // namespace

std::string ZQFailureNotice::boxText(const std::string& why) {
    // A clause a paragraph, each begun as a sentence: a wrapped path must
    // not hide where the mend begins.
    std::string text;
    std::size_t start = 0;
    for (std::size_t end = 0; end != std::string::npos; start = end + 2) {
        end = why.find("; ", start);
        std::string clause = why.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!clause.empty() && clause[0] >= 'a' && clause[0] <= 'z') {
            clause[0] = static_cast<char>(clause[0] - 'a' + 'A');
        }
        text += (text.empty() ? "" : "\n\n") + clause;
    }
    return text;
}

int ZQFailureNotice::refuse(const std::string& why) const {
    std::fprintf(stderr, "velmora: %s\n", why.c_str());
    std::fflush(stderr);
    if (window && displayReachable()) {
        presenter.present({kTitle, boxText(why)}, [] {});
    }
    return 1;
}
