#include "platform/ZQLanguage.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace ZQLanguage {

namespace {

constexpr std::array<std::string_view, 5> kLanguages = {"en", "it", "ja", "fr", "de"};
constexpr std::array<const char*, 4> kVariables = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// The game's language for one locale name ("fr_CH.UTF-8", "de", "ja_JP@x"),
// or empty when it has none of them.
std::string_view languageOf(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_.@-");
    const std::string_view code = locale.substr(0, end);
    for (std::string_view language : kLanguages) {
        if (code == language) {
            return language;
        }
    }
    return {};
}

} // namespace

std::string selectLanguage(Lookup lookup) {
    for (const char* variable : kVariables) {
        const char* value = lookup(variable);
        if (value == nullptr) {
            continue;
        }
        // Only LANGUAGE holds a list, but a colon in the others does no harm.
        std::string_view rest = value;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view language = languageOf(rest.substr(0, colon));
            if (!language.empty()) {
                return std::string(language);
            }
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return "en";
}

std::string selectLanguage() {
    return selectLanguage([](const char* name) -> const char* { return std::getenv(name); });
}

} // namespace ZQLanguage
