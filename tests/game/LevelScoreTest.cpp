#include "game/LevelScore.h"
#include "levels/LevelModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ZQ::LevelScore;

class LevelScoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { catalogue = new ZQ::LevelModel(); }
    static void TearDownTestSuite() {
        delete catalogue;
        catalogue = nullptr;
    }

    static LevelScore scoreAt(int32_t level, int32_t moves, ZQ::GameMode mode, int32_t frames) {
        catalogue->level = level;
        return LevelScore::score(level, moves, mode, frames, catalogue->gradeTable());
    }

    static inline ZQ::LevelModel* catalogue = nullptr;
};

TEST_F(LevelScoreTest, TenMovesAtLevelZeroWithTwentySecondsLeftScore816AndGolden) {
    // By hand: 10 moves on the first curve is the factor 0.8, 880 points,
    // 176 fifths, 792 for the play; 600 frames are 20 s, 20 / 90 of 1100 is
    // 244, 48 fifths, 24 for the time.
    const LevelScore s = scoreAt(0, 10, ZQ::ArcadeMode, 600);
    EXPECT_EQ(s.basePoints, 1100);
    EXPECT_EQ(s.scorePoints, 792);
    EXPECT_EQ(s.timePoints, 24);
    EXPECT_EQ(s.levelPoints, 816);
    EXPECT_EQ(s.grade, 0); // Golden
}

TEST_F(LevelScoreTest, APerfectRunEarnsTheBasePointsAtEveryLevel) {
    for (int32_t level = 0; level < catalogue->levelCount(); ++level) {
        for (int32_t frames : {90 * 30, 91 * 30 - 30, 5000}) {
            const LevelScore s = scoreAt(level, 0, ZQ::ArcadeMode, frames);
            const int32_t fifth = s.basePoints / 5;
            EXPECT_EQ(s.basePoints, 1100 + 100 * level);
            EXPECT_EQ(s.scorePoints, static_cast<int32_t>(std::trunc(fifth * 4.5f))) << level;
            EXPECT_EQ(s.timePoints, static_cast<int32_t>(std::trunc(fifth * 0.5f))) << level;
            // B is a multiple of 5 and 4.5 + 0.5 fifths make it whole again.
            EXPECT_EQ(s.levelPoints, s.basePoints) << level;
            EXPECT_EQ(s.grade, 0) << level;
        }
    }
}

TEST_F(LevelScoreTest, MovesPastTheSaturationScoreNothingForThePlayOnEveryCurve) {
    for (int32_t level = 0; level < catalogue->levelCount(); ++level) {
        for (int32_t moves : {150, 151, 1000}) {
            const LevelScore s = scoreAt(level, moves, ZQ::ArcadeMode, 0);
            EXPECT_EQ(s.scorePoints, 0) << level << " " << moves;
            EXPECT_EQ(s.levelPoints, s.timePoints);
        }
        // Fewer moves never score less.
        int32_t previous = scoreAt(level, 0, ZQ::ArcadeMode, 0).scorePoints;
        for (int32_t moves = 1; moves <= 150; ++moves) {
            const int32_t points = scoreAt(level, moves, ZQ::ArcadeMode, 0).scorePoints;
            EXPECT_LE(points, previous) << level << " " << moves;
            previous = points;
        }
    }
}

TEST_F(LevelScoreTest, TimeLeftCountsInWholeSecondsAndNeverBelowZero) {
    const LevelScore none = scoreAt(3, 20, ZQ::ArcadeMode, 0);
    EXPECT_EQ(none.timePoints, 0);
    // A timer read after it ran out scores as no time at all.
    for (int32_t frames : {-1, -29, -30, -3000}) {
        const LevelScore late = scoreAt(3, 20, ZQ::ArcadeMode, frames);
        EXPECT_EQ(late.timePoints, 0) << frames;
        EXPECT_EQ(late.levelPoints, none.levelPoints) << frames;
    }
    // 29 frames are no whole second; 59 are one.
    EXPECT_EQ(LevelScore::timeFactor(ZQ::ArcadeMode, 29), 0.0f);
    EXPECT_EQ(LevelScore::timeFactor(ZQ::ArcadeMode, 59), 1.0f / 90.0f);
    EXPECT_EQ(LevelScore::timeFactor(ZQ::ArcadeMode, 45 * 30), 0.5f);
    EXPECT_EQ(LevelScore::timeFactor(ZQ::ArcadeMode, 200 * 30), 1.0f);
}

TEST_F(LevelScoreTest, ZenSolvesTakeATenthOfTheTimePointsWhateverTheTime) {
    for (int32_t level : {0, 17, 75}) {
        const int32_t base = 1100 + 100 * level;
        const int32_t expected = static_cast<int32_t>(std::trunc((std::trunc(0.1f * base) / 5) * 0.5f));
        for (int32_t frames : {-50, 0, 600, 2700, 100000}) {
            EXPECT_EQ(scoreAt(level, 12, ZQ::ZenMode, frames).timePoints, expected) << level << " " << frames;
        }
    }
}

TEST_F(LevelScoreTest, CurveSetsFollowTheLevelThresholds) {
    EXPECT_EQ(LevelScore::moveCurveIndex(-4), 0);
    EXPECT_EQ(LevelScore::moveCurveIndex(9), 0);
    EXPECT_EQ(LevelScore::moveCurveIndex(10), 1);
    EXPECT_EQ(LevelScore::moveCurveIndex(25), 2);
    for (int32_t level = 26; level <= 29; ++level) {
        EXPECT_EQ(LevelScore::moveCurveIndex(level), 1) << level;
    }
    EXPECT_EQ(LevelScore::moveCurveIndex(30), 2);
    EXPECT_EQ(LevelScore::moveCurveIndex(63), 5);
    EXPECT_EQ(LevelScore::moveCurveIndex(64), 6);
    EXPECT_EQ(LevelScore::moveCurveIndex(1000), 6);
    // Every curve starts at the whole factor, falls and ends at nothing.
    for (int32_t index = 0; index <= 6; ++index) {
        const LevelScore::Curve& curve = LevelScore::moveCurve(index);
        EXPECT_EQ(LevelScore::lookUp(curve, 0.0f), 1.0f);
        EXPECT_EQ(LevelScore::lookUp(curve, 150.0f), 0.0f);
        for (size_t k = 1; k < curve.size(); ++k) {
            EXPECT_LT(curve[k - 1].first, curve[k].first);
            EXPECT_GT(curve[k - 1].second, curve[k].second);
        }
    }
}

TEST_F(LevelScoreTest, LookUpIsLinearBetweenPointsAndFlatOutside) {
    const LevelScore::Curve curve = {{10.0f, 4.0f}, {20.0f, 2.0f}, {40.0f, 3.0f}};
    EXPECT_EQ(LevelScore::lookUp(curve, -5.0f), 4.0f);
    EXPECT_EQ(LevelScore::lookUp(curve, 10.0f), 4.0f);
    EXPECT_EQ(LevelScore::lookUp(curve, 15.0f), 3.0f);
    EXPECT_EQ(LevelScore::lookUp(curve, 20.0f), 2.0f);
    EXPECT_EQ(LevelScore::lookUp(curve, 30.0f), 2.5f);
    EXPECT_EQ(LevelScore::lookUp(curve, 40.0f), 3.0f);
    EXPECT_EQ(LevelScore::lookUp(curve, 99.0f), 3.0f);
    EXPECT_EQ(LevelScore::lookUp({{1.0f, 7.0f}}, 1.0f), 7.0f);
}

TEST_F(LevelScoreTest, TheGradeIsTheTablesFirstRowNotBelowTheFraction) {
    // Points that land exactly on a row's fraction earn that row's grade;
    // one point more earns the next row's.
    for (int32_t level : {0, 12, 40, 75}) {
        catalogue->level = level;
        const auto table = catalogue->gradeTable();
        for (int32_t moves = 0; moves <= 150; moves += 7) {
            for (int32_t frames : {0, 300, 1500, 2700}) {
                const LevelScore s = scoreAt(level, moves, ZQ::ArcadeMode, frames);
                const float q = static_cast<float>(s.levelPoints) / static_cast<float>(s.basePoints);
                size_t row = 0;
                while (row + 1 < table.size() && table[row].first < q) {
                    ++row;
                }
                EXPECT_EQ(s.grade, static_cast<int32_t>(table[row].second)) << level << " " << moves;
            }
        }
    }
}

} // namespace
