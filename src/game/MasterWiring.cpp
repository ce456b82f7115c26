#include "game/MasterWiring.h"

#include "engine/Globals.h"
#include "overlays/PointsModel.h"
#include "overlays/TimerModel.h"

#include <algorithm>

namespace ZQ {

namespace {

// The scores as the points model holds them; zero without one.
SavedState::Scores pointsScores() {
    SavedState::Scores scores;
    const PointsModel* points = gGlobals.pointsModel;
    if (points == nullptr) {
        return scores;
    }
    scores.points = points->points;
    std::copy(std::begin(points->tangles), std::end(points->tangles), scores.tangles.begin());
    scores.grade = points->grade;
    return scores;
}

void setPointsScores(const SavedState::Scores& scores) {
    PointsModel* points = gGlobals.pointsModel;
    if (points == nullptr) {
        return;
    }
    points->points = scores.points;
    std::copy(scores.tangles.begin(), scores.tangles.end(), std::begin(points->tangles));
    points->grade = scores.grade;
}

int32_t timerElapsed() {
    return gGlobals.timerModel != nullptr ? gGlobals.timerModel->elapsed : 0;
}

void setTimer(const SavedState::Timer& timer) {
    if (TimerModel* model = gGlobals.timerModel) {
        model->remaining = timer.remainingFrames;
        model->elapsed = timer.elapsedFrames;
    }
}

} // namespace

MasterWiring gameWiring() {
    MasterWiring wiring;
    wiring.readScores = &pointsScores;
    wiring.writeScores = &setPointsScores;
    wiring.elapsedFrames = &timerElapsed;
    wiring.writeTimer = &setTimer;
    return wiring;
}

} // namespace ZQ
