#pragma once

#include "engine/StoreValue.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ZQ {

// Property-list bytes to and from a store's dictionary. Reads XML lists
// through libplist, once a scan has shown their nesting and size are within
// the caps below, and binary lists with the game's own reader
// (BinaryPlistReader.h); writes XML, which a player can read and mend by
// hand. Any bytes at all are refused or read in bounded time and memory.
// Any thread.

// Files larger than this are not property lists the game wrote.
constexpr std::size_t kPlistMaxBytes = 16u << 20;
// Nesting deeper than this is refused rather than followed.
constexpr int kPlistMaxDepth = 32;
// Lists of more values than this (keys included) are refused rather than
// built. A full leaderboards file, the largest the game writes, holds about
// 1,600.
constexpr std::size_t kPlistMaxValues = 1u << 14;

// The root dictionary of `bytes`, or nothing when they are not a property
// list whose root is a dictionary; `why` then says what was wrong. Entries of
// kinds the stores never write (dates, UIDs) are left out and named in `why`.
std::optional<StoreValue::Dictionary> parsePlistDictionary(const char* bytes, std::size_t size,
                                                           std::string& why);

// The XML property list of `dictionary`.
std::string writePlistDictionary(const StoreValue::Dictionary& dictionary);

// Why parsePlistDictionary would refuse `xml`, the list written of
// `dictionary`, for its size: empty when it would take it. A binary list
// read in spells out every shared object when written back, so a store
// checks this before it writes rather than leave a file the next read sets
// aside whole.
std::string plistSizeFault(const StoreValue::Dictionary& dictionary, const std::string& xml);

} // namespace ZQ
