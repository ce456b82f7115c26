#include "platform/ZQDialogPresenter.h"

#include "engine/Assert.h"
#include "engine/Log.h"
#include "platform/ZQStopSignals.h"

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

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The byte at which the character after the first `columns` of `line`
// starts, or the line's length when it has no more characters than that.
std::size_t byteAfterColumns(const std::string& line, std::size_t columns) {
    std::size_t byte = 0;
    for (std::size_t column = 0; byte < line.size(); ++column) {
        if (column == columns) {
            return byte;
        }
        do {
            ++byte;
        } while (byte < line.size() && continuesCharacter(line[byte]));
    }
    return line.size();
}

void wrapLine(std::string line, std::size_t columns, std::string& out) {
    for (std::size_t limit = byteAfterColumns(line, columns); limit < line.size();
         limit = byteAfterColumns(line, columns)) {
        // A space up to the column (or just after it) ends the line and is
        // dropped; otherwise a '/' stays at the end of the line it ends.
        const std::size_t space = line.rfind(' ', limit);
        const std::size_t slash = line.rfind('/', limit - 1);
        std::size_t end = limit;
        std::size_t next = limit;
        if (space != std::string::npos && space > 0) {
            end = line.find_last_not_of(' ', space) + 1;
            next = line.find_first_not_of(' ', space);
        } else if (slash != std::string::npos) {
            end = next = slash + 1;
        }
        out += line.substr(0, end) + "\n";
        line.erase(0, next == std::string::npos ? line.size() : next);
    }
    out += line;
}

} // namespace

std::string ZQMessageBoxPresenter::wrapped(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        wrapLine(text.substr(start, end - start), kColumns, out);
        out += '\n';
        start = end + 1;
    }
    wrapLine(text.substr(start), kColumns, out);
    return out;
}

std::size_t ZQDialogPresenter::ask(const ZQDialog& dialog, const std::vector<std::string>& answers) {
    ZQ_ASSERT(!answers.empty());
    present(dialog, [] {});
    return answers.size() - 1;
}

void ZQMessageBoxPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    ask(dialog, {"OK"});
    dismissed();
}

std::size_t ZQMessageBoxPresenter::ask(const ZQDialog& dialog, const std::vector<std::string>& answers) {
    ZQ_ASSERT(!answers.empty());
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const Uint32 keys = (i == 0 ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0) |
                            (i + 1 == answers.size() ? SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT : 0);
        buttons.push_back({keys, static_cast<int>(i), answers[i].c_str()});
    }
    const std::string message = wrapped(dialog.message);
    const SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                                 nullptr,
                                 dialog.title.c_str(),
                                 message.c_str(),
                                 static_cast<int>(buttons.size()),
                                 buttons.data(),
                                 nullptr};
    // Modal: returns when the player closes the box; -1 when its frame
    // or a signal closed it.
    const ZQBoxSignals signals(dialog.title);
    int chosen = -1;
    if (signals.closable([&] { return SDL_ShowMessageBox(&box, &chosen); }) != 0 &&
        ZQBoxSignals::received() == 0) {
        ZQ::platformLog("Could not show a dialog (%s); its text follows", SDL_GetError());
        logDialog(dialog);
    }
    return chosen >= 0 && static_cast<std::size_t>(chosen) < answers.size() ? static_cast<std::size_t>(chosen)
                                                                            : answers.size() - 1;
}

void ZQLogPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    logDialog(dialog);
    dismissed();
}
