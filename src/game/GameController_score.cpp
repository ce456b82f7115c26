#include "game/GameController.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "game/LevelScore.h"
#include "levels/LevelModel.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/TimerModel.h"

#include <algorithm>

namespace ZQ {

namespace {

// The last scored solve still counts in the points model: a take-back
// undoes it once, never twice.
bool lastSolveCounted = false;

} // namespace

int32_t GameController::scoreLevel() {
    ZQ_ASSERT(gGlobals.pointsModel != nullptr);
    PointsModel& points = *gGlobals.pointsModel;
    const LevelModel& levels = *gGlobals.levelModel;
    const LevelScore s = LevelScore::score(levels.currentIndex(), gGlobals.scoreModel->count,
                                           Preferences::shared().getGameMode(),
                                           gGlobals.timerModel->remaining, levels.gradeTable());
    points.basePoints = s.basePoints;
    points.flowId = -1;
    points.scorePoints = s.scorePoints;
    points.timePoints = s.timePoints;
    points.levelPoints = s.levelPoints;
    points.previousPoints = points.points;
    points.points = std::max(0, points.previousPoints + points.levelPoints);
    points.grade = s.grade;
    points.tangles[s.grade] += 1;
    lastSolveCounted = true;
    return s.grade;
}

void GameController::takeBackLevelScore() {
    ZQ_ASSERT(gGlobals.pointsModel != nullptr);
    if (!lastSolveCounted) {
        return;
    }
    lastSolveCounted = false;
    PointsModel& points = *gGlobals.pointsModel;
    points.points = points.previousPoints;
    // The solve counted one knot of its grade; the replay will count its own.
    int32_t& counted = points.tangles[points.grade];
    counted = std::max(0, counted - 1);
}

} // namespace ZQ
