#pragma once

#include "engine/KeyValueStore.h"

#include <cstddef>

namespace ZQ {

// How many of the newest rejected records in `kept` (oldest first) the user
// defaults can hold under "zr_state_rejected" and still be written once a
// saved record of the widest values stands in place of the one rejected. A
// store refuses to write a list its reader would refuse (PlistCodec.h), and a
// rejected record may be as large as the file it came in: kept beside the
// record that replaces it, it could leave the defaults unwritable, and every
// later save of progress with them. 0 when not even the newest fits.
std::size_t rejectedRecordsWithRoom(const KeyValueStore& defaults, const StoreValue::Array& kept);

} // namespace ZQ
