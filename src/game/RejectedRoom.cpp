#include "game/RejectedRoom.h"

#include "engine/PlistCodec.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"

namespace ZQ {

std::size_t rejectedRecordsWithRoom(const KeyValueStore& defaults, const StoreValue::Array& kept) {
    StoreValue::Dictionary measured = defaults.contents();
    // Most often all of them fit: one measure.
    std::size_t room = kept.size();
    for (; room > 0; --room) {
        const auto from = kept.end() - static_cast<std::ptrdiff_t>(room);
        measured.insert_or_assign(SavedState::kRejectedKey,
                                  StoreValue::array(StoreValue::Array(from, kept.end())));
        if (plistRoomFault(measured, Preferences::writtenRoom()).empty()) {
            break;
        }
    }
    return room;
}

} // namespace ZQ
