#pragma once

#include "engine/Controller.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

class Preferences;

// The screen after a solved level: the points animation with its skip
// button, then the award itself (the grade's name hanging across the top as
// flowing letters, a metal knot of the level's shape revealed and spinning
// in the room, the total points and the award buttons), a one-time request
// for a store review, and the exit animation when the player leaves for the
// next level, a retry or the map.
//
// Ownership: owns nothing; the captions, flows, grains, gauge and tangle it
// shows belong to their models. Threads: main thread only.
class AwardController final : public Controller {
public:
    // The states, as `state` holds them when doStep starts. The numbers are
    // the ones --print-states prints beside the names, so they stay as they
    // are. No name is a tile id's: the master answers the retry tile with
    // TakeBackScore and the other award tiles with StartExit.
    // clang-format off
    enum class State : int32_t {
        ClearSnapshot = 0, // the last level's share picture dropped -> ShowPoints
        ShowPoints    = 1, // the points start counting -> PointsRun
        PointsRun     = 2, // waits for the count and its grains -> ShowAward; skipped -> SkipPoints
        SkipPoints    = 3, // the count and its grains end at once -> ShowAward
        ShowAward     = 4, // the total, the grade's name, the knot and the buttons come -> AwaitChoice
        AwaitChoice   = 5, // waits for an award tile (the master sets the next state) or a tap -> StartExit
        TakeBackScore = 6, // the retried level's points and knot go back -> StartExit
        StartExit     = 7, // the knot, the grade's name, the totals and the buttons leave -> ExitRuns
        ExitRuns      = 8, // waits for the totals to leave -> Done
        Done          = 9, // the master moves on
    };
    // clang-format on
    static constexpr int32_t kStateCount = static_cast<int32_t>(State::Done) + 1;

    // The state's name as --print-states prints it, its enumerator's
    // spelling; empty for a value that is no state.
    static const char* stateName(State state);

    explicit AwardController(Preferences& preferences) : preferences(preferences) {}

    // Listens to every model; starts at ClearSnapshot.
    void setUp() override;
    // Leaves every model; a second call finds nothing to leave.
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == State::Done; }
    // A tap inside the middle of the screen (strictly within 0.1 w..0.9 w,
    // 0.3 h..0.7 h) skips the points while they run or leaves the award
    // from its choice.
    void tap(PVRTVec2 point, float radius) override;
    // The points screen's continue tile skips the points while they run.
    void onTile(int tileId) override;

    // The metal record of the award knot for a grade (Golden the gold 4,
    // Obsidian the obsidian 0).
    static int32_t metalForGrade(int32_t grade);

    State state = State::ClearSnapshot;

private:
    void showPoints();
    void skipPoints();
    void showAward();
    void requestReview();
    void exitAnimation();

    Preferences& preferences;
    bool listening = false;
    int32_t gradeFlowId = -1; // the grade's flowing caption
};

} // namespace ZQ
