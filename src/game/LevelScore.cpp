#include "game/LevelScore.h"

#include "engine/Assert.h"
#include "levels/LevelModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace ZQ {

namespace {

// The first level each move curve applies from; levels at and past the last
// threshold use the last curve.
struct CurveStep {
    int32_t threshold;
    int32_t curve;
};

// clang-format off
constexpr std::array<CurveStep, 9> kCurveSteps = {{
    // threshold  curve
    {0,           0},  // 0
    {10,          1},  // 1
    {25,          2},  // 2
    {26,          1},  // 3
    {30,          2},  // 4
    {34,          3},  // 5
    {44,          4},  // 6
    {54,          5},  // 7
    {64,          6},  // 8
}};
// clang-format on
static_assert(kCurveSteps.size() == 9);

// Moves to play factor: the first loose stretch grows with the curve, so
// harder knots may take more moves for the same share of the points.
// clang-format off
const std::array<LevelScore::Curve, 7>& moveCurves() {
    static const std::array<LevelScore::Curve, 7> curves = {{
        {{0, 1.0f}, {10, 0.8f},  {20, 0.6f}, {30, 0.4f},  {40, 0.2f},  {150, 0.0f}},              // 0
        {{0, 1.0f}, {10, 0.95f}, {20, 0.8f}, {30, 0.6f},  {40, 0.4f},  {50, 0.2f},  {150, 0.0f}}, // 1
        {{0, 1.0f}, {15, 0.93f}, {25, 0.8f}, {45, 0.6f},  {60, 0.4f},  {70, 0.2f},  {150, 0.0f}}, // 2
        {{0, 1.0f}, {25, 0.91f}, {35, 0.8f}, {55, 0.6f},  {70, 0.4f},  {80, 0.2f},  {150, 0.0f}}, // 3
        {{0, 1.0f}, {35, 0.89f}, {45, 0.8f}, {65, 0.6f},  {80, 0.4f},  {90, 0.2f},  {150, 0.0f}}, // 4
        {{0, 1.0f}, {45, 0.88f}, {55, 0.8f}, {75, 0.6f},  {90, 0.4f},  {100, 0.2f}, {150, 0.0f}}, // 5
        {{0, 1.0f}, {70, 0.86f}, {80, 0.8f}, {100, 0.6f}, {120, 0.4f}, {140, 0.2f}, {150, 0.0f}}, // 6
    }};
    return curves;
}
// clang-format on

const LevelScore::Curve& timeCurve() {
    static const LevelScore::Curve curve = {{0.0f, 0.0f}, {LevelScore::kFullTimeSeconds, 1.0f}};
    return curve;
}

int32_t truncated(float x) {
    return static_cast<int32_t>(std::trunc(x));
}

} // namespace

float LevelScore::lookUp(const Curve& curve, float x) {
    ZQ_ASSERT(!curve.empty());
    if (x < curve.front().first) {
        return curve.front().second;
    }
    if (x > curve.back().first) {
        return curve.back().second;
    }
    // The last point whose x is not above x.
    const auto above =
        std::upper_bound(curve.begin(), curve.end(), x,
                         [](float value, const std::pair<float, float>& p) { return value < p.first; });
    const auto k = std::prev(above);
    if (above == curve.end()) {
        return k->second;
    }
    return k->second + (above->second - k->second) * (x - k->first) / (above->first - k->first);
}

int32_t LevelScore::moveCurveIndex(int32_t level) {
    if (level < 0) {
        return kCurveSteps.front().curve;
    }
    int32_t curve = kCurveSteps.front().curve;
    for (const CurveStep& step : kCurveSteps) {
        if (step.threshold <= level) {
            curve = step.curve;
        }
    }
    return curve;
}

const LevelScore::Curve& LevelScore::moveCurve(int32_t index) {
    ZQ_ASSERT(index >= 0 && index < static_cast<int32_t>(moveCurves().size()));
    return moveCurves()[static_cast<size_t>(index)];
}

float LevelScore::timeFactor(GameMode mode, int32_t remainingFrames) {
    if (mode == ZenMode) {
        return kZenTimeFactor;
    }
    // A timer read after it ran out counts as no time left, never as less.
    const int32_t seconds = std::max(remainingFrames, 0) / kFramesPerSecond;
    return lookUp(timeCurve(), static_cast<float>(seconds));
}

LevelScore LevelScore::score(int32_t level, int32_t moves, GameMode mode, int32_t remainingFrames,
                             const std::vector<std::pair<float, float>>& gradeTable) {
    LevelScore s;
    s.basePoints = 1100 + 100 * level;
    const float base = static_cast<float>(s.basePoints);

    // The move count shown saturates at kMaxMoves; a count from anywhere
    // else is held to the same range.
    const int32_t counted = std::clamp(moves, 0, kMaxMoves);
    const float playFactor = lookUp(moveCurve(moveCurveIndex(level)), static_cast<float>(counted));
    const int32_t p1 = truncated(playFactor * base);
    s.scorePoints = truncated(static_cast<float>(p1 / 5) * 4.5f);

    const int32_t p2 = truncated(timeFactor(mode, remainingFrames) * base);
    s.timePoints = truncated(static_cast<float>(p2 / 5) * 0.5f);

    s.levelPoints = s.scorePoints + s.timePoints;
    s.grade = static_cast<int32_t>(
        LevelModel::gradeForFraction(gradeTable, static_cast<float>(s.levelPoints) / base));
    return s;
}

} // namespace ZQ
