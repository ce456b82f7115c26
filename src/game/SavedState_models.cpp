#include "game/SavedState.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "game/GameServiceGateway.h"
#include "levels/LevelModel.h"

#include <algorithm>
#include <limits>

// The record and the models it is copied from and into.

namespace ZQ {

static_assert(SavedState::kLevelSlots == LevelModel::kLevelSlots);
static_assert(SavedState::kGradeCount == LevelModel::kGradeCount);

namespace {

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

void SavedState::capture(const LevelModel& cursor, const Scores& scores, int32_t elapsedFrames) {
    ZQ_ASSERT(level >= 0 && level < levelCount);
    ZQ_ASSERT(scores.grade >= 0 && scores.grade < kGradeCount);
    version = kVersion;
    // The level just left: the cursor already names the next one.
    tangleForlevel[level] = scores.grade;
    const int32_t seconds = elapsedFrames / kFramesPerSecond;
    timerForlevel[level] = seconds >= 2 ? seconds : 1;
    level = cursor.currentIndex();
    difficulty = cursor.difficulty;
    max_level = cursor.max_level;
    points = scores.points;
    tangles = scores.tangles;
    auth_code = authCode(*this);
}

void SavedState::captureChoice(const LevelModel& cursor, const Scores& scores) {
    version = kVersion;
    level = cursor.currentIndex();
    ZQ_ASSERT(level >= 0 && level < levelCount);
    difficulty = cursor.difficulty;
    max_level = cursor.max_level;
    points = scores.points;
    tangles = scores.tangles;
    auth_code = authCode(*this);
}

int32_t SavedState::apply(LevelModel& cursor, Scores& scores, Timer& timer) const {
    LevelModel::Cursor stored;
    stored.difficulty = difficulty;
    stored.level = level;
    stored.max_level = max_level;
    stored.tangleForlevel = tangleForlevel;
    stored.timerForlevel = timerForlevel;
    // Every record here was checked on load or made by capture or reset.
    const bool taken = cursor.loadCursor(stored);
    ZQ_ASSERT(taken);
    scores.points = points;
    scores.tangles = tangles;
    scores.grade = tangleForlevel[level];
    const int32_t limit = cursor.timeLimit();
    const int64_t used = timerForlevel[level];
    // Stored seconds are only known not to be negative: work in 64 bits.
    timer.remainingFrames = clampToInt32((limit - used) * kFramesPerSecond - kFramesPerSecond);
    timer.elapsedFrames = clampToInt32(used * kFramesPerSecond);
    return limit;
}

void SavedState::reportScore(IGameServiceGateway& gateway) const {
    if (!gGlobals.gameCenterAuthenticated) {
        return;
    }
    const LeaderboardScore scores[] = {
        {"velmora.points", points},
        {"velmora.levels", level},
        {"velmora.tangles.golden", tangles[0]},
    };
    gateway.reportScores(scores);
}

} // namespace ZQ
