#include "game/RejectedRoom.h"

#include "engine/PlistCodec.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"

#include <cstdint>
#include <limits>

namespace ZQ {

namespace {

// A record as large as any save writes: every number takes the most digits
// it can and the code is full length.
StoreValue widestRecord() {
    constexpr int32_t kWidest = std::numeric_limits<int32_t>::min();
    SavedState record(SavedState::kLevelSlots);
    record.version = record.level = record.points = record.max_level = record.difficulty = kWidest;
    record.tangles.fill(kWidest);
    record.tangleForlevel.fill(kWidest);
    record.timerForlevel.fill(kWidest);
    record.auth_code = SavedState::authCode(record);
    return record.toStored();
}

} // namespace

std::size_t rejectedRecordsWithRoom(const KeyValueStore& defaults, const StoreValue::Array& kept) {
    static const StoreValue widest = widestRecord();
    StoreValue::Dictionary measured = defaults.contents();
    measured.insert_or_assign(Preferences::kStateKey, widest);
    // Most often all of them fit: one measure.
    std::size_t room = kept.size();
    for (; room > 0; --room) {
        const auto from = kept.end() - static_cast<std::ptrdiff_t>(room);
        measured.insert_or_assign(SavedState::kRejectedKey,
                                  StoreValue::array(StoreValue::Array(from, kept.end())));
        if (plistSizeFault(writePlistDictionary(measured)).empty()) {
            break;
        }
    }
    return room;
}

} // namespace ZQ
