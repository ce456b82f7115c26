#include "engine/BinaryPlistReader.h"

#include "engine/PlistCodec.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace ZQ {

namespace {

constexpr std::string_view kMagic = "bplist00";
// Five unused bytes, the sort version, the widths of an offset and of a
// reference, then the object count, the root's reference and the offset
// table's place, 64 bits each.
constexpr std::size_t kTrailerBytes = 32;

// Kinds, the high four bits of an object's marker.
enum Kind : uint8_t {
    kSingleton = 0x0, // null, false, true, fill
    kInteger = 0x1,
    kReal = 0x2,
    kDate = 0x3,
    kData = 0x4,
    kAscii = 0x5,
    kUtf16 = 0x6,
    kUid = 0x8,
    kArray = 0xa,
    kSet = 0xc,
    kDictionary = 0xd,
};

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xe0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xf0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
}

// One pass over the objects from the root. Every read is checked against
// the object area (from the header to the offset table); the first fault
// ends the pass and is kept in `fault`.
class Reader {
public:
    Reader(const uint8_t* bytes, std::size_t size) : bytes(bytes), size(size) {}

    bool readTrailer();
    std::optional<StoreValue> value(uint64_t ref, int depth);
    // The root's entries; nothing, with no fault, when the root is of
    // another kind.
    std::optional<StoreValue::Dictionary> root();

    std::string fault;
    int skipped = 0;

private:
    bool fail(std::string why) {
        if (fault.empty()) {
            fault = std::move(why);
        }
        return false;
    }
    // `width` bytes at `at`, big-endian; the caller checked they lie inside.
    uint64_t number(std::size_t at, unsigned width) const;
    // Room for `count` items of `width` bytes at `at` within the object area.
    bool fits(std::size_t at, uint64_t count, uint64_t width);
    bool objectAt(uint64_t ref, std::size_t& at);
    // The count in a marker's low bits, or in the integer after it; `at`
    // moves past what it read.
    bool count(uint8_t low, std::size_t& at, uint64_t& n);
    // Takes one more value, or `n` more bytes of text and data, within the caps.
    bool take();
    bool takeText(uint64_t n);
    bool ascii(std::size_t at, uint64_t n, std::string& text);
    bool utf16(std::size_t at, uint64_t n, std::string& text);
    bool key(uint64_t ref, std::string& text);
    // The entries of the dictionary whose count begins at `at`.
    std::optional<StoreValue::Dictionary> entries(std::size_t at, uint8_t low, int depth);

    const uint8_t* bytes;
    std::size_t size;
    std::size_t objectsEnd = 0; // where the offset table begins
    unsigned offsetWidth = 0;
    unsigned refWidth = 0;
    uint64_t objectCount = 0;
    uint64_t top = 0;
    uint64_t values = 0;
    uint64_t textBytes = 0;
};

uint64_t Reader::number(std::size_t at, unsigned width) const {
    uint64_t n = 0;
    for (unsigned i = 0; i < width; ++i) {
        n = (n << 8) | bytes[at + i];
    }
    return n;
}

bool Reader::fits(std::size_t at, uint64_t count, uint64_t width) {
    if (at > objectsEnd || count > (objectsEnd - at) / width) {
        return fail("an object runs past its area");
    }
    return true;
}

bool Reader::readTrailer() {
    if (size < kMagic.size() + 2 + kTrailerBytes) {
        return fail("a binary property list too short to hold one object");
    }
    const std::size_t trailer = size - kTrailerBytes;
    offsetWidth = bytes[trailer + 6];
    refWidth = bytes[trailer + 7];
    objectCount = number(trailer + 8, 8);
    top = number(trailer + 16, 8);
    const uint64_t tableAt = number(trailer + 24, 8);
    if (offsetWidth < 1 || offsetWidth > 8 || refWidth < 1 || refWidth > 8) {
        return fail("a binary property list with bad offset or reference widths");
    }
    if (objectCount == 0 || top >= objectCount) {
        return fail("a binary property list whose root is not among its objects");
    }
    if (tableAt <= kMagic.size() || tableAt > trailer || objectCount > (trailer - tableAt) / offsetWidth) {
        return fail("a binary property list whose offset table lies outside it");
    }
    objectsEnd = static_cast<std::size_t>(tableAt);
    return true;
}

bool Reader::objectAt(uint64_t ref, std::size_t& at) {
    if (ref >= objectCount) {
        return fail("a reference to an object that does not exist");
    }
    const uint64_t offset = number(objectsEnd + ref * offsetWidth, offsetWidth);
    if (offset < kMagic.size() || offset >= objectsEnd) {
        return fail("an object offset outside the object area");
    }
    at = static_cast<std::size_t>(offset);
    return true;
}

bool Reader::count(uint8_t low, std::size_t& at, uint64_t& n) {
    if (low != 0xf) {
        n = low;
        return true;
    }
    if (!fits(at, 1, 1) || bytes[at] >> 4 != kInteger || (bytes[at] & 0xf) > 3) {
        return fail("a count that is not an integer");
    }
    const unsigned width = 1u << (bytes[at] & 0xf);
    ++at;
    if (!fits(at, 1, width)) {
        return false;
    }
    n = number(at, width);
    at += width;
    return true;
}

bool Reader::take() {
    if (++values > kPlistMaxValues) {
        fault = "more than " + std::to_string(kPlistMaxValues) + " values once shared objects are counted";
        return false;
    }
    return true;
}

bool Reader::takeText(uint64_t n) {
    textBytes += n; // n is inside the file: no overflow
    if (textBytes > kPlistMaxBytes) {
        fault =
            "more than " + std::to_string(kPlistMaxBytes) + " bytes of text once shared objects are counted";
        return false;
    }
    return true;
}

bool Reader::ascii(std::size_t at, uint64_t n, std::string& text) {
    if (!fits(at, n, 1) || !takeText(n)) {
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes + at), static_cast<std::size_t>(n));
    for (const char c : text) {
        if (c == '\0') {
            return fail("text holding a NUL character");
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            return fail("ASCII text holding a byte above 127");
        }
    }
    return true;
}

bool Reader::utf16(std::size_t at, uint64_t n, std::string& text) {
    if (!fits(at, n, 2) || !takeText(2 * n)) {
        return false;
    }
    text.clear();
    for (uint64_t i = 0; i < n; ++i) {
        uint32_t c = static_cast<uint32_t>(number(at + 2 * i, 2));
        if (c >= 0xdc00 && c < 0xe000) {
            return fail("text that is not valid UTF-16");
        }
        if (c >= 0xd800 && c < 0xdc00) {
            const uint32_t low = i + 1 < n ? static_cast<uint32_t>(number(at + 2 * (i + 1), 2)) : 0;
            if (low < 0xdc00 || low >= 0xe000) {
                return fail("text that is not valid UTF-16");
            }
            c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
            ++i;
        }
        if (c == 0) {
            return fail("text holding a NUL character");
        }
        appendUtf8(text, c);
    }
    return true;
}

bool Reader::key(uint64_t ref, std::string& text) {
    std::size_t at = 0;
    if (!take() || !objectAt(ref, at)) {
        return false;
    }
    const uint8_t marker = bytes[at++];
    uint64_t n = 0;
    if ((marker >> 4 != kAscii && marker >> 4 != kUtf16) || !count(marker & 0xf, at, n)) {
        return fail("a dictionary key that is not text");
    }
    if (!(marker >> 4 == kAscii ? ascii(at, n, text) : utf16(at, n, text))) {
        return false;
    }
    if (text.size() > kPlistMaxKeyBytes) {
        return fail("a key longer than " + std::to_string(kPlistMaxKeyBytes) + " bytes");
    }
    return true;
}

std::optional<StoreValue::Dictionary> Reader::root() {
    std::size_t at = 0;
    if (!take() || !objectAt(top, at) || bytes[at] >> 4 != kDictionary) {
        return std::nullopt;
    }
    return entries(at + 1, bytes[at] & 0xf, 0);
}

std::optional<StoreValue::Dictionary> Reader::entries(std::size_t at, uint8_t low, int depth) {
    uint64_t n = 0;
    if (!count(low, at, n) || !fits(at, n, 2ull * refWidth)) {
        return std::nullopt;
    }
    if (n > kPlistMaxDictionaryKeys) {
        fail("a dictionary of more than " + std::to_string(kPlistMaxDictionaryKeys) + " keys");
        return std::nullopt;
    }
    StoreValue::Dictionary found;
    for (uint64_t i = 0; i < n; ++i) {
        std::string name;
        if (!key(number(at + i * refWidth, refWidth), name)) {
            return std::nullopt;
        }
        std::optional<StoreValue> item = value(number(at + (n + i) * refWidth, refWidth), depth + 1);
        if (!fault.empty()) {
            return std::nullopt;
        }
        if (item) {
            found.insert_or_assign(std::move(name), std::move(*item));
        }
    }
    return found;
}

std::optional<StoreValue> Reader::value(uint64_t ref, int depth) {
    if (depth > kPlistMaxDepth) {
        fault = "nested deeper than " + std::to_string(kPlistMaxDepth);
        return std::nullopt;
    }
    std::size_t at = 0;
    if (!take() || !objectAt(ref, at)) {
        return std::nullopt;
    }
    const uint8_t marker = bytes[at++];
    const uint8_t low = marker & 0xf;
    switch (marker >> 4) {
    case kSingleton:
        if (low == 0x8 || low == 0x9) {
            return StoreValue::boolean(low == 0x9);
        }
        if (low == 0x0 || low == 0xf) {
            ++skipped;
            return std::nullopt;
        }
        break;
    case kInteger: {
        // 1, 2 and 4 bytes are unsigned, 8 two's complement, 16 two's
        // complement too, which writers use for the integers above
        // INT64_MAX: taken where the value lies within 64 bits, signed or
        // not, as the stores hold every integer.
        if (low > 4 || !fits(at, 1, 1u << low)) {
            break;
        }
        const unsigned width = 1u << low;
        const unsigned kept = width < 8 ? width : 8;
        const uint64_t value = number(at + width - kept, kept);
        if (width == 16) {
            const uint64_t high = number(at, 8);
            if (high == 0 && value > static_cast<uint64_t>(INT64_MAX)) {
                return StoreValue::unsignedInteger(value);
            }
            if (high != (value >> 63 != 0 ? ~uint64_t{0} : 0)) {
                fail("an integer beyond 64 bits");
                return std::nullopt;
            }
        }
        return StoreValue::integer(static_cast<int64_t>(value));
    }
    case kReal:
        if ((low == 2 || low == 3) && fits(at, 1, 1u << low)) {
            const uint64_t bits = number(at, 1u << low);
            if (low == 2) {
                float f = 0.0f;
                const uint32_t narrow = static_cast<uint32_t>(bits);
                std::memcpy(&f, &narrow, sizeof f);
                return StoreValue::real(f);
            }
            double d = 0.0;
            std::memcpy(&d, &bits, sizeof d);
            return StoreValue::real(d);
        }
        break;
    case kDate:
        if (low == 3 && fits(at, 1, 8)) {
            ++skipped;
            return std::nullopt;
        }
        break;
    case kData: {
        uint64_t n = 0;
        if (!count(low, at, n) || !fits(at, n, 1) || !takeText(n)) {
            return std::nullopt;
        }
        return StoreValue::data(StoreValue::Data(bytes + at, bytes + at + n));
    }
    case kAscii:
    case kUtf16: {
        uint64_t n = 0;
        std::string text;
        if (!count(low, at, n) || !(marker >> 4 == kAscii ? ascii(at, n, text) : utf16(at, n, text))) {
            return std::nullopt;
        }
        return StoreValue::string(std::move(text));
    }
    case kUid:
        if (fits(at, 1, low + 1u)) {
            ++skipped;
            return std::nullopt;
        }
        break;
    case kSet: {
        uint64_t n = 0;
        if (count(low, at, n) && fits(at, n, refWidth)) {
            ++skipped;
        }
        return std::nullopt;
    }
    case kArray: {
        uint64_t n = 0;
        if (!count(low, at, n) || !fits(at, n, refWidth)) {
            return std::nullopt;
        }
        StoreValue::Array items;
        for (uint64_t i = 0; i < n; ++i) {
            std::optional<StoreValue> item = value(number(at + i * refWidth, refWidth), depth + 1);
            if (!fault.empty()) {
                return std::nullopt;
            }
            if (item) {
                items.push_back(std::move(*item));
            }
        }
        return StoreValue::array(std::move(items));
    }
    case kDictionary: {
        std::optional<StoreValue::Dictionary> found = entries(at, low, depth);
        if (!found) {
            return std::nullopt;
        }
        return StoreValue::dictionary(std::move(*found));
    }
    default:
        break;
    }
    if (fault.empty()) {
        fail("an object of an unknown kind");
    }
    return std::nullopt;
}

} // namespace

bool isBinaryPlist(const char* bytes, std::size_t size) {
    return size >= kMagic.size() - 2 && std::memcmp(bytes, kMagic.data(), kMagic.size() - 2) == 0;
}

BinaryPlist readBinaryPlist(const char* bytes, std::size_t size) {
    BinaryPlist list;
    if (size < kMagic.size() || std::memcmp(bytes, kMagic.data(), kMagic.size()) != 0) {
        list.why = "a binary property list of a version other than 00";
        return list;
    }
    Reader reader(reinterpret_cast<const uint8_t*>(bytes), size);
    if (!reader.readTrailer()) {
        list.why = reader.fault;
        return list;
    }
    list.root = reader.root();
    list.why = reader.fault;
    list.skipped = reader.skipped;
    if (!list.why.empty()) {
        list.root.reset();
    } else if (!list.root) {
        list.why = "the root is not a dictionary";
    }
    return list;
}

} // namespace ZQ
