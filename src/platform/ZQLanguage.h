#pragma once

#include <string>

// The language of the game's texts, chosen once at start-up from the user's
// locale: the first of LANGUAGE (a colon-separated list of preferences),
// LC_ALL, LC_MESSAGES and LANG whose language is one the game has texts in
// (en, it, ja, fr, de), else "en". A variable that is unset, empty, "C" or
// "POSIX", or names another language, is passed over, as is a LANGUAGE entry.
namespace ZQLanguage {

// Looks an environment variable up; null when it is unset.
using Lookup = const char* (*)(const char* name);

std::string selectLanguage(Lookup lookup);

// selectLanguage over the process environment.
std::string selectLanguage();

} // namespace ZQLanguage
