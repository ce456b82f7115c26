#include "engine/Refusal.h"

#include <algorithm>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace ZQ {

namespace {

// A word begins a sentence; a file's name keeps its spelling.
std::string capitalised(std::string text) {
    const std::size_t wordEnd = std::min(text.find(' '), text.size());
    if (wordEnd > 0 && std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(wordEnd),
                                   [](char c) { return c >= 'a' && c <= 'z'; })) {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

std::string reason(const Refusal& refusal) {
    return refusal.what.empty() ? refusal.why : refusal.what + ": " + refusal.why;
}

// The game's user as chown names an owner: "alice:" (her group too), or the
// bare number for an account without a name.
std::string chownOwner() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr && entry->pw_name != nullptr ? std::string(entry->pw_name) + ":"
                                                         : std::to_string(::geteuid());
}

} // namespace

std::string line(const Refusal& refusal) {
    std::string text = reason(refusal);
    for (std::size_t i = 0; i < refusal.mends.size(); ++i) {
        const Mend& mend = refusal.mends[i];
        text += (i == 0 ? "; " : "; or ") + mend.advice + (mend.command.empty() ? "" : ": " + mend.command);
    }
    return text;
}

std::string paragraphs(const std::vector<Refusal>& refusals) {
    std::vector<std::string> shown;
    std::vector<Mend> mends;
    for (const Refusal& refusal : refusals) {
        shown.push_back(capitalised(reason(refusal)));
        for (const Mend& mend : refusal.mends) {
            if (std::find(mends.begin(), mends.end(), mend) == mends.end()) {
                mends.push_back(mend);
            }
        }
    }
    for (std::size_t i = 0; i < mends.size(); ++i) {
        shown.push_back(capitalised((i == 0 ? "" : "or ") + mends[i].advice) +
                        (mends[i].command.empty() ? "" : ":\n" + mends[i].command));
    }
    std::string text;
    for (const std::string& paragraph : shown) {
        text += (text.empty() ? "" : "\n\n") + paragraph;
    }
    return text;
}

Refusal cannot(const std::string& thing, const std::string& step, int error) {
    return {"", thing + " cannot be " + step + " (" + std::strerror(error) + ")", {}};
}

std::string ownedBy(const std::string& thing, uid_t owner) {
    return thing + " belongs to " + accountName(owner) + ", and the game runs as " + accountName(::geteuid());
}

std::string accountName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    const std::string number = "uid " + std::to_string(uid);
    return entry != nullptr && entry->pw_name != nullptr ? std::string(entry->pw_name) + " (" + number + ")"
                                                         : number;
}

std::string shellQuoted(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

Mend giveBack(const std::string& path, Entry entry) {
    const char* option = entry == Entry::folder ? "-R " : entry == Entry::link ? "-h " : "";
    return {"give it back to " + accountName(::geteuid()),
            "sudo chown " + std::string(option) + chownOwner() + " " + shellQuoted(path)};
}

Mend runAs(uid_t owner) {
    return {"run the game as " + accountName(owner), ""};
}

Mend undoLink(const std::string& link) {
    return {"remove the link that leads there, or point it elsewhere", "rm " + shellQuoted(link)};
}

} // namespace ZQ
