#pragma once

#include "engine/PlistCodec.h"

#include <cstdint>
#include <string>
#include <vector>

// `entries` with an array of integers added under "zz_other", as long as it
// can be while a store still reads the list in: at the bound of the room a
// store keeps for the game's own keys.
inline ZQ::StoreValue::Dictionary filledToTheRoom(ZQ::StoreValue::Dictionary entries,
                                                  const ZQ::PlistRoom& room) {
    const auto with = [&](std::size_t count) {
        const std::vector<int32_t> values(count, 1);
        ZQ::StoreValue::Dictionary filled = entries;
        filled.insert_or_assign("zz_other", ZQ::StoreValue::integers(values.data(), values.size()));
        return filled;
    };
    std::size_t low = 0;
    std::size_t high = ZQ::kPlistMaxValues;
    while (low + 1 < high) {
        const std::size_t middle = (low + high) / 2;
        (ZQ::plistRoomFault(with(middle), room).empty() ? low : high) = middle;
    }
    return with(low);
}
