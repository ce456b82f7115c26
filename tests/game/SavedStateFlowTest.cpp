#include "game/GameServiceGateway.h"
#include "game/SavedState.h"
#include "levels/LevelTestRecords.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

using ZQ::SavedState;

constexpr int32_t kFlowLevels = 76;

class RecordingGateway : public ZQ::IGameServiceGateway {
public:
    using Report = std::vector<std::pair<std::string, int64_t>>;
    void reportScores(std::span<const ZQ::LeaderboardScore> scores) override {
        Report& report = reports.emplace_back();
        for (const ZQ::LeaderboardScore& score : scores) {
            report.emplace_back(score.leaderboard, score.value);
        }
    }
    void showLeaderboards() override {}
    std::vector<Report> reports;
};

class SavedStateFlowTest : public GlobalsTest {
protected:
    SavedStateFlowTest()
        : cursor(LevelTestRecords::records(kFlowLevels), LevelTestRecords::record("Ground")) {}

    ZQ::LevelModel cursor;
    SavedState state{kFlowLevels};
};

TEST_F(SavedStateFlowTest, CaptureRecordsTheLevelJustLeftAndTheCursorsNewPlace) {
    // Level 4 played and solved; the cursor already names level 5.
    state.level = 4;
    cursor.level = 4;
    cursor.advanceLevel();
    cursor.difficulty = 1;
    SavedState::Scores scores;
    scores.points = 5150;
    scores.tangles = {1, 0, 2, 0, 1};
    scores.grade = 2;
    state.capture(cursor, scores, 95); // 3 seconds and 5 frames
    EXPECT_EQ(state.version, SavedState::kVersion);
    EXPECT_EQ(state.tangleForlevel[4], 2);
    EXPECT_EQ(state.timerForlevel[4], 3);
    EXPECT_EQ(state.level, 5);
    EXPECT_EQ(state.max_level, 5);
    EXPECT_EQ(state.difficulty, 1);
    EXPECT_EQ(state.points, 5150);
    EXPECT_EQ(state.tangles, scores.tangles);
    EXPECT_EQ(state.auth_code, SavedState::authCode(state));
    // The other levels keep their defaults.
    EXPECT_EQ(state.tangleForlevel[5], 4);
    EXPECT_EQ(state.timerForlevel[5], 0);
}

TEST_F(SavedStateFlowTest, AChoiceOnTheMapChangesNoLevelsGradeOrTime) {
    state.level = 4;
    state.max_level = 9;
    state.tangleForlevel[4] = 3;
    state.timerForlevel[4] = 40;
    state.tangleForlevel[7] = 0;
    state.timerForlevel[7] = 12;
    const SavedState before = state;
    SavedState::Scores scores;
    SavedState::Timer timer;
    state.apply(cursor, scores, timer);
    // Browsing showed level 7's grade; level 7 was chosen.
    scores.grade = cursor.tangleForlevel[7];
    ASSERT_TRUE(cursor.chooseLevel(7));
    state.captureChoice(cursor, scores);
    EXPECT_EQ(state.level, 7);
    EXPECT_EQ(state.max_level, 9);
    EXPECT_EQ(state.points, before.points);
    EXPECT_EQ(state.tangleForlevel, before.tangleForlevel);
    EXPECT_EQ(state.timerForlevel, before.timerForlevel);
    EXPECT_EQ(state.auth_code, SavedState::authCode(state));
    // What a level's capture would have done here: level 4's slots overwritten.
    SavedState played = before;
    played.capture(cursor, scores, 0);
    EXPECT_NE(played.tangleForlevel, before.tangleForlevel);
}

TEST_F(SavedStateFlowTest, ALevelFinishedInUnderTwoSecondsStoresOneSecond) {
    SavedState::Scores scores;
    for (const auto& [frames, seconds] : std::vector<std::pair<int32_t, int32_t>>{
             {0, 1}, {30, 1}, {59, 1}, {60, 2}, {89, 2}, {90, 3}, {2730, 91}}) {
        state.level = 0;
        cursor.level = 0;
        state.capture(cursor, scores, frames);
        EXPECT_EQ(state.timerForlevel[0], seconds) << frames << " frames";
    }
}

TEST_F(SavedStateFlowTest, ApplyingTheDefaultRecordStartsLevelZeroWithTheFullTime) {
    cursor.level = 30;
    cursor.max_level = 50;
    SavedState::Scores scores{99, {1, 1, 1, 1, 1}, 0};
    SavedState::Timer timer{-1, -1};
    const int32_t limit = state.apply(cursor, scores, timer);
    EXPECT_EQ(limit, 31);
    EXPECT_EQ(cursor.level, 0);
    EXPECT_EQ(cursor.max_level, 0);
    EXPECT_EQ(timer.remainingFrames, 31 * 30 - 30);
    EXPECT_EQ(timer.elapsedFrames, 0);
    EXPECT_EQ(scores.points, 0);
    EXPECT_EQ(scores.tangles, (std::array<int32_t, 5>{}));
    EXPECT_EQ(scores.grade, 4);
}

TEST_F(SavedStateFlowTest, ApplyCopiesEveryFieldAndCountsTheSecondsAlreadyUsed) {
    state.level = 23;
    state.max_level = 40;
    state.difficulty = 2;
    state.points = 777;
    state.tangles = {5, 4, 3, 2, 1};
    state.tangleForlevel[23] = 1;
    state.timerForlevel[23] = 20;
    state.timerForlevel[70] = 64;
    SavedState::Scores scores;
    SavedState::Timer timer;
    const int32_t limit = state.apply(cursor, scores, timer);
    EXPECT_EQ(limit, cursor.timeLimit());
    EXPECT_EQ(cursor.level, 23);
    EXPECT_EQ(cursor.max_level, 40);
    EXPECT_EQ(cursor.difficulty, 2);
    EXPECT_EQ(cursor.tangleForlevel[23], 1);
    EXPECT_EQ(cursor.timerForlevel[70], 64);
    EXPECT_EQ(scores.points, 777);
    EXPECT_EQ(scores.tangles, state.tangles);
    EXPECT_EQ(scores.grade, 1);
    EXPECT_EQ(timer.remainingFrames, (limit - 20) * 30 - 30);
    EXPECT_EQ(timer.elapsedFrames, 600);
    // Capturing right away gives back the same record apart from the
    // level's own grade and seconds, which the scores carry.
    SavedState again = state;
    again.capture(cursor, scores, timer.elapsedFrames);
    state.auth_code = SavedState::authCode(state);
    EXPECT_EQ(again, state);
}

TEST_F(SavedStateFlowTest, HugeStoredSecondsGiveTimerFramesWithoutOverflow) {
    state.timerForlevel[0] = std::numeric_limits<int32_t>::max();
    SavedState::Scores scores;
    SavedState::Timer timer;
    state.apply(cursor, scores, timer);
    EXPECT_EQ(timer.elapsedFrames, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(timer.remainingFrames, std::numeric_limits<int32_t>::min());
}

TEST_F(SavedStateFlowTest, ScoresAreReportedOnlyWhileAPlayerIsLoggedIn) {
    state.points = 4321;
    state.level = 12;
    state.tangles = {7, 1, 1, 1, 1};
    RecordingGateway gateway;
    ZQ::gGlobals.gameCenterAuthenticated = false;
    state.reportScore(gateway);
    EXPECT_TRUE(gateway.reports.empty());
    ZQ::gGlobals.gameCenterAuthenticated = true;
    state.reportScore(gateway);
    // The three boards in one report: a service keeps all or none.
    const std::vector<RecordingGateway::Report> expected = {
        {{"velmora.points", 4321}, {"velmora.levels", 12}, {"velmora.tangles.golden", 7}}};
    EXPECT_EQ(gateway.reports, expected);
}

} // namespace
