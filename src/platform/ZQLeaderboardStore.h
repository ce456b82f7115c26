#pragma once

#include "engine/PlistFileStore.h"
#include "game/GameServiceGateway.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The local game service's leaderboards, "leaderboards.plist" in the data
// folder. Each board is a dictionary under its identifier:
//
//   best      integer  the highest value ever reported (never lowered)
//   bestDate  string   when it was first reported, "YYYY-MM-DDTHH:MM:SSZ"
//   recent    array    the last 100 reports, oldest first, each a
//                      dictionary of value (integer) and date (string)
//
// and "player" holds the operating-system user who last logged in. A board
// the game did not write (another kind, or a longer date) is logged and
// starts afresh at the next report, the others keeping theirs. A report or a
// login that finds another writer's change first is made anew over it.
//
// Ownership: owns its file store. Threads: main thread only.
class ZQLeaderboardStore {
public:
    static constexpr std::size_t kRecentKept = 100;
    static constexpr const char* kPlayerKey = "player";
    // The longest player name and date the file takes: a login name is at
    // most 32 bytes where accounts are made with the system's tools, and a
    // date 20 (utcDate) until the year 10000.
    static constexpr std::size_t kPlayerMaxBytes = 256;
    static constexpr std::size_t kDateMaxBytes = 32;

    struct Entry {
        int64_t value = 0;
        std::string date;
        bool operator==(const Entry&) const = default;
    };
    struct Board {
        std::optional<Entry> best;
        std::vector<Entry> recent; // oldest first
    };

    ZQLeaderboardStore(ZQ::PlistFileStore::Place folder, const std::string& name);
    explicit ZQLeaderboardStore(const std::string& path);

    const std::string& path() const { return store.path(); }
    // The file's store, whose refusal and unsaved changes the game's start
    // and end ask for.
    ZQ::KeyValueStore& file() { return store; }

    // The file at its widest: the player, and every board full of the widest
    // numbers and dates. A board read in keeps no more reports, of dates no
    // longer, so no report makes one larger.
    static const ZQ::PlistRoom& writtenRoom();

    // Records who plays (a name of at most kPlayerMaxBytes); true while the
    // file does not refuse. A write that fails is tried again with the next.
    bool signIn(const std::string& player);
    // Adds the scores, every board in one write; false (logged by the file
    // store) when the write failed, the scores kept for the next.
    bool report(std::span<const ZQ::LeaderboardScore> scores, const std::string& date);

    // The board under `identifier` as the file holds it (empty when absent
    // or not one this game wrote).
    Board board(std::string_view identifier) const;
    // The boards' text for the leaderboard screen, newest reports first.
    std::string summary() const;

    // `when` as the boards' dates write it.
    static std::string utcDate(std::time_t when);

private:
    ZQ::PlistFileStore store;
};
