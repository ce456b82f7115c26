#pragma once

#include "engine/KeyValueStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ {

class SavedState;

// Brings progress made on another machine into this one: when the cloud
// store reports keys changed elsewhere, the tutorial flag is OR-ed into the
// user defaults and the cloud's saved state replaces the local one only when
// it passes every check of a load and reached a higher level. Progress is
// never lowered, and a local record that fails its own check is kept aside
// before it is replaced. The game sees the result at its next load, and its
// next save takes it in (SavedState::save).
//
// Changes are looked for at start (as an initial sync), when the game comes
// back to the foreground, every kPollFrames frames and before every save.
//
// Ownership: holds references to the two stores, which outlive it.
// Threads: main thread only (it touches the stores, never engine objects).
class CloudMerge {
public:
    // Why the cloud store changed; only the first two are merged.
    enum ChangeReason : int64_t {
        ServerChange = 0,
        InitialSyncChange = 1,
        QuotaViolationChange = 2,
        AccountChange = 3,
    };
    static constexpr int32_t kPollFrames = 90; // three seconds

    CloudMerge(KeyValueStore& defaults, KeyValueStore& cloud, int32_t levelCount)
        : defaults(defaults), cloud(cloud), levelCount(levelCount) {}

    // Launch: everything the cloud store holds counts as an initial sync.
    void start();
    // Merges whatever another writer changed in the cloud store.
    void checkForChanges();
    // Once a frame: checks every kPollFrames frames.
    void doStep();
    // The game's save: merges the cloud file as it is on disk now, then
    // saves `record` (SavedState::save), so a record another machine synced
    // in since the last check is taken in, never written over. True when the
    // record took in further progress.
    bool save(SavedState& record);

    // Merges `changedKeys` of the cloud store into the user defaults. A
    // missing reason, or one above InitialSyncChange, changes nothing.
    void storeDidChange(std::optional<int64_t> reason, const std::vector<std::string>& changedKeys);

private:
    void mergeTutorialFlag();
    void mergeSavedState();

    KeyValueStore& defaults;
    KeyValueStore& cloud;
    int32_t levelCount;
    int32_t framesSinceCheck = 0;
};

} // namespace ZQ
