#include "game/SavedState.h"

#include "engine/Assert.h"
#include "engine/Log.h"
#include "engine/Preferences.h"
#include "game/RejectedRoom.h"

#include <algorithm>

namespace ZQ {

namespace {

constexpr int32_t kObsidian = SavedState::kGradeCount - 1;

} // namespace

SavedState::SavedState(int32_t levelCount) : levelCount(levelCount) {
    ZQ_ASSERT(levelCount > 0 && levelCount <= kLevelSlots);
    reset();
}

void SavedState::reset() {
    version = kVersion;
    level = 0;
    points = 0;
    max_level = 0;
    difficulty = 0;
    tangles.fill(0);
    tangleForlevel.fill(kObsidian);
    timerForlevel.fill(0);
    auth_code.clear();
    startedOver_ = false;
}

void SavedState::startOver() {
    reset();
    startedOver_ = true;
}

bool SavedState::load(KeyValueStore& defaults) {
    reset();
    const StoreValue* stored = defaults.object(Preferences::kStateKey);
    if (stored == nullptr) {
        platformLog("Error on load state");
        return false;
    }
    std::string why;
    std::optional<SavedState> checked = fromStored(*stored, levelCount, why);
    if (!checked) {
        platformLog("%s; the saved state is kept under %s", why.c_str(), kRejectedKey);
        const StoreValue rejected = *stored; // keepRejected changes the store under the pointer
        keepRejected(defaults, rejected);
        return false;
    }
    *this = *checked;
    return true;
}

StoreValue SavedState::toStored() const {
    StoreValue::Dictionary entries;
    entries.emplace("level", StoreValue::integer(level));
    entries.emplace("max_level", StoreValue::integer(max_level));
    entries.emplace("auth_code", StoreValue::string(auth_code));
    entries.emplace("points", StoreValue::integer(points));
    entries.emplace("tangles", StoreValue::integers(tangles.data(), tangles.size()));
    entries.emplace("tangleForlevel", StoreValue::integers(tangleForlevel.data(), tangleForlevel.size()));
    entries.emplace("timerForlevel", StoreValue::integers(timerForlevel.data(), timerForlevel.size()));
    entries.emplace("difficulty", StoreValue::integer(difficulty));
    entries.emplace("version", StoreValue::integer(version));
    return StoreValue::dictionary(std::move(entries));
}

bool SavedState::save(KeyValueStore& defaults, KeyValueStore& cloud) {
    // The cloud merge may have brought another machine's further progress
    // into the defaults since this record was loaded, the cloud may hold it
    // still, or bring it while this record is written: writing this record
    // as it is would undo it. A new game gives that progress up by the
    // player's choice; another machine that holds it brings it back at its
    // next save, through the merge.
    bool caughtUp = false;
    const auto write = [&](KeyValueStore& store) {
        if (!startedOver_) {
            if (const std::optional<SavedState> held = storedIn(store, levelCount)) {
                caughtUp = catchUp(*held) || caughtUp;
            }
        }
        store.setObject(Preferences::kStateKey, toStored());
    };
    if (!startedOver_) {
        if (const std::optional<SavedState> held = storedIn(cloud, levelCount)) {
            caughtUp = catchUp(*held);
        }
    }
    if (!defaults.update(write)) {
        platformLog("Error on save state");
    }
    // The cloud copy is a convenience; its store logs its own failures. A
    // record synced in while it was written is merged, and the defaults
    // then take the merged record too.
    const SavedState written = *this;
    cloud.update(write);
    if (!(*this == written) && !defaults.update(write)) {
        platformLog("Error on save state");
    }
    return caughtUp;
}

void SavedState::keepRejected(KeyValueStore& defaults, const StoreValue& stored) {
    defaults.update([&stored](KeyValueStore& store) {
        StoreValue::Array kept;
        if (const StoreValue* earlier = store.object(kRejectedKey)) {
            if (const StoreValue::Array* list = earlier->asArray()) {
                kept = *list;
            } else {
                kept.push_back(*earlier); // hand-made: keep it as the oldest entry
            }
        }
        if (!kept.empty() && kept.back() == stored) {
            return;
        }
        kept.push_back(stored);
        if (kept.size() > kRejectedKept) {
            kept.erase(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(kRejectedKept));
        }
        const std::size_t room = rejectedRecordsWithRoom(store, kept);
        if (room == 0) {
            platformLog("The rejected saved state is not kept under %s after all: with it and a saved state "
                        "the user defaults would be more than the game can write",
                        kRejectedKey);
            return;
        }
        kept.erase(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(room));
        store.setArray(kRejectedKey, std::move(kept));
    });
}

} // namespace ZQ
