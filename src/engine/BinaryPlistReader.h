#pragma once

#include "engine/StoreValue.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ZQ {

// Binary property lists ("bplist00") read by the game itself, not by
// libplist: libplist 2.2 stops the whole process on a key holding a NUL,
// and copies an object once for every reference to it, so a file of a few
// hundred bytes can stand for billions of values. This reader checks every
// offset, count and reference against the file before following it, refuses
// text holding a NUL or broken UTF-16, and counts each value it makes (a
// shared object once a reference) against kPlistMaxValues and the bytes of
// text and data against kPlistMaxBytes, nesting against kPlistMaxDepth. Any
// file thus costs time and memory in proportion to those caps at most. Its
// keys and dictionaries are held to kPlistMaxKeyBytes and
// kPlistMaxDictionaryKeys as an XML list's are, for libplist builds a
// dictionary of the list at every write, and an integer of 16 bytes to a
// value that fits in 8.
//
// Any thread.

struct BinaryPlist {
    std::optional<StoreValue::Dictionary> root; // nothing when the file is refused
    std::string why;                            // why it was refused
    int skipped = 0; // dates, UIDs, sets and nulls: kinds the stores never write, left out
};

// Whether `bytes` begin as a binary property list does.
bool isBinaryPlist(const char* bytes, std::size_t size);

// The root dictionary of a binary property list.
BinaryPlist readBinaryPlist(const char* bytes, std::size_t size);

} // namespace ZQ
