#pragma once

#include "engine/Preferences.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace ZQ {

// The arithmetic of a solved level's points and grade: how many points the
// play earned (fewer the more moves it took, on a curve that loosens as the
// levels get harder), how many the time left earned, and the grade their sum
// reaches in the level's grade table. The game controller writes the result
// into the points model; nothing here touches a model.
struct LevelScore {
    // A curve of (x, factor) points, x rising.
    using Curve = std::vector<std::pair<float, float>>;

    static constexpr int32_t kMaxMoves = 150;     // the move count saturates here
    static constexpr float kZenTimeFactor = 0.1f; // the time factor without a timer
    static constexpr float kFullTimeSeconds = 90; // seconds left that earn every time point
    static constexpr int32_t kFramesPerSecond = 30;

    int32_t basePoints = 0;
    int32_t scorePoints = 0;
    int32_t timePoints = 0;
    int32_t levelPoints = 0;
    int32_t grade = 0;

    // The factor at x: the first factor before the first point, the last
    // after the last, linear between the two points around x.
    static float lookUp(const Curve& curve, float x);
    // Which of the move curves level `level` (already modulo the level
    // count) is scored on.
    static int32_t moveCurveIndex(int32_t level);
    static const Curve& moveCurve(int32_t index);
    // The time factor: the whole seconds of `remainingFrames` on the curve
    // (0, 0) (90, 1) in ArcadeMode, kZenTimeFactor in ZenMode.
    static float timeFactor(GameMode mode, int32_t remainingFrames);

    // The score of level `level` (modulo the level count) solved in `moves`
    // moves, in `mode`, with `remainingFrames` on the timer, graded on
    // `gradeTable`.
    static LevelScore score(int32_t level, int32_t moves, GameMode mode, int32_t remainingFrames,
                            const std::vector<std::pair<float, float>>& gradeTable);
};

} // namespace ZQ
