#pragma once

#include "engine/StoreValue.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace ZQ {

// Property-list bytes to and from a store's dictionary. Reads XML lists
// through libplist, once a scan of their markup has shown that it leaves no
// room for two readings and that their nesting, size and entity references
// are within the caps below (PlistXmlScan.h), and binary lists with the
// game's own reader (BinaryPlistReader.h); writes XML, which a player can
// read and mend by hand. Any bytes at all are refused or read in bounded
// time and memory. Any thread.

// The state fuzzer builds with the size, value and reference caps below
// scaled down to the room the game's own keys take and a few kilobytes
// more, so that its inputs of a few kilobytes reach every one of them.
#ifdef VELMORA_SMALL_STORE_CAPS
constexpr bool kPlistSmallCaps = true;
#else
constexpr bool kPlistSmallCaps = false;
#endif

// Files larger than this are not property lists the game wrote.
constexpr std::size_t kPlistMaxBytes = kPlistSmallCaps ? 14u << 10 : 16u << 20;
// Nesting deeper than this is refused rather than followed.
constexpr int kPlistMaxDepth = 32;
// Lists of more values than this (keys included) are refused rather than
// built. A full leaderboards file, the largest the game writes, holds about
// 1,600.
constexpr std::size_t kPlistMaxValues = kPlistSmallCaps ? 512 : 1u << 14;
// libplist moves the rest of a text up for each entity reference it decodes
// in it, so the references in each element times the length of its text,
// summed over the list, are held below this: at the cap a list parses in a
// fraction of a second (bench/StoreBench.cpp), and the lists the game
// writes hold few references ('<', '>' and '&' in their texts).
constexpr uint64_t kPlistMaxEntityWork = uint64_t{1} << (kPlistSmallCaps ? 20 : 32);
// libplist compares a key with every key of its dictionary before it adds
// it, and hashes the keys of dictionaries of more than 500 into 4,096
// buckets, where keys chosen to share one bucket cost as much again: a file
// of long colliding keys, within every cap above, took seconds to read and
// as long at each write. The game's keys are short (the longest
// twenty-two bytes) and its dictionaries small (the saved record's nine keys
// the most), so a key longer than this, as its list spells it, or as the
// game would write it, is refused, and so is a dictionary of more keys.
constexpr std::size_t kPlistMaxKeyBytes = 256;
constexpr std::size_t kPlistMaxDictionaryKeys = 128;
// The root dictionary of `bytes`, or nothing when they are not a property
// list whose root is a dictionary; `why` then says what was wrong. Entries of
// kinds the stores never write (dates, UIDs) are left out and named in `why`.
std::optional<StoreValue::Dictionary> parsePlistDictionary(const char* bytes, std::size_t size,
                                                           std::string& why);

// The XML property list of `dictionary`.
std::string writePlistDictionary(const StoreValue::Dictionary& dictionary);

// The fewest bytes writePlistDictionary can write for `dictionary`: its keys
// and texts (up to a zero byte, where libplist ends them) with each '<' and
// '>' as a four-byte reference and each '&' as five, its data in base64. A
// list this already puts over a cap is refused without being written out:
// spelling out megabytes of '<' costs fifteen times this count
// (bench/StoreBench.cpp), and, as libplist grows its XML a page at a time,
// most of a minute where each growth copies it (under AddressSanitizer).
std::size_t plistLeastWrittenBytes(const StoreValue::Dictionary& dictionary);

// Why parsePlistDictionary would refuse `xml`, a list writePlistDictionary
// wrote, for its size, nesting or entity references: empty when it would
// take it. A binary list read in spells out every shared object when
// written back, and text grows by an entity reference for each '<', '>' and
// '&' in it, so a store checks this before it writes rather than leave a
// file the next read sets aside whole.
std::string plistSizeFault(const std::string& xml);

// What one entry of a list's root dictionary, its key included, adds to the
// list once written as XML, as the caps count it. Entries add up: a list
// written whole is never more than the sum of its entries written alone.
struct PlistMeasure {
    std::size_t values = 0;
    std::size_t bytes = 0;
    uint64_t entityWork = 0;
};

// The keys the game writes into one store itself, each with the most it
// ever writes there: the measure of the widest value it writes under it.
using PlistRoom = std::map<std::string, PlistMeasure, std::less<>>;

// `key` holding `value`, measured as one entry of a root dictionary.
PlistMeasure plistEntryMeasure(const std::string& key, const StoreValue& value);

// The room of the game's keys, each entry of `widest` measured.
PlistRoom plistRoomOf(const StoreValue::Dictionary& widest);

// Why a store would refuse to read in `dictionary`, a list it parsed: empty
// when every write the game can make to it still fits under the caps. Each
// key of `room` counts at the larger of its entry in the list and the most
// the game writes there, measure by measure (a key it holds larger than the
// game writes, of another kind say, stays as large until the game writes
// it, and the game may never write it); every other key counts as it
// stands, since the game never writes it. The read and the write so keep
// one bound: whatever the game writes under its own keys is written, and
// read in again.
std::string plistRoomFault(const StoreValue::Dictionary& dictionary, const PlistRoom& room);

} // namespace ZQ
