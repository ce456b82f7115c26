#include "levels/LevelModel.h"

#include "engine/Assert.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace ZQ {

namespace {

struct Step {
    float threshold; // first level index of the step
    int32_t value;
};

// Seconds allowed, by level index.
// clang-format off
constexpr std::array<Step, 13> kTimeLimits = {{
    { 0.0f, 31},
    {11.0f, 36},
    {17.0f, 41},
    {23.0f, 46},
    {29.0f, 51},
    {34.0f, 56},
    {39.0f, 61},
    {44.0f, 66},
    {49.0f, 71},
    {54.0f, 76},
    {59.0f, 81},
    {64.0f, 86},
    {69.0f, 91},
}};
static_assert(kTimeLimits.size() == 13);

// Grade band, by level index: later levels tell more grades apart.
constexpr std::array<Step, 4> kGradeBands = {{
    { 0.0f, 0},
    {10.0f, 1},
    {20.0f, 2},
    {40.0f, 3},
}};
static_assert(kGradeBands.size() == 4);

using GradePair = std::pair<float, float>; // (upper fraction of the base points, grade)

const std::array<std::vector<GradePair>, 4> kBands = {{
    {                                                    {0.7f, 1.0f}, {1.0f, 0.0f}},
    {                                      {0.6f, 2.0f}, {0.8f, 1.0f}, {1.0f, 0.0f}},
    {                        {0.4f, 3.0f}, {0.6f, 2.0f}, {0.8f, 1.0f}, {1.0f, 0.0f}},
    {          {0.2f, 4.0f}, {0.4f, 3.0f}, {0.6f, 2.0f}, {0.8f, 1.0f}, {1.0f, 0.0f}},
}};
// clang-format on

// The value of the last step whose threshold is not above i.
template <std::size_t N> int32_t stepValue(const std::array<Step, N>& steps, int32_t i) {
    const float x = static_cast<float>(i);
    if (x < steps.front().threshold) {
        return steps.front().value;
    }
    const auto above = std::upper_bound(steps.begin(), steps.end(), x,
                                        [](float value, const Step& s) { return value < s.threshold; });
    return (above - 1)->value;
}

} // namespace

int32_t LevelModel::currentIndex() const {
    const int32_t n = levelCount();
    ZQ_ASSERT(n > 0);
    // level may come from stored data: never let a negative value pick a
    // negative index.
    const int32_t r = level % n;
    return r < 0 ? r + n : r;
}

const LevelModel::Level& LevelModel::currentLevel() const {
    return levels[currentIndex()];
}

int32_t LevelModel::timeLimit() const {
    return stepValue(kTimeLimits, currentIndex());
}

std::vector<std::pair<float, float>> LevelModel::gradeTable() const {
    return kBands[stepValue(kGradeBands, currentIndex())];
}

int32_t LevelModel::basePoints() const {
    return 1100 + 100 * currentIndex();
}

uint32_t LevelModel::gradeForPoints(int32_t points) const {
    const float x = static_cast<float>(points) / static_cast<float>(basePoints());
    return gradeForFraction(gradeTable(), x);
}

uint32_t LevelModel::gradeForFraction(const std::vector<std::pair<float, float>>& table, float x) {
    ZQ_ASSERT(!table.empty());
    // Written so that a NaN fraction falls into the first case: the worst
    // grade, never an index past the table.
    if (!(x >= table.front().first)) {
        return static_cast<uint32_t>(table.front().second);
    }
    if (x > table.back().first) {
        return static_cast<uint32_t>(table.back().second);
    }
    // The last pair whose fraction is not above x: exactly on it earns its
    // grade, between it and the next earns the next one's.
    const auto above = std::upper_bound(table.begin(), table.end(), x,
                                        [](float value, const GradePair& p) { return value < p.first; });
    const auto atOrBelow = above - 1;
    const GradePair& chosen = (x == atOrBelow->first) ? *atOrBelow : *above;
    return static_cast<uint32_t>(chosen.second);
}

void LevelModel::advanceLevel() {
    level = (currentIndex() + 1) % levelCount();
    max_level = std::max(max_level, level);
}

void LevelModel::unlockNextLevel() {
    max_level = std::max(max_level, (currentIndex() + 1) % levelCount());
}

bool LevelModel::chooseLevel(int32_t index) {
    if (index < 0 || index >= levelCount()) {
        return false;
    }
    level = index;
    return true;
}

int32_t LevelModel::maxDifficulty() const {
    ZQ_ASSERT(!difficultyTable.empty());
    return static_cast<int32_t>(difficultyTable.back().first);
}

void LevelModel::raiseDifficulty() {
    difficulty = std::min(difficulty + 1, maxDifficulty());
}

LevelModel::Cursor LevelModel::cursor() const {
    Cursor c;
    c.difficulty = difficulty;
    c.level = level;
    c.max_level = max_level;
    std::copy(std::begin(tangleForlevel), std::end(tangleForlevel), c.tangleForlevel.begin());
    std::copy(std::begin(timerForlevel), std::end(timerForlevel), c.timerForlevel.begin());
    return c;
}

bool LevelModel::loadCursor(const Cursor& stored) {
    const auto isLevel = [this](int32_t i) { return i >= 0 && i < levelCount(); };
    if (!isLevel(stored.level) || !isLevel(stored.max_level)) {
        return false;
    }
    if (stored.difficulty < 0 || stored.difficulty > maxDifficulty()) {
        return false;
    }
    // Grades name pictures and leaderboard counters; one past Obsidian would
    // index past their tables.
    for (int32_t grade : stored.tangleForlevel) {
        if (grade < 0 || grade >= kGradeCount) {
            return false;
        }
    }
    difficulty = stored.difficulty;
    level = stored.level;
    max_level = stored.max_level;
    std::copy(stored.tangleForlevel.begin(), stored.tangleForlevel.end(), std::begin(tangleForlevel));
    std::copy(stored.timerForlevel.begin(), stored.timerForlevel.end(), std::begin(timerForlevel));
    return true;
}

} // namespace ZQ
