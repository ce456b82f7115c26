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
// States: 0 clear the share picture; 1 show the points; 2 wait for the
// points and their grains; 3 skip them; 4 show the award; 5 idle until a
// button (the master sets 6 or 7) or a tap in the middle (7); 6 retry: the
// level's points and its knot are taken back; 7 exit animation; 8 wait for
// the points; 9 done.
//
// Ownership: owns nothing; the captions, flows, grains, gauge and tangle it
// shows belong to their models. Threads: main thread only.
class AwardController final : public Controller {
public:
    static constexpr int32_t kRetry = 6;
    static constexpr int32_t kExit = 7;
    static constexpr int32_t kDone = 9;

    explicit AwardController(Preferences& preferences) : preferences(preferences) {}

    // Listens to every model; starts in state 0.
    void setUp() override;
    // Leaves every model; a second call finds nothing to leave.
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == kDone; }
    // A tap inside the middle of the screen (strictly within 0.1 w..0.9 w,
    // 0.3 h..0.7 h) skips the points (state 2) or leaves the award (state 5).
    void tap(PVRTVec2 point, float radius) override;
    // The points screen's continue tile skips the points while they run.
    void onTile(int tileId) override;

    // The metal record of the award knot for a grade (Golden the gold 4,
    // Obsidian the obsidian 0).
    static int32_t metalForGrade(int32_t grade);

    int32_t state = 0;

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
