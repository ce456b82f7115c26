#pragma once

#include <string>
#include <string_view>

// The texts of shared posts and mails, in the game's five languages: each a
// format whose "%@" stands for the knot's name. Kept as a table here until
// they join the captions list.
namespace ZQShareTexts {

// The page a post links to, and the site a mail names.
inline constexpr const char* kStorePageAddress = "https://velmora.example.org/play";
inline constexpr const char* kWebSiteAddress = "https://velmora.example.org/";

// The text under `key` ("twitter.share.knot") for `language` (en, it, fr, de
// or ja; English for any other); empty when the key has none.
std::string_view format(std::string_view key, std::string_view language);

// `format` with every "%@" replaced by `knotName`, taken as plain text: the
// name's own characters are never read as a format.
std::string fill(std::string_view format, std::string_view knotName);

// The key of a post on `service` (0 Weibo, 1 Twitter, 2 Facebook) of
// `msgType` (0 knot, 1 award), and of a mail.
const char* postKey(int service, int msgType);
const char* mailKey(int msgType);

} // namespace ZQShareTexts
