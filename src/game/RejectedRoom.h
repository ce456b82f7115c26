#pragma once

#include "engine/KeyValueStore.h"

#include <cstddef>

namespace ZQ {

// How many of the newest rejected records in `kept` (oldest first) the user
// defaults can hold under "zr_state_rejected" and still keep the room for
// the game's own keys that every store file read in keeps (plistRoomFault).
// A rejected record may be as large as the file it came in: kept beside the
// record that replaces it, it could leave the defaults unwritable, and every
// later save of progress with them, or make the next start set the whole
// file aside. 0 when not even the newest fits.
std::size_t rejectedRecordsWithRoom(const KeyValueStore& defaults, const StoreValue::Array& kept);

} // namespace ZQ
