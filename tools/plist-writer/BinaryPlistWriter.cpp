#include "BinaryPlistWriter.h"

#include <cstring>

namespace {

void appendBigEndian(std::string& out, uint64_t value, unsigned width) {
    for (unsigned i = width; i-- > 0;) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

unsigned widthFor(uint64_t largest) {
    if (largest <= 0xff) {
        return 1;
    }
    if (largest <= 0xffff) {
        return 2;
    }
    return largest <= 0xffffffffu ? 4 : 8;
}

// A marker with its count: in the low four bits, or 0xf and an integer
// object after it.
std::string counted(unsigned kind, uint64_t count) {
    std::string head;
    if (count < 15) {
        head.push_back(static_cast<char>((kind << 4) | count));
        return head;
    }
    head.push_back(static_cast<char>((kind << 4) | 0xf));
    const unsigned width = widthFor(count);
    head.push_back(static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3)));
    appendBigEndian(head, count, width);
    return head;
}

} // namespace

BinaryPlistWriter::Ref BinaryPlistWriter::add(Object object) {
    objects.push_back(std::move(object));
    return objects.size() - 1;
}

BinaryPlistWriter::Ref BinaryPlistWriter::boolean(bool value) {
    return add({std::string(1, value ? '\x09' : '\x08'), {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::integer(int64_t value) {
    std::string head(1, '\x13');
    appendBigEndian(head, static_cast<uint64_t>(value), 8);
    return add({head, {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::narrowInteger(uint32_t value, unsigned width) {
    std::string head(1, static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : 2)));
    appendBigEndian(head, value, width);
    return add({head, {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::wideInteger(uint64_t high, uint64_t low) {
    std::string head(1, '\x14');
    appendBigEndian(head, high, 8);
    appendBigEndian(head, low, 8);
    return add({head, {}});
}

namespace {

// A real and a date are both one marker byte and a big-endian double.
std::string markedDouble(char marker, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::string head(1, marker);
    appendBigEndian(head, bits, 8);
    return head;
}

} // namespace

BinaryPlistWriter::Ref BinaryPlistWriter::real(double value) {
    return add({markedDouble('\x23', value), {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::date(double secondsSince2001) {
    return add({markedDouble('\x33', secondsSince2001), {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::ascii(std::string_view text) {
    return add({counted(0x5, text.size()).append(text), {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::utf16(std::u16string_view text) {
    std::string head = counted(0x6, text.size());
    for (const char16_t unit : text) {
        appendBigEndian(head, unit, 2);
    }
    return add({head, {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::data(std::string_view bytes) {
    return add({counted(0x4, bytes.size()).append(bytes), {}});
}

BinaryPlistWriter::Ref BinaryPlistWriter::array(const std::vector<Ref>& items) {
    return add({counted(0xa, items.size()), items});
}

BinaryPlistWriter::Ref BinaryPlistWriter::dictionary(const std::vector<std::pair<Ref, Ref>>& entries) {
    Object object{counted(0xd, entries.size()), {}};
    for (const auto& entry : entries) {
        object.refs.push_back(entry.first);
    }
    for (const auto& entry : entries) {
        object.refs.push_back(entry.second);
    }
    return add(object);
}

std::string BinaryPlistWriter::bytes(Ref top) const {
    const unsigned refWidth = widthFor(objects.size());
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (const Object& object : objects) {
        offsets.push_back(out.size());
        out += object.head;
        for (const Ref ref : object.refs) {
            appendBigEndian(out, ref, refWidth);
        }
    }
    const uint64_t tableAt = out.size();
    const unsigned offsetWidth = widthFor(tableAt);
    for (const uint64_t offset : offsets) {
        appendBigEndian(out, offset, offsetWidth);
    }
    out.append(6, '\0'); // unused, and the sort version
    out.push_back(static_cast<char>(offsetWidth));
    out.push_back(static_cast<char>(refWidth));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, top, 8);
    appendBigEndian(out, tableAt, 8);
    return out;
}
