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
// A store takes in only what it can write back and read again once the game
// has added its own keys: a binary list spells out every shared object when
// written back as XML, its data grows by a third in base64, and a saved
// state the game refuses is kept beside it (zr_state_rejected), a copy as
// large again. So a list at the reader's caps would be saved into a file the
// next start refuses. A quarter of the caps leaves that room, still two and a
// half times the largest list the game writes.
constexpr std::size_t kPlistMaxStoreValues = kPlistMaxValues / 4;
constexpr std::size_t kPlistMaxStoreBytes = kPlistMaxBytes / 4;

// The root dictionary of `bytes`, or nothing when they are not a property
// list whose root is a dictionary, or one larger than kPlistMaxStoreValues
// values or kPlistMaxStoreBytes bytes once written back; `why` then says
// what was wrong. Entries of
// kinds the stores never write (dates, UIDs) are left out and named in `why`.
std::optional<StoreValue::Dictionary> parsePlistDictionary(const char* bytes, std::size_t size,
                                                           std::string& why);

// The XML property list of `dictionary`.
std::string writePlistDictionary(const StoreValue::Dictionary& dictionary);

} // namespace ZQ
