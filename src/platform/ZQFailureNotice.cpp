#include "platform/ZQFailureNotice.h"

#include "platform/ZQDialogPresenter.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Whether SDL's video runs on a real display driver, not on one of those it
// falls back to without a display, which show nothing. SDL answers as the
// window would, so nothing is guessed from the environment.
bool onADisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

} // namespace

std::string ZQFailureNotice::boxText(const std::string& why) {
    // A clause a paragraph, each begun as a sentence: a wrapped path must
    // not hide where the mend begins. In a mend, the words a colon ends
    // introduce a command, which starts a line of its own, whole, ready to
    // be copied ("give it to alice:" / "sudo chown alice: '...'"); a colon
    // inside parentheses is part of a reason ("(libpng: Read Error)").
    std::string text;
    std::size_t start = 0;
    for (std::size_t end = 0; end != std::string::npos; start = end + 2) {
        end = why.find("; ", start);
        std::string clause = why.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // A word begins a sentence; a file's name keeps its spelling.
        const std::size_t wordEnd = std::min(clause.find(' '), clause.size());
        if (wordEnd > 0 && std::all_of(clause.begin(), clause.begin() + static_cast<std::ptrdiff_t>(wordEnd),
                                       [](char c) { return c >= 'a' && c <= 'z'; })) {
            clause[0] = static_cast<char>(clause[0] - 'a' + 'A');
        }
        int depth = 0;
        for (std::size_t i = 0; start > 0 && i + 1 < clause.size(); ++i) {
            depth += clause[i] == '(' ? 1 : clause[i] == ')' ? -1 : 0;
            if (depth == 0 && clause[i] == ':' && clause[i + 1] == ' ') {
                clause[i + 1] = '\n';
                break;
            }
        }
        text += (text.empty() ? "" : "\n\n") + clause;
    }
    return text;
}

int ZQFailureNotice::refuse(const std::string& why) const {
    std::fprintf(stderr, "velmora: %s\n", why.c_str());
    std::fflush(stderr);
    // SDL's video stays open while the box is up: an X server resets once
    // its last client leaves, and drops the connections made meanwhile,
    // the box's own among them.
    if (window && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        if (onADisplay()) {
            presenter.present({kTitle, boxText(why)}, [] {});
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return 1;
}
