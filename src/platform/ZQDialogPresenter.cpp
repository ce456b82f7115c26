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

void ZQMessageBoxPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    // Modal: returns when the player closes the box.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, dialog.title.c_str(),
                                 wrapped(dialog.message).c_str(), nullptr) != 0) {
        ZQ::platformLog("Could not show a dialog (%s); its text follows", SDL_GetError());
        logDialog(dialog);
    }
    dismissed();
}

void ZQLogPresenter::present(const ZQDialog& dialog, std::function<void()> dismissed) {
    logDialog(dialog);
    dismissed();
}
