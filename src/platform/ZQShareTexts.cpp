#include "platform/ZQShareTexts.h"

#include "engine/Assert.h"

#include <iterator>

namespace ZQShareTexts {

namespace {

struct ShareText {
    const char* key;
    const char* language;
    const char* text;
};

// clang-format off
constexpr ShareText kTexts[] = {
    {"twitter.share.knot",   "en", "Untangling %@ in Velmora. Can you part it faster?"},                  // 0
    {"twitter.share.award",  "en", "I untangled %@ in Velmora!"},                                        // 1
    {"facebook.share.knot",  "en", "I am untangling the knot %@ in Velmora. Care to try it?"},           // 2
    {"facebook.share.award", "en", "The knot %@ lies untangled. One more knot undone in Velmora."},      // 3
    {"weibo.share.knot",     "en", "Untangling %@ in Velmora."},                                         // 4
    {"weibo.share.award",    "en", "%@ untangled in Velmora!"},                                          // 5
    {"email.share.knot",     "en", "A knot for you: %@ in Velmora"},                                     // 6
    {"email.share.award",    "en", "I untangled %@ in Velmora"},                                         // 7
    {"twitter.share.knot",   "it", "Sto sciogliendo %@ in Velmora. Sai fare di meglio?"},                // 8
    {"twitter.share.award",  "it", "Ho sciolto %@ in Velmora!"},                                         // 9
    {"facebook.share.knot",  "it", "Sto sciogliendo il nodo %@ in Velmora. Vuoi provarci anche tu?"},    // 10
    {"facebook.share.award", "it", "Il nodo %@ è sciolto. Un altro nodo vinto in Velmora."},             // 11
    {"weibo.share.knot",     "it", "Sto sciogliendo %@ in Velmora."},                                    // 12
    {"weibo.share.award",    "it", "%@ sciolto in Velmora!"},                                            // 13
    {"email.share.knot",     "it", "Un nodo per te: %@ in Velmora"},                                     // 14
    {"email.share.award",    "it", "Ho sciolto %@ in Velmora"},                                          // 15
    {"twitter.share.knot",   "fr", "Je démêle %@ dans Velmora. Ferez-vous plus vite ?"},                 // 16
    {"twitter.share.award",  "fr", "J’ai démêlé %@ dans Velmora !"},                                     // 17
    {"facebook.share.knot",  "fr", "Je démêle le nœud %@ dans Velmora. Vous essayez ?"},                 // 18
    {"facebook.share.award", "fr", "Le nœud %@ est démêlé. Encore un nœud vaincu dans Velmora."},        // 19
    {"weibo.share.knot",     "fr", "Je démêle %@ dans Velmora."},                                        // 20
    {"weibo.share.award",    "fr", "%@ démêlé dans Velmora !"},                                          // 21
    {"email.share.knot",     "fr", "Un nœud pour vous : %@ dans Velmora"},                               // 22
    {"email.share.award",    "fr", "J’ai démêlé %@ dans Velmora"},                                       // 23
    {"twitter.share.knot",   "de", "Ich entwirre %@ in Velmora. Schaffst du es schneller?"},             // 24
    {"twitter.share.award",  "de", "Ich habe %@ in Velmora entwirrt!"},                                  // 25
    {"facebook.share.knot",  "de", "Ich entwirre gerade den Knoten %@ in Velmora. Lust es zu versuchen?"}, // 26
    {"facebook.share.award", "de", "Der Knoten %@ ist entwirrt. Wieder ein Knoten in Velmora gelöst."},  // 27
    {"weibo.share.knot",     "de", "Ich entwirre %@ in Velmora."},                                       // 28
    {"weibo.share.award",    "de", "%@ in Velmora entwirrt!"},                                           // 29
    {"email.share.knot",     "de", "Ein Knoten für dich: %@ in Velmora"},                                // 30
    {"email.share.award",    "de", "Ich habe %@ in Velmora entwirrt"},                                   // 31
    {"twitter.share.knot",   "ja", "Velmoraで%@をほどいています。もっと速くほどけますか？"},             // 32
    {"twitter.share.award",  "ja", "Velmoraで%@をほどきました！"},                                       // 33
    {"facebook.share.knot",  "ja", "Velmoraで結び目%@に挑戦中。あなたもいかが？"},                       // 34
    {"facebook.share.award", "ja", "結び目%@がほどけました。Velmoraでまたひとつ。"},                     // 35
    {"weibo.share.knot",     "ja", "Velmoraで%@をほどいています。"},                                     // 36
    {"weibo.share.award",    "ja", "Velmoraで%@をほどきました！"},                                       // 37
    {"email.share.knot",     "ja", "あなたへの結び目：Velmoraの%@"},                                     // 38
    {"email.share.award",    "ja", "Velmoraで%@をほどきました"},                                         // 39
};
// clang-format on
static_assert(std::size(kTexts) == 8 * 5);

// Keys by service (0 Weibo, 1 Twitter, 2 Facebook) and message type.
// clang-format off
constexpr const char* kPostKeys[3][2] = {
    {"weibo.share.knot",    "weibo.share.award"},    // 0
    {"twitter.share.knot",  "twitter.share.award"},  // 1
    {"facebook.share.knot", "facebook.share.award"}, // 2
};
// clang-format on
constexpr const char* kMailKeys[2] = {"email.share.knot", "email.share.award"};

bool isKnownLanguage(std::string_view language) {
    for (const ShareText& row : kTexts) {
        if (language == row.language) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string_view format(std::string_view key, std::string_view language) {
    const std::string_view chosen = isKnownLanguage(language) ? language : std::string_view("en");
    for (const ShareText& row : kTexts) {
        if (key == row.key && chosen == row.language) {
            return row.text;
        }
    }
    return {};
}

std::string fill(std::string_view format, std::string_view knotName) {
    static constexpr std::string_view kMark = "%@";
    std::string text;
    std::size_t from = 0;
    for (std::size_t at = format.find(kMark); at != std::string_view::npos; at = format.find(kMark, from)) {
        text.append(format.substr(from, at - from));
        text.append(knotName);
        from = at + kMark.size();
    }
    text.append(format.substr(from));
    return text;
}

const char* postKey(int service, int msgType) {
    ZQ_ASSERT(service >= 0 && service < 3);
    ZQ_ASSERT(msgType == 0 || msgType == 1);
    return kPostKeys[service][msgType];
}

const char* mailKey(int msgType) {
    ZQ_ASSERT(msgType == 0 || msgType == 1);
    return kMailKeys[msgType];
}

} // namespace ZQShareTexts
