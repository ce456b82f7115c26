#include "game/SavedState.h"

#include "engine/Preferences.h"

#include <algorithm>

// Which of two records of the player's progress wins, and how a save takes
// in one that won over its own.

namespace ZQ {

std::optional<SavedState> SavedState::storedIn(const KeyValueStore& store, int32_t levelCount) {
    const StoreValue* stored = store.object(Preferences::kStateKey);
    if (stored == nullptr) {
        return std::nullopt;
    }
    std::string why;
    return fromStored(*stored, levelCount, why);
}

bool SavedState::isBehind(const SavedState& other) const {
    return max_level < other.max_level;
}

bool SavedState::catchUp(const SavedState& further) {
    if (!isBehind(further)) {
        return false;
    }
    // Played further on another machine: nothing either record holds is
    // lowered. The player goes on where this game is.
    version = kVersion;
    max_level = further.max_level;
    difficulty = std::max(difficulty, further.difficulty);
    points = std::max(points, further.points);
    for (std::size_t g = 0; g < tangles.size(); ++g) {
        tangles[g] = std::max(tangles[g], further.tangles[g]);
    }
    for (std::size_t i = 0; i < tangleForlevel.size(); ++i) {
        // A lower grade is a better one; of two equal ones the level played
        // (its seconds counted) is kept over the one never played.
        const bool theirsBetter = further.tangleForlevel[i] < tangleForlevel[i] ||
                                  (further.tangleForlevel[i] == tangleForlevel[i] && timerForlevel[i] == 0);
        if (theirsBetter) {
            tangleForlevel[i] = further.tangleForlevel[i];
            timerForlevel[i] = further.timerForlevel[i];
        }
    }
    auth_code = authCode(*this);
    return true;
}

} // namespace ZQ
