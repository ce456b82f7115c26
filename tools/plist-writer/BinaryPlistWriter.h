#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes a binary property list ("bplist00") one object at a time. Arrays and
// dictionaries name their members by reference, so a caller says exactly
// which object refers to which: one object shared by many references, a
// reference to itself, a key holding a NUL. Nothing is checked; writing what
// no well-behaved writer would is the point.
//
// Ownership: owns the encoded objects. Threads: one at a time.
class BinaryPlistWriter {
public:
    using Ref = uint64_t;

    Ref boolean(bool value);
    Ref integer(int64_t value);                        // eight bytes
    Ref narrowInteger(uint32_t value, unsigned width); // one, two or four bytes, as written
    Ref wideInteger(uint64_t high, uint64_t low);      // sixteen bytes, high first
    Ref real(double value);
    Ref date(double secondsSince2001);
    Ref ascii(std::string_view text);    // one byte a character, as written
    Ref utf16(std::u16string_view text); // big-endian code units, as written
    Ref data(std::string_view bytes);
    Ref array(const std::vector<Ref>& items);
    Ref dictionary(const std::vector<std::pair<Ref, Ref>>& entries);

    // The objects so far, in the order made, with `top` as the root.
    // References take the fewest bytes that hold the object count, offsets
    // the fewest that hold the offset table's place.
    std::string bytes(Ref top) const;

private:
    // An object's encoding: its marker and inline bytes, then the references
    // (whose width is known only when the whole list is written).
    struct Object {
        std::string head;
        std::vector<Ref> refs;
    };
    Ref add(Object object);

    std::vector<Object> objects;
};
