#pragma once

#include "engine/StoreValue.h"

#include <cstddef>
#include <optional>
#include <string>

namespace ZQ {

// Property-list bytes to and from a store's dictionary, through libplist.
// Reads XML and binary lists; writes XML, which a player can read and mend by
// hand. Any thread.

// Files larger than this are not property lists the game wrote.
constexpr std::size_t kPlistMaxBytes = 16u << 20;
// Nesting deeper than this is refused rather than followed.
constexpr int kPlistMaxDepth = 32;

// The root dictionary of `bytes`, or nothing when they are not a property
// list whose root is a dictionary; `why` then says what was wrong. Entries of
// kinds the stores never write (dates, UIDs) are left out and named in `why`.
std::optional<StoreValue::Dictionary> parsePlistDictionary(const char* bytes, std::size_t size,
                                                           std::string& why);

// The XML property list of `dictionary`.
std::string writePlistDictionary(const StoreValue::Dictionary& dictionary);

} // namespace ZQ
