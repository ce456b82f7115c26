#include "engine/Refusal.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace ZQ {

namespace {

// A word begins a sentence; a file's name keeps its spelling.
std::string capitalised(std::string text) {
    const std::string word = text.substr(0, text.find(' '));
    if (!word.empty() && std::ranges::all_of(word, [](char c) { return c >= 'a' && c <= 'z'; })) {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

std::string reason(const Refusal& refusal) {
    return refusal.what.empty() ? refusal.why : refusal.what + ": " + refusal.why;
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

std::string paragraphs(const std::vector<Refusal>& refusals, std::size_t columns) {
    std::string text;
    std::vector<Mend> mends;
    for (const Refusal& refusal : refusals) {
        text += (text.empty() ? "" : "\n\n") + capitalised(reason(refusal));
        for (const Mend& mend : refusal.mends) {
            if (std::ranges::find(mends, mend) == mends.end()) {
                mends.push_back(mend);
            }
        }
    }
    for (std::size_t i = 0; i < mends.size(); ++i) {
        text += (text.empty() ? "" : "\n\n") + capitalised((i == 0 ? "" : "or ") + mends[i].advice) +
                (mends[i].command.empty() ? "" : ":\n" + commandLines(mends[i].command, columns));
    }
    return text;
}

Refusal cannot(const std::string& thing, const std::string& step, int error) {
    return {"", thing + " cannot be " + step + " (" + std::strerror(error) + ")", {}};
}

bool unmapped(uid_t owner) {
    // The map is read at each look, as a process may enter a namespace later.
    std::ifstream map("/proc/self/uid_map");
    unsigned long inside = 0, outside = 0, count = 0, more = 0;
    // An empty map (unshare -U) maps no one: every id is the overflow id.
    if (!map || (map >> inside >> outside >> count && inside == 0 && outside == 0 && count == 4294967295UL &&
                 !(map >> more))) {
        return false; // no /proc, or the first namespace: ids are as they are
    }
    unsigned long overflow = 65534;
    std::ifstream("/proc/sys/kernel/overflowuid") >> overflow;
    return owner == overflow;
}

std::string ownedBy(const std::string& thing, uid_t owner) {
    if (unmapped(owner)) {
        return thing + " belongs to an account outside this sandbox, which shows every such owner as uid " +
               std::to_string(owner);
    }
    return thing + " belongs to " + accountName(owner) + ", and the game runs as " + accountName(::geteuid());
}

std::string commandLines(const std::string& command, std::size_t columns) {
    // The shell's words, split at spaces outside quotes, where a backslash
    // quotes the character after it ('it'\''s); an option stays with the
    // word after it, its value.
    std::vector<std::string> words(1);
    bool quoted = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const std::string& word = words.back();
        if (command[i] == ' ' && !quoted && (!word.starts_with('-') || word.find(' ') != std::string::npos)) {
            words.emplace_back();
            continue;
        }
        quoted = command[i] == '\'' ? !quoted : quoted;
        words.back() += command[i];
        if (command[i] == '\\' && !quoted && i + 1 < command.size()) {
            words.back() += command[++i];
        }
    }
    const auto width = [](const std::string& text) {
        return static_cast<std::size_t>(
            std::ranges::count_if(text, [](char c) { return (c & 0xC0) != 0x80; }));
    };
    const std::string indent = "    ";
    std::string text;
    std::string line;
    for (std::string& word : words) {
        if (word.empty()) {
            continue;
        }
        if (!line.empty() && width(line) + 1 + width(word) + 2 > columns) {
            text += line + " \\\n";
            line = indent;
        }
        line += (line.empty() || line == indent ? "" : " ");
        // Cut after the last '/' that leaves room for the "'\" that ends
        // the piece; a word with no such '/' stays whole, however wide.
        for (std::size_t cut = 0; word.back() == '\'' && width(line) + width(word) + 2 > columns; cut = 0) {
            for (std::size_t at = word.find('/', word.find('\''));
                 at != std::string::npos && at + 1 < word.size() - 1; at = word.find('/', at + 1)) {
                cut = width(line) + width(word.substr(0, at + 1)) + 2 <= columns ? at + 1 : cut;
            }
            if (cut == 0) {
                break;
            }
            // The piece after it starts the line: a space would part the two.
            text += line + word.substr(0, cut) + "'\\\n";
            line.clear();
            word = "'" + word.substr(cut);
        }
        line += word;
    }
    return text + line;
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
    // chown's "alice:" gives her group too; an account without a name is
    // given by its number.
    const passwd* user = ::getpwuid(::geteuid());
    const std::string owner = user != nullptr && user->pw_name != nullptr ? std::string(user->pw_name) + ":"
                                                                          : std::to_string(::geteuid());
    return {"give it back to " + accountName(::geteuid()),
            "sudo chown " + std::string(option) + owner + " " + shellQuoted(path)};
}

Mend runAs(uid_t owner) {
    if (unmapped(owner)) {
        return {"start the game once outside the sandbox: there its owner is known, and the game names the "
                "one command that mends it",
                ""};
    }
    return {"run the game as " + accountName(owner), ""};
}

Mend undoLink(const std::string& link) {
    return {"remove the link that leads there, or point it elsewhere", "rm " + shellQuoted(link)};
}

Mend freeSpace() {
    return {"free some space or inodes on its disk", ""};
}

} // namespace ZQ
