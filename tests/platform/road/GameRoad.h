#pragma once

#include "GameDataFolder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The road a player takes through the game, written as one input file that
// the headless game replays, with what must hold on the way written beside
// the touches as lines the game skips as comments:
//
//   #@ run FRAMES seed N    a process starts here (the first on a fresh data
//                           folder, each later one a restart on the same
//                           folder), its random choices from seed N, and
//                           draws FRAMES frames, 0 to FRAMES-1; the touches
//                           below, up to the next run, are its, their frames
//                           counted from its start as the game counts them
//   #@ state FRAME S        after frame FRAME the game's flow is in state S
//                           (its number, as --print-states prints it)
//   #@ state FROM-TO S      ... and stays in it through frame TO
//   #@ shot FRAME NAME      frame FRAME is kept as NAME.png
//   #@ saved none           after the run no progress is stored
//   #@ saved FIELD=N ...    after the run the stored record has these values
//                           (level, max_level, points, difficulty, gradeK:
//                           the grade of level K); FIELD>N for at least N+1
//   #@ mode zen|arcade      after the run this game mode is stored
//   #@ tutorial completed   after the run both stores mark the tutorial
//                           completed
//   #@ starts over          the run begins a new game over the stored
//                           progress, which the player so gives up
//
// Ownership: plain values. Threads: the test's thread.
struct RoadRun {
    struct StateCheck {
        long from = 0;
        long to = 0; // from itself for a single frame
        int32_t state = 0;
    };
    struct FieldCheck {
        std::string field;
        bool atLeast = false; // FIELD>N rather than FIELD=N
        int64_t value = 0;
    };

    int line = 0; // of its "#@ run" in the file
    long frames = 0;
    uint64_t seed = 0;
    std::string input; // its touches, one event a line
    std::vector<StateCheck> states;
    std::map<long, std::string> shots;
    bool nothingSaved = false;
    std::vector<FieldCheck> saved;
    std::optional<int64_t> mode;
    bool tutorialCompleted = false;
    bool startsOver = false;
    // The run renders only its shots (and the frames later ones rely on) and
    // steps the others: the flow, the stores and the pictures are the same
    // as when every frame is drawn (ShotsOnlyTest holds it, with this false),
    // and the road's few thousand frames of software GL took many minutes.
    bool drawShotsOnly = true;

    // The game's command line for this run: seeded, printing its states,
    // replaying `inputFile`, its shots written into `shotFolder`.
    std::vector<std::string> arguments(const std::string& inputFile, const std::string& shotFolder) const;
};

// Whether the road is played by one game instead of two side by side
// (VELMORA_ROAD_ONCE set): the sanitized run's, as the two games' agreement
// is the plain build's to check.
bool roadPlayedOnce();

// Reads a road file; false with "FILE:LINE: ..." in `error` at the first
// line it cannot use.
bool readRoad(const std::string& path, std::vector<RoadRun>& runs, std::string& error);

// What one run of the road left.
struct RoadRunResult {
    GameRun run;
    // Each change of the flow's state: frame -> state entered after it.
    std::map<long, int32_t> trail;
    GameDataFolder::Saved saved;
    std::optional<int64_t> mode;    // the game mode stored, when one is
    bool tutorialCompleted = false; // in both stores

    // The flow's state after `frame`, or -1 when none was printed by then.
    int32_t stateAfter(long frame) const;
    // Empty when the flow is in the state `check` names after each of its
    // frames; otherwise the state it was in and the one expected, each by
    // its number and name as --print-states prints them.
    std::string stateMismatch(const RoadRun::StateCheck& check) const;
};

// Plays run `run` of the road on `data`, writing its input into `scratch`
// and its shots into `shotFolder`, and reads back what it left.
RoadRunResult playRoadRun(const GameDataFolder& data, const RoadRun& run, const std::string& scratch,
                          const std::string& shotFolder);

// Whether both stores in `data` mark the tutorial completed.
bool tutorialCompletedIn(const GameDataFolder& data);

// The game mode the user defaults in `data` give the game (arcade when none
// is stored yet); none when there are no defaults or the value is not a number.
std::optional<int64_t> storedMode(const GameDataFolder& data);

// Empty when `record` has every value `checks` name; otherwise what differs.
std::string checkRecord(const ZQ::SavedState& record, const std::vector<RoadRun::FieldCheck>& checks);

// Empty when `after` keeps everything `before` had finished: the levels
// reached, each finished level's grade (which only gets better) and the
// points; otherwise what was lost.
std::string lostProgress(const ZQ::SavedState& before, const ZQ::SavedState& after);
