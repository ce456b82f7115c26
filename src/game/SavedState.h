#pragma once

#include "engine/KeyValueStore.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace ZQ {

class IGameServiceGateway;
class LevelModel;

// The player's progress: current and highest level, difficulty, points,
// knots per grade and the grade and seconds of every level. Stored as a
// dictionary under "zr_state" in the user defaults and the cloud store, with
// "auth_code", an HMAC-SHA1 code over its values, so that a changed or
// damaged record is never played.
//
// A stored record is taken only when every value has its kind and range (a
// level inside the catalogue, no negative count, arrays as long as the
// record's version reads) and its code matches; otherwise the record stays at
// its defaults and the stored one is copied under "zr_state_rejected", so the
// progress can still be recovered by hand.
//
// Of two records the one that reached the higher level wins (the cloud
// merge). A save of a game that continued stored progress takes in a record
// either store holds that reached further (catchUp), so a merge is never
// undone; a new game gives up the stored progress on purpose, and its saves
// write it as it is.
//
// Ownership: a plain record; the engine makes one and keeps it to the end.
// Threads: main thread only.
class SavedState {
public:
    static constexpr int32_t kVersion = 5;
    static constexpr int32_t kGradeCount = 5;   // Golden 0 .. Obsidian 4
    static constexpr int32_t kLevelSlots = 100; // per-level arrays
    static constexpr int32_t kMaxDifficulty = 2;
    static constexpr int32_t kFramesPerSecond = 30;
    static constexpr const char* kRejectedKey = "zr_state_rejected";
    static constexpr std::size_t kRejectedKept = 8; // newest rejected records kept

    // What the points model holds, copied in by capture and out by apply.
    struct Scores {
        int32_t points = 0;
        std::array<int32_t, kGradeCount> tangles{};
        int32_t grade = 0; // of the current level
    };
    // What apply sets on the level timer.
    struct Timer {
        int32_t remainingFrames = 0;
        int32_t elapsedFrames = 0;
    };

    // A default record for a catalogue of `levelCount` levels.
    explicit SavedState(int32_t levelCount);

    // The defaults: level 0, no points, every level Obsidian, no seconds, no
    // code.
    void reset();
    // A new game or the tutorial from the main menu: the defaults, whose
    // saves write them as they are over any progress stored (see save).
    void startOver();
    // Replaces the record with the one stored in `defaults` when it passes
    // every check; otherwise resets it (logged) and keeps the stored one aside.
    // Either way the game continues stored progress. True when a stored
    // record was taken.
    bool load(KeyValueStore& defaults);
    // After a level or the map: the grade and seconds of the level just left
    // (`elapsedFrames` of the timer), the cursor and the scores, and a new code.
    void capture(const LevelModel& cursor, const Scores& scores, int32_t elapsedFrames);
    // After the level map: the level chosen, the cursor and the scores, and a
    // new code. No level was played, so no level's grade or seconds change:
    // the points model then holds the grade the map showed, which capture
    // would write into the slot of the level saved before the map.
    void captureChoice(const LevelModel& cursor, const Scores& scores);
    // Copies the record into the cursor, the scores and the timer; returns the
    // current level's time limit in seconds.
    int32_t apply(LevelModel& cursor, Scores& scores, Timer& timer) const;
    // Writes the record to both stores as they are in memory and synchronizes
    // them, the user defaults first. Unless the record was started over, a
    // record either store holds that reached a higher level is taken in first
    // (catchUp); true when that changed the record, which the models must
    // then be given again. The game saves through CloudMerge::save, which
    // reads the cloud file first.
    bool save(KeyValueStore& defaults, KeyValueStore& cloud);
    // Whether `other` reached a higher level than this record.
    bool isBehind(const SavedState& other) const;
    // Takes in `further` when it reached a higher level and says whether it
    // did: its highest level, the higher of each count and each level's
    // better result from both. The player goes on from this record's level.
    bool catchUp(const SavedState& further);
    // Whether the record began as a new game rather than from stored progress.
    bool startedOver() const { return startedOver_; }
    // Points, level and Golden knots to their leaderboards, when a player is
    // logged in to the game service.
    void reportScore(IGameServiceGateway& gateway) const;

    // The record as stored under "zr_state".
    StoreValue toStored() const;
    // The record in `stored` when it passes every check load makes, else
    // nothing and `why` says which check failed.
    static std::optional<SavedState> fromStored(const StoreValue& stored, int32_t levelCount,
                                                std::string& why);
    // The record `store` holds under "zr_state" when it passes every check.
    static std::optional<SavedState> storedIn(const KeyValueStore& store, int32_t levelCount);
    // Appends `stored` to the rejected records in `defaults` (unless it is the
    // newest there already) and synchronizes. The oldest are left out where
    // the defaults could not be written with them beside a saved record, and
    // `stored` itself when even alone it leaves no room (rejectedRecordsWithRoom).
    static void keepRejected(KeyValueStore& defaults, const StoreValue& stored);

    // The text the code is computed over: the values the version covers,
    // each in decimal followed by "-".
    static std::string authMessage(const SavedState& record);
    // Base64 of HMAC-SHA1(message) written at the start of 80 zero bytes: 108 characters.
    static std::string authCode(const SavedState& record);

    bool operator==(const SavedState&) const = default;

    int32_t version = kVersion;
    int32_t level = 0;
    int32_t points = 0;
    int32_t max_level = 0;
    int32_t difficulty = 0;
    std::array<int32_t, kGradeCount> tangles{};
    std::array<int32_t, kLevelSlots> tangleForlevel{};
    std::array<int32_t, kLevelSlots> timerForlevel{};
    std::string auth_code;

private:
    int32_t levelCount;
    bool startedOver_ = false;
};

} // namespace ZQ
