#include "engine/PlistXmlScan.h"

#include "engine/PlistCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace ZQ {

namespace {

constexpr std::string_view kSpaces = " \t\r\n";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// `text` in quotes, cut short where it is long, to name it in a fault.
std::string quoted(std::string_view text) {
    constexpr std::size_t kShown = 32;
    return "\"" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigit(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Why libplist would not read `text`, an <integer>'s, as the number it
// spells: it reads with strtoull in base 0, so a leading 0 means octal and
// "08" is 0, it stops at the first character that is not a digit, wraps
// values beyond 64 bits, and keeps those beyond 63 as unsigned, which the
// stores hold as negative. So only a decimal or "0x" number, with an
// optional '-', within a signed 64-bit integer, is taken.
std::string integerFault(std::string_view text) {
    const std::string named = "an integer " + quoted(text);
    std::string_view digits = text;
    const bool negative = digits.starts_with('-');
    if (negative) {
        digits.remove_prefix(1);
    }
    const bool hex = digits.starts_with("0x") || digits.starts_with("0X");
    if (hex) {
        digits.remove_prefix(2);
    }
    const unsigned base = hex ? 16 : 10;
    if (digits.empty()) {
        return named + " that is not a decimal or 0x number";
    }
    if (!hex && digits.size() > 1 && digits[0] == '0') {
        return named + " with a leading 0, which reads as octal";
    }
    // The magnitude of INT64_MIN is one more than INT64_MAX.
    const uint64_t most = uint64_t{INT64_MAX} + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    for (const char c : digits) {
        const int digit = hex ? hexDigit(c) : isDigit(c) ? c - '0' : -1;
        if (digit < 0) {
            return named + " that is not a decimal or 0x number";
        }
        if (magnitude > (most - static_cast<uint64_t>(digit)) / base) {
            return named + " out of range";
        }
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
    }
    return {};
}

// Why libplist would not read `text`, a <real>'s, as the number it spells:
// it reads with atof, which stops at the first character it cannot take and
// turns a number beyond a double into infinity, or below it into zero. A
// decimal number is taken, and the three spellings libplist writes for the
// values that have none.
std::string realFault(std::string_view text) {
    if (text == "nan" || text == "+infinity" || text == "-infinity") {
        return {};
    }
    const std::string named = "a real " + quoted(text);
    // -digits.digits e-digits, the sign, the fraction and the exponent optional.
    std::string_view rest = text.substr(text.starts_with('-') ? 1 : 0);
    const auto digits = [&rest] {
        const std::string_view taken = rest.substr(0, rest.find_first_not_of("0123456789"));
        rest.remove_prefix(taken.size());
        return taken;
    };
    const std::string_view whole = digits();
    std::string_view fraction;
    bool wellFormed = !whole.empty();
    if (rest.starts_with('.')) {
        rest.remove_prefix(1);
        fraction = digits();
        wellFormed = wellFormed && !fraction.empty();
    }
    if (rest.starts_with('e') || rest.starts_with('E')) {
        rest.remove_prefix(rest.size() > 1 && (rest[1] == '-' || rest[1] == '+') ? 2 : 1);
        wellFormed = wellFormed && !digits().empty();
    }
    if (!wellFormed || !rest.empty()) {
        return named + " that is not a decimal number";
    }
    const bool nonzero = whole.find_first_not_of('0') != std::string_view::npos ||
                         fraction.find_first_not_of('0') != std::string_view::npos;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    if (std::isinf(value) || (value == 0.0 && nonzero)) {
        return named + " out of range";
    }
    return {};
}

// One pass from the start; the first fault ends it.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text(text) {}

    PlistXmlShape run();

private:
    struct Open {
        std::string_view name;
        std::size_t contentStart = 0; // just past its start tag
        uint64_t references = 0;      // '&' in its own text
        std::size_t keys = 0;         // <key> elements directly in it
        bool wrapper = false;         // the <plist> element around the root value
    };

    void fail(std::string why) {
        if (shape.fault.empty() && !why.empty()) {
            shape.fault = std::move(why);
        }
    }
    // Text up to the next '<'; only white space outside the root value.
    void textRun();
    void declaration();
    void documentType();
    void comment();
    void startTag();
    void endTag();
    // Past the name at `from`; `from` itself when there is none.
    std::size_t nameEnd(std::size_t from) const;
    std::size_t spacesEnd(std::size_t from) const;
    // The text of an element `name` is `content`, markup and references as
    // they stand.
    void textEnds(std::string_view name, std::string_view content);

    std::string_view text;
    std::size_t at = 0;
    std::vector<Open> open;
    bool rootSeen = false;
    bool typeSeen = false;
    std::size_t wrappedValues = 0;
    PlistXmlShape shape;
};

std::size_t Scanner::nameEnd(std::size_t from) const {
    if (from >= text.size() || !isNameStart(text[from])) {
        return from;
    }
    std::size_t end = from + 1;
    while (end < text.size() && isNameChar(text[end])) {
        ++end;
    }
    return end;
}

std::size_t Scanner::spacesEnd(std::size_t from) const {
    return std::min(text.find_first_not_of(kSpaces, from), text.size());
}

PlistXmlShape Scanner::run() {
    if (text.find('\0') != std::string_view::npos) {
        fail("holds a NUL byte");
        return shape;
    }
    if (text.starts_with("<?xml") && text.size() > 5 && isSpace(text[5])) {
        declaration();
    }
    while (shape.fault.empty() && at < text.size()) {
        if (text[at] != '<') {
            textRun();
            continue;
        }
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        if (next == '/') {
            endTag();
        } else if (next != '!' && next != '?') {
            startTag();
        } else if (text.compare(at, 4, "<!--") == 0) {
            comment();
        } else if (text.compare(at, 9, "<!DOCTYPE") == 0) {
            documentType();
        } else {
            fail("markup the game never writes (a processing instruction, CDATA section or declaration)");
        }
    }
    if (shape.fault.empty() && !open.empty()) {
        fail("an element that is never closed");
    } else if (shape.fault.empty() && !rootSeen) {
        fail("no root value");
    }
    return shape;
}

void Scanner::textRun() {
    const std::size_t end = std::min(text.find('<', at), text.size());
    if (open.empty()) {
        if (spacesEnd(at) < end) {
            fail("text outside the root value");
        }
    } else {
        open.back().references +=
            static_cast<uint64_t>(std::count(text.begin() + at, text.begin() + end, '&'));
    }
    at = end;
}

void Scanner::declaration() {
    // The first '>' ends it, however a reader treats what comes before.
    const std::size_t end = text.find('>');
    if (end == std::string_view::npos || text[end - 1] != '?' || text.find('<', 1) < end) {
        fail("an XML declaration the game never writes");
        return;
    }
    at = end + 1;
}

void Scanner::documentType() {
    const std::size_t end = text.find('>', at);
    if (rootSeen || typeSeen || end == std::string_view::npos) {
        fail("a document type out of place");
        return;
    }
    typeSeen = true;
    // A name and identifiers, quoted with '"' only: no internal subset,
    // nothing a reader could take for a quote around the '>'.
    const std::string_view body = text.substr(at + 9, end - at - 9);
    if (body.empty() || !isSpace(body[0]) || body.find_first_of("<[]&'") != std::string_view::npos ||
        std::count(body.begin(), body.end(), '"') % 2 != 0) {
        fail("a document type with more than a name and identifiers");
        return;
    }
    at = end + 1;
}

void Scanner::comment() {
    const std::size_t end = text.find("-->", at + 4);
    if (end == std::string_view::npos) {
        fail("a comment that never ends");
        return;
    }
    // Without '<' in it no reading of where it ends can hide a tag; without
    // "--" it ends where XML says, at the one "-->".
    const std::string_view body = text.substr(at + 4, end - at - 4);
    if (body.find('<') != std::string_view::npos) {
        fail("a comment holding markup");
        return;
    }
    if (body.find("--") != std::string_view::npos || body.ends_with('-')) {
        fail("a comment holding \"--\"");
        return;
    }
    // Within a text the comment's bytes are the text's to the parser.
    if (!open.empty()) {
        open.back().references += static_cast<uint64_t>(std::count(body.begin(), body.end(), '&'));
    }
    at = end + 3;
}

void Scanner::startTag() {
    if (rootSeen && open.empty()) {
        fail("more than one root value");
        return;
    }
    const std::size_t nameStart = at + 1;
    std::size_t p = nameEnd(nameStart);
    if (p == nameStart) {
        fail("a '<' that starts no tag");
        return;
    }
    const std::string_view name = text.substr(nameStart, p - nameStart);
    for (;;) {
        const std::size_t spaced = spacesEnd(p);
        if (spaced < text.size() && (text[spaced] == '>' || text.substr(spaced, 2) == "/>")) {
            p = spaced;
            break;
        }
        // name="value" or name='value', after white space.
        const std::size_t attributeEnd = nameEnd(spaced);
        const std::size_t equals = spacesEnd(attributeEnd);
        const std::size_t quote = equals < text.size() ? spacesEnd(equals + 1) : equals;
        if (spaced == p || attributeEnd == spaced || equals >= text.size() || text[equals] != '=' ||
            quote >= text.size() || (text[quote] != '"' && text[quote] != '\'')) {
            fail("a malformed tag");
            return;
        }
        const std::size_t closing = text.find(text[quote], quote + 1);
        if (closing == std::string_view::npos) {
            fail("a malformed tag");
            return;
        }
        if (text.substr(quote + 1, closing - quote - 1).find_first_of("<>&\"'") != std::string_view::npos) {
            fail("an attribute value holding markup or quotes");
            return;
        }
        p = closing + 1;
    }
    const bool empty = text[p] == '/';
    at = p + (empty ? 2 : 1);
    const bool wrapper = !rootSeen && name == "plist";
    rootSeen = true;
    if (!wrapper) {
        const bool wrapped = !open.empty() && open.front().wrapper;
        // libplist makes an array of several values in <plist>: a value
        // and a level more than their tags show.
        if (wrapped && open.size() == 1 && ++wrappedValues > 1) {
            fail("more than one value in <plist>");
            return;
        }
        if (++shape.values > kPlistMaxValues) {
            fail("more than " + std::to_string(kPlistMaxValues) + " values");
            return;
        }
        const int depth = static_cast<int>(open.size()) + (wrapped ? 0 : 1);
        shape.depth = std::max(shape.depth, depth);
        if (depth > kPlistMaxDepth + 1) {
            fail("nested deeper than " + std::to_string(kPlistMaxDepth));
            return;
        }
    }
    if (name == "key" && !open.empty() && ++open.back().keys > kPlistMaxDictionaryKeys) {
        fail("a dictionary of more than " + std::to_string(kPlistMaxDictionaryKeys) + " keys");
        return;
    }
    if (empty) {
        textEnds(name, {});
    } else {
        open.push_back({name, at, 0, 0, wrapper});
    }
}

void Scanner::textEnds(std::string_view name, std::string_view content) {
    if (name == "key" && content.size() > kPlistMaxKeyBytes) {
        fail("a key longer than " + std::to_string(kPlistMaxKeyBytes) + " bytes");
    } else if (name == "integer") {
        fail(integerFault(content));
    } else if (name == "real") {
        fail(realFault(content));
    }
}

void Scanner::endTag() {
    const std::size_t nameStart = at + 2;
    const std::size_t end = nameEnd(nameStart);
    const std::size_t close = spacesEnd(end);
    if (end == nameStart || close >= text.size() || text[close] != '>') {
        fail("a malformed closing tag");
        return;
    }
    if (open.empty() || open.back().name != text.substr(nameStart, end - nameStart)) {
        fail("a closing tag that does not match its element");
        return;
    }
    const Open& element = open.back();
    const uint64_t length = at - element.contentStart;
    if (element.references > 0 && length > (kPlistMaxEntityWork - shape.entityWork) / element.references) {
        fail("too many entity references for the length of their text");
        return;
    }
    shape.entityWork += element.references * length;
    textEnds(element.name, text.substr(element.contentStart, length));
    open.pop_back();
    at = close + 1;
}

} // namespace

PlistXmlShape scanPlistXml(std::string_view text) {
    return Scanner(text).run();
}

} // namespace ZQ
