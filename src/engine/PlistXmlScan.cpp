#include "engine/PlistXmlScan.h"

#include "engine/PlistCodec.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
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

// `text` without the XML white space around it.
std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

// Why libplist would not read `text`, an <integer>'s, as the number it
// spells. It skips white space and one sign, reads the rest with strtoull
// in base 0, and keeps the value as 64 bits, signed after a '-': so a
// leading 0 reads as octal ("010" is 8, "08" is 0), the number ends at the
// first character that is not a digit, and a value beyond 64 bits is
// clamped or wraps. Whatever reads exactly is taken: white space around
// and after the sign, a '+', "0x" numbers, zeros that change nothing
// ("007"), and every value from INT64_MIN to UINT64_MAX.
std::string integerFault(std::string_view text) {
    const std::string named = "an integer " + quoted(text);
    std::string_view number = trimmed(text);
    const bool negative = number.starts_with('-');
    if (negative || number.starts_with('+')) {
        number = trimmed(number.substr(1));
    }
    const bool hex = number.starts_with("0x") || number.starts_with("0X");
    const std::string_view digits = number.substr(hex ? 2 : 0);
    const std::string_view allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string_view::npos) {
        return named + " that is not a decimal or 0x number";
    }
    const std::string spelt(number);
    errno = 0;
    const uint64_t magnitude = std::strtoull(spelt.c_str(), nullptr, hex ? 16 : 10);
    if (errno == ERANGE || (negative && magnitude > uint64_t{1} << 63)) {
        return named + " beyond 64 bits";
    }
    char* end = nullptr;
    const uint64_t read = std::strtoull(spelt.c_str(), &end, 0);
    if (read != magnitude || *end != '\0') {
        return named + " with a leading 0, which reads as octal";
    }
    return {};
}

// Why libplist would not read `text`, a <real>'s, as the number it spells:
// it reads with atof, which skips white space, stops at the first character
// it cannot take, turns a number beyond a double into infinity and one
// below the least into zero, and gives a NaN without its payload. So a
// number strtod takes whole, white space around it aside, is taken,
// infinities and "nan" spelt in any case included, unless it is beyond a
// double either way.
std::string realFault(std::string_view text) {
    const std::string named = "a real " + quoted(text);
    const std::string number(trimmed(text));
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    // A NaN's payload, "nan(...)", is lost.
    if (number.empty() || *end != '\0' || number.find('(') != std::string::npos) {
        return named + " that is not a number";
    }
    // strtod took it whole: one sign at most, then the magnitude.
    const std::string_view magnitude = std::string_view(number).substr(number[0] == '-' || number[0] == '+');
    const bool hex = magnitude.starts_with("0x") || magnitude.starts_with("0X");
    const bool spellsInfinity = magnitude[0] == 'i' || magnitude[0] == 'I';
    const std::string_view mantissa = magnitude.substr(0, magnitude.find_first_of(hex ? "pP" : "eE"));
    const bool nonzero =
        mantissa.find_first_of(hex ? "123456789abcdefABCDEF" : "123456789") != std::string_view::npos;
    if ((std::isinf(value) && !spellsInfinity) || (value == 0.0 && nonzero)) {
        return named + " beyond a double";
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
    // Words and quoted identifiers, each quoted with '"' or '\'' and
    // holding neither, up to the first '>': no internal subset, and no
    // quote a reader could take to run on past that '>'.
    std::string_view body = text.substr(at + 9, end - at - 9);
    bool plain = !body.empty() && isSpace(body[0]) && body.find_first_of("<[]&") == std::string_view::npos;
    while (plain && !body.empty()) {
        const char quote = body[0];
        std::size_t next = 1;
        if (quote == '"' || quote == '\'') {
            next = body.find(quote, 1);
            plain = next != std::string_view::npos &&
                    body.substr(1, next - 1).find_first_of("\"'") == std::string_view::npos;
            ++next;
        }
        body.remove_prefix(std::min(next, body.size()));
    }
    if (!plain) {
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
