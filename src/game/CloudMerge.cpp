#include "game/CloudMerge.h"

#include "engine/Log.h"
#include "engine/Preferences.h"
#include "game/SavedState.h"

#include <algorithm>

namespace ZQ {

namespace {

bool contains(const std::vector<std::string>& keys, const char* key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

} // namespace

void CloudMerge::start() {
    // Changes found before the start are part of the initial sync.
    cloud.pullExternalChanges();
    std::vector<std::string> keys;
    for (const auto& entry : cloud.contents()) {
        keys.push_back(entry.first);
    }
    storeDidChange(InitialSyncChange, keys);
}

void CloudMerge::checkForChanges() {
    const std::vector<std::string> keys = cloud.pullExternalChanges();
    if (!keys.empty()) {
        storeDidChange(ServerChange, keys);
    }
}

void CloudMerge::doStep() {
    if (++framesSinceCheck >= kPollFrames) {
        framesSinceCheck = 0;
        checkForChanges();
    }
}

bool CloudMerge::save(SavedState& record) {
    checkForChanges();
    return record.save(defaults, cloud);
}

void CloudMerge::storeDidChange(std::optional<int64_t> reason, const std::vector<std::string>& changedKeys) {
    // Quota violations and account changes say nothing about progress.
    if (!reason || static_cast<uint64_t>(*reason) > InitialSyncChange) {
        return;
    }
    if (contains(changedKeys, Preferences::kTutorialCompletedKey)) {
        mergeTutorialFlag();
    }
    if (contains(changedKeys, Preferences::kStateKey)) {
        mergeSavedState();
    }
}

void CloudMerge::mergeTutorialFlag() {
    const bool remote = cloud.boolForKey(Preferences::kTutorialCompletedKey);
    defaults.update([remote](KeyValueStore& store) {
        store.setBool(Preferences::kTutorialCompletedKey,
                      store.boolForKey(Preferences::kTutorialCompletedKey) || remote);
    });
}

void CloudMerge::mergeSavedState() {
    const StoreValue* remoteStored = cloud.object(Preferences::kStateKey);
    if (remoteStored == nullptr) {
        // Nothing to bring in; a local record stays as it is.
        return;
    }
    std::string why;
    const std::optional<SavedState> remote = SavedState::fromStored(*remoteStored, levelCount, why);
    if (!remote) {
        platformLog("Cloud saved state not taken: %s", why.c_str());
        return;
    }
    // The record as the game writes it: whatever else the stored dictionary
    // holds would take the room the defaults keep for a saved record.
    const StoreValue incoming = remote->toStored();
    defaults.update([&](KeyValueStore& store) {
        if (const StoreValue* localStored = store.object(Preferences::kStateKey)) {
            const std::optional<SavedState> local = SavedState::fromStored(*localStored, levelCount, why);
            if (local && !local->isBehind(*remote)) {
                return;
            }
            if (!local) {
                // A copy: keeping a record aside changes the store under the pointer.
                const StoreValue rejected = *localStored;
                SavedState::keepRejected(store, rejected);
            }
        }
        store.setObject(Preferences::kStateKey, incoming);
    });
}

} // namespace ZQ
