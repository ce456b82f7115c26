#include "game/SavedState.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/PlatformLog.h"
#include "engine/Preferences.h"
#include "game/GameServiceGateway.h"
#include "levels/LevelModel.h"

#include <algorithm>
#include <limits>

namespace ZQ {

static_assert(SavedState::kLevelSlots == LevelModel::kLevelSlots);
static_assert(SavedState::kGradeCount == LevelModel::kGradeCount);

namespace {

constexpr int32_t kObsidian = SavedState::kGradeCount - 1;

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

SavedState::SavedState(int32_t levelCount) : levelCount(levelCount) {
    ZQ_ASSERT(levelCount > 0 && levelCount <= kLevelSlots);
    reset();
}

void SavedState::reset() {
    version = kVersion;
    level = 0;
    points = 0;
    max_level = 0;
    difficulty = 0;
    tangles.fill(0);
    tangleForlevel.fill(kObsidian);
    timerForlevel.fill(0);
    auth_code.clear();
}

bool SavedState::load(KeyValueStore& defaults) {
    reset();
    const StoreValue* stored = defaults.object(Preferences::kStateKey);
    if (stored == nullptr) {
        platformLog("Error on load state");
        return false;
    }
    std::string why;
    std::optional<SavedState> checked = fromStored(*stored, levelCount, why);
    if (!checked) {
        platformLog("%s; the saved state is kept under %s", why.c_str(), kRejectedKey);
        const StoreValue rejected = *stored; // keepRejected changes the store under the pointer
        keepRejected(defaults, rejected);
        return false;
    }
    *this = *checked;
    return true;
}

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

StoreValue SavedState::toStored() const {
    StoreValue::Dictionary entries;
    entries.emplace("level", StoreValue::integer(level));
    entries.emplace("max_level", StoreValue::integer(max_level));
    entries.emplace("auth_code", StoreValue::string(auth_code));
    entries.emplace("points", StoreValue::integer(points));
    entries.emplace("tangles", StoreValue::integers(tangles.data(), tangles.size()));
    entries.emplace("tangleForlevel", StoreValue::integers(tangleForlevel.data(), tangleForlevel.size()));
    entries.emplace("timerForlevel", StoreValue::integers(timerForlevel.data(), timerForlevel.size()));
    entries.emplace("difficulty", StoreValue::integer(difficulty));
    entries.emplace("version", StoreValue::integer(version));
    return StoreValue::dictionary(std::move(entries));
}

void SavedState::save(KeyValueStore& defaults, KeyValueStore& cloud) const {
    const StoreValue stored = toStored();
    defaults.setObject(Preferences::kStateKey, stored);
    if (!defaults.synchronize()) {
        platformLog("Error on save state");
    }
    // The cloud copy is a convenience; its store logs its own failures.
    cloud.setObject(Preferences::kStateKey, stored);
    cloud.synchronize();
}

void SavedState::reportScore(IGameServiceGateway& gateway) const {
    if (!gGlobals.gameCenterAuthenticated) {
        return;
    }
    gateway.reportScore(points, "velmora.points");
    gateway.reportScore(level, "velmora.levels");
    gateway.reportScore(tangles[0], "velmora.tangles.golden");
}

void SavedState::keepRejected(KeyValueStore& defaults, const StoreValue& stored) {
    StoreValue::Array kept;
    if (const StoreValue* earlier = defaults.object(kRejectedKey)) {
        if (const StoreValue::Array* list = earlier->asArray()) {
            kept = *list;
        } else {
            kept.push_back(*earlier); // hand-made: keep it as the oldest entry
        }
    }
    if (!kept.empty() && kept.back() == stored) {
        return;
    }
    kept.push_back(stored);
    if (kept.size() > kRejectedKept) {
        kept.erase(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(kRejectedKept));
    }
    defaults.setArray(kRejectedKey, std::move(kept));
    defaults.synchronize();
}

} // namespace ZQ
