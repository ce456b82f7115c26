#include "LevelTestRecords.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Grades = std::vector<std::pair<float, float>>;

enum Grade : uint32_t { Golden = 0, Silver = 1, Bronze = 2, Steel = 3, Obsidian = 4 };

class LevelCursor : public ::testing::Test {
protected:
    LevelCursor() : model(LevelTestRecords::records(76), LevelTestRecords::record("Ground")) {}

    ZQ::LevelModel model;
};

TEST_F(LevelCursor, StartsAtTheFirstLevelAndSetUpStartsANewGame) {
    EXPECT_EQ(model.level, 0);
    EXPECT_EQ(model.currentLevel().name, "L0");
    model.level = 12;
    model.max_level = 30;
    model.difficulty = 2;
    model.pause();
    model.setUp();
    EXPECT_EQ(model.level, 0);
    EXPECT_EQ(model.max_level, 0);
    EXPECT_EQ(model.difficulty, 0);
    EXPECT_TRUE(model.isPaused()); // the cursor only; the model's own state stays
}

TEST_F(LevelCursor, TimeLimitStepsUpWithTheLevel) {
    const std::vector<std::pair<int, int>> cases = {{0, 31},  {10, 31}, {11, 36}, {16, 36}, {17, 41},
                                                    {23, 46}, {33, 51}, {34, 56}, {63, 81}, {64, 86},
                                                    {68, 86}, {69, 91}, {75, 91}};
    for (const auto& [index, seconds] : cases) {
        model.level = index;
        EXPECT_EQ(model.timeLimit(), seconds) << "level " << index;
    }
}

// A level taken from stored or synced data may be anything: the current
// level is always a valid record.
TEST_F(LevelCursor, CurrentLevelWrapsWithoutGoingNegative) {
    const std::vector<std::pair<int32_t, int32_t>> cases = {
        {76, 0}, {-1, 75}, {-76, 0}, {-77, 75}, {151, 75}};
    for (const auto& [stored, index] : cases) {
        model.level = stored;
        EXPECT_EQ(model.currentIndex(), index) << "level " << stored;
        EXPECT_EQ(model.currentLevel().name, "L" + std::to_string(index));
    }
    model.level = -1;
    EXPECT_EQ(model.timeLimit(), 91);
    EXPECT_EQ(model.gradeTable().size(), 5u);
    EXPECT_EQ(model.basePoints(), 1100 + 100 * 75);
    model.level = INT32_MIN;
    EXPECT_GE(model.currentIndex(), 0);
}

TEST_F(LevelCursor, GradeTableGrowsWithTheBands) {
    const std::vector<std::pair<int, std::size_t>> cases = {{0, 2},  {9, 2},  {10, 3}, {19, 3},
                                                            {20, 4}, {39, 4}, {40, 5}, {75, 5}};
    for (const auto& [index, size] : cases) {
        model.level = index;
        const Grades table = model.gradeTable();
        ASSERT_EQ(table.size(), size) << "level " << index;
        EXPECT_EQ(table.back(), std::make_pair(1.0f, 0.0f));
        for (std::size_t k = 1; k < table.size(); ++k) {
            EXPECT_LT(table[k - 1].first, table[k].first);
            EXPECT_EQ(table[k - 1].second, table[k].second + 1.0f); // one grade better per step
        }
    }
}

TEST_F(LevelCursor, FractionsPickTheFirstPairAtOrAboveThem) {
    model.level = 40;
    const Grades band3 = model.gradeTable();
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.0f), Obsidian);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.2f), Obsidian);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.2001f), Steel);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.4f), Steel);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.5f), Bronze);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.8f), Silver);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 0.8001f), Golden);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 1.0f), Golden);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, 1.5f), Golden);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, -3.0f), Obsidian);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band3, NAN), Obsidian);

    model.level = 0;
    const Grades band0 = model.gradeTable();
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band0, 0.0f), Silver);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band0, 0.7f), Silver);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band0, 0.7001f), Golden);
    EXPECT_EQ(ZQ::LevelModel::gradeForFraction(band0, 2.0f), Golden);
}

TEST_F(LevelCursor, PointsAreMeasuredAgainstTheLevelsBasePoints) {
    model.level = 0;
    EXPECT_EQ(model.basePoints(), 1100);
    EXPECT_EQ(model.gradeForPoints(770), Silver); // exactly 0.7
    EXPECT_EQ(model.gradeForPoints(771), Golden);
    model.level = 50; // base 6100, band 3
    EXPECT_EQ(model.basePoints(), 6100);
    EXPECT_EQ(model.gradeForPoints(4880), Silver); // exactly 0.8
    EXPECT_EQ(model.gradeForPoints(4881), Golden);
    EXPECT_EQ(model.gradeForPoints(0), Obsidian);
}

// Every level grades by the band of its stretch of the catalogue. A score on
// a band's boundary, in points of the level's base, earns the grade written
// beside it; one point more earns the next better one.
TEST_F(LevelCursor, EveryLevelGradesItsPointsAtItsBandsBoundaries) {
    struct Band {
        int32_t firstLevel;
        std::vector<std::pair<int32_t, Grade>> upTo; // (percent of the base points, grade)
    };
    const std::vector<Band> bands = {
        {0, {{70, Silver}, {100, Golden}}},
        {10, {{60, Bronze}, {80, Silver}, {100, Golden}}},
        {20, {{40, Steel}, {60, Bronze}, {80, Silver}, {100, Golden}}},
        {40, {{20, Obsidian}, {40, Steel}, {60, Bronze}, {80, Silver}, {100, Golden}}},
    };
    for (int32_t level = 0; level < 76; ++level) {
        std::size_t b = 0;
        while (b + 1 < bands.size() && bands[b + 1].firstLevel <= level) {
            ++b;
        }
        const auto& upTo = bands[b].upTo;
        model.level = level;
        const int32_t base = model.basePoints();
        EXPECT_EQ(model.gradeForPoints(0), upTo.front().second) << "level " << level;
        for (std::size_t k = 0; k < upTo.size(); ++k) {
            const int32_t points = base * upTo[k].first / 100;
            const Grade next = k + 1 < upTo.size() ? upTo[k + 1].second : Golden;
            EXPECT_EQ(model.gradeForPoints(points), upTo[k].second) << "level " << level << ", " << points;
            EXPECT_EQ(model.gradeForPoints(points + 1), next) << "level " << level << ", " << points + 1;
        }
    }
}

TEST_F(LevelCursor, AdvancingWrapsAfterTheLastLevel) {
    model.level = 10;
    model.max_level = 5;
    model.advanceLevel();
    EXPECT_EQ(model.level, 11);
    EXPECT_EQ(model.max_level, 11);

    model.level = 75;
    model.max_level = 75;
    model.advanceLevel();
    EXPECT_EQ(model.level, 0);
    EXPECT_EQ(model.max_level, 75);
}

TEST_F(LevelCursor, BackToTheMapUnlocksTheNextLevelOnly) {
    model.level = 3;
    model.max_level = 2;
    model.unlockNextLevel();
    EXPECT_EQ(model.level, 3);
    EXPECT_EQ(model.max_level, 4);
    model.level = 75;
    model.unlockNextLevel();
    EXPECT_EQ(model.max_level, 4);
}

TEST_F(LevelCursor, ChoosingALevelOutsideTheCatalogueChangesNothing) {
    model.level = 7;
    EXPECT_FALSE(model.chooseLevel(76));
    EXPECT_FALSE(model.chooseLevel(-1));
    EXPECT_EQ(model.level, 7);
    EXPECT_TRUE(model.chooseLevel(75));
    EXPECT_EQ(model.level, 75);
}

TEST_F(LevelCursor, DifficultyStopsAtTheLastKeyOfItsTable) {
    EXPECT_EQ(model.maxDifficulty(), 2);
    model.raiseDifficulty();
    EXPECT_EQ(model.difficulty, 1);
    model.raiseDifficulty();
    EXPECT_EQ(model.difficulty, 2);
    model.raiseDifficulty();
    EXPECT_EQ(model.difficulty, 2);
}

ZQ::LevelModel::Cursor storedCursor() {
    ZQ::LevelModel::Cursor c;
    c.difficulty = 1;
    c.level = 41;
    c.max_level = 42;
    c.tangleForlevel.fill(4);
    c.tangleForlevel[0] = 0;
    c.tangleForlevel[41] = 2;
    c.timerForlevel[0] = 17;
    c.timerForlevel[41] = 55;
    return c;
}

TEST_F(LevelCursor, LoadingAValidCursorRestoresEveryField) {
    const ZQ::LevelModel::Cursor stored = storedCursor();
    ASSERT_TRUE(model.loadCursor(stored));
    EXPECT_EQ(model.level, 41);
    EXPECT_EQ(model.max_level, 42);
    EXPECT_EQ(model.difficulty, 1);
    EXPECT_EQ(model.tangleForlevel[41], 2);
    EXPECT_EQ(model.tangleForlevel[99], 4);
    EXPECT_EQ(model.timerForlevel[0], 17);
    const ZQ::LevelModel::Cursor back = model.cursor();
    EXPECT_EQ(back.tangleForlevel, stored.tangleForlevel);
    EXPECT_EQ(back.timerForlevel, stored.timerForlevel);
    EXPECT_EQ(back.level, stored.level);
}

TEST_F(LevelCursor, LoadingAnOutOfRangeCursorIsRefusedAndChangesNothing) {
    ASSERT_TRUE(model.loadCursor(storedCursor()));
    const ZQ::LevelModel::Cursor before = model.cursor();

    std::vector<ZQ::LevelModel::Cursor> bad(7, storedCursor());
    bad[0].level = 76;
    bad[1].level = -1;
    bad[2].max_level = 100;
    bad[3].max_level = -5;
    bad[4].difficulty = 3;
    bad[5].tangleForlevel[99] = 5;
    bad[6].tangleForlevel[3] = -1;
    for (std::size_t k = 0; k < bad.size(); ++k) {
        bad[k].timerForlevel[0] = 99; // would show if anything were taken
        EXPECT_FALSE(model.loadCursor(bad[k])) << "case " << k;
        const ZQ::LevelModel::Cursor after = model.cursor();
        EXPECT_EQ(after.level, before.level) << "case " << k;
        EXPECT_EQ(after.max_level, before.max_level) << "case " << k;
        EXPECT_EQ(after.difficulty, before.difficulty) << "case " << k;
        EXPECT_EQ(after.tangleForlevel, before.tangleForlevel) << "case " << k;
        EXPECT_EQ(after.timerForlevel, before.timerForlevel) << "case " << k;
    }
}

// The rules follow the number of records, not a fixed 76.
TEST(LevelCursorSmall, CursorFollowsTheCatalogueSize) {
    ZQ::LevelModel model(LevelTestRecords::records(3), LevelTestRecords::record("Ground"));
    model.level = 2;
    model.advanceLevel();
    EXPECT_EQ(model.level, 0);
    EXPECT_FALSE(model.chooseLevel(3));
    model.level = 5;
    EXPECT_EQ(model.currentLevel().name, "L2");
}

} // namespace
