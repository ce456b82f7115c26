#include "engine/Globals.h"
#include "game/MasterFixture.h"
#include "levels/LevelModel.h"

#include <gtest/gtest.h>

// Faults of the game's master controller, each mended and held here: a
// controller torn down twice, the map's save writing the slots of a level
// nobody finished, the tutorial replacing the stored progress, and a first
// tutorial's last room saved in its first room's slots.

namespace {

using ZQ::ControllerRole;
using ZQ::TileCollection;

class MasterMendsTest : public MasterFixture {
protected:
    // A stored record of someone well into the game.
    ZQ::SavedState veteranRecord() const {
        ZQ::SavedState record(catalogue->levelCount());
        record.level = 30;
        record.max_level = 31;
        record.points = 52000;
        record.difficulty = 1;
        record.tangles = {7, 9, 5, 4, 5};
        for (int32_t i = 0; i < 30; ++i) {
            record.tangleForlevel[static_cast<std::size_t>(i)] = i % 5;
            record.timerForlevel[static_cast<std::size_t>(i)] = 20 + i;
        }
        record.auth_code = ZQ::SavedState::authCode(record);
        return record;
    }

    // The veteran's record stored, then the tutorial chosen on the menu and
    // its first room running.
    void replayTutorialOverVeteran() {
        storeRecord(veteranRecord());
        startAtMenu();
        tapTile(TileCollection::kTutorial);
        rec(ControllerRole::Menu).done = true;
        ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    }

    // The level current now is solved and the award's next button pressed.
    void solveAndGoOn() {
        rec(ControllerRole::Game).done = true;
        rec(ControllerRole::Tutorial).done = true;
        step();
        ASSERT_EQ(state(), MasterState::AwardRuns);
        tapTile(TileCollection::kNextLevel);
        rec(ControllerRole::Award).done = true;
    }
};

TEST_F(MasterMendsTest, NoControllerIsTornDownTwiceOrWithoutASetUp) {
    makeMaster();
    step();
    rec(ControllerRole::Story).done = true;
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    // Play, pause and stop; the level quits and is left behind by the menu.
    tapTile(TileCollection::kNewGame);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kStop);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    // Play, restart from the pause menu, solve, retry, solve, map, choose.
    tapTile(TileCollection::kContinueSaved);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kRestartLevel);
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    rec(ControllerRole::Game).done = true;
    step();
    tapTile(TileCollection::kRetry);
    rec(ControllerRole::Award).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    rec(ControllerRole::Game).done = true;
    step();
    tapTile(TileCollection::kAwardMap);
    rec(ControllerRole::Award).done = true;
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    rec(ControllerRole::Map).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    // The view goes while the level runs: the list names the menu twice and
    // the outro was never set up.
    master->tearDown();
    for (int32_t i = 0; i < ZQ::kControllerRoleCount; ++i) {
        const RecordingController& r = rec(static_cast<ControllerRole>(i));
        EXPECT_EQ(r.tearDownsWhileDown, 0) << r.name;
        EXPECT_EQ(r.tearDowns, r.setUps) << r.name;
        EXPECT_FALSE(r.live) << r.name;
    }
    EXPECT_EQ(rec(ControllerRole::Outro).tearDowns, 0);
    EXPECT_EQ(rec(ControllerRole::Game).setUps, 5);
    // A second tear-down of the master tears nothing down again.
    const std::size_t lines = journal.size();
    master->tearDown();
    EXPECT_EQ(journal.size(), lines);
    master.reset();
}

TEST_F(MasterMendsTest, ChoosingOnTheMapKeepsEveryLevelsGradeAndTime) {
    const ZQ::SavedState stored = veteranRecord();
    storeRecord(stored);
    startAtMenu();
    continueToLevel();
    ASSERT_EQ(catalogue->level, 30);
    // Leave level 30 unfinished for the map and choose level 12 there.
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kPauseMap);
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    catalogue->level = 12;
    rec(ControllerRole::Map).done = true;
    step();
    ASSERT_EQ(state(), MasterState::LoadedLevel);
    ZQ::SavedState saved = storedRecord();
    EXPECT_EQ(saved.level, 12);
    EXPECT_EQ(saved.tangleForlevel, stored.tangleForlevel);
    EXPECT_EQ(saved.timerForlevel, stored.timerForlevel);
    EXPECT_EQ(saved.points, stored.points);
    EXPECT_EQ(saved.tangles, stored.tangles);

    // The same from the menu's map tile, choosing an unplayed level.
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    tapTile(TileCollection::kPause);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    tapTile(TileCollection::kStop);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    tapTile(TileCollection::kPlay);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    catalogue->level = 31;
    rec(ControllerRole::Map).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    saved = storedRecord();
    EXPECT_EQ(saved.level, 31);
    EXPECT_EQ(saved.tangleForlevel, stored.tangleForlevel);
    EXPECT_EQ(saved.timerForlevel, stored.timerForlevel) << "an unplayed level keeps no time";
}

TEST_F(MasterMendsTest, ReplayingTheTutorialKeepsTheStoredRecordAndReturnsToIt) {
    const ZQ::SavedState stored = veteranRecord();
    ASSERT_NO_FATAL_FAILURE(replayTutorialOverVeteran());
    ASSERT_TRUE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(catalogue->level, 0);
    scores.grade = 0;
    scores.points = 800;
    elapsedFrames = 300;

    // Room 0: no save while the tutorial runs.
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(catalogue->level, 1);
    EXPECT_EQ(master->active, role(ControllerRole::Tutorial));
    EXPECT_EQ(storedRecord(), stored);

    // Room 1 ends the tutorial (its last step clears the flag); the stored
    // game then goes on where it was, untouched.
    ZQ::gGlobals.tutorialActive = false;
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(storedRecord(), stored);
    EXPECT_EQ(catalogue->level, 30);
    EXPECT_EQ(catalogue->max_level, 31);
    EXPECT_EQ(scores.points, 52000);
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(rooms->current->level, 30);

    // Its next finished level saves on from the stored game.
    scores.points = 53000;
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    const ZQ::SavedState saved = storedRecord();
    EXPECT_EQ(saved.level, 31);
    EXPECT_EQ(saved.points, 53000);
    EXPECT_EQ(saved.tangleForlevel[29], stored.tangleForlevel[29]);
}

TEST_F(MasterMendsTest, ReplayingTheTutorialAndLeavingByTheAwardMapKeepsTheRecord) {
    const ZQ::SavedState stored = veteranRecord();
    ASSERT_NO_FATAL_FAILURE(replayTutorialOverVeteran());
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    ZQ::gGlobals.tutorialActive = false;
    rec(ControllerRole::Tutorial).done = true;
    step();
    tapTile(TileCollection::kAwardMap);
    rec(ControllerRole::Award).done = true;
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    EXPECT_EQ(storedRecord(), stored);
    EXPECT_EQ(catalogue->level, 30) << "the map opens on the stored game";
}

TEST_F(MasterMendsTest, ReplayingTheTutorialAndStoppingItKeepsTheRecordToContinue) {
    const ZQ::SavedState stored = veteranRecord();
    ASSERT_NO_FATAL_FAILURE(replayTutorialOverVeteran());
    scores.points = 800;
    // Pause and stop in the tutorial's first room.
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kStop);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(storedRecord(), stored);
    // Continue plays the stored game on, not the tutorial's reset one.
    tapTile(TileCollection::kContinueSaved);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(catalogue->level, 30);
    EXPECT_EQ(scores.points, 52000);
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(storedRecord().level, 31);
    EXPECT_EQ(storedRecord().tangleForlevel[29], stored.tangleForlevel[29]);
}

TEST_F(MasterMendsTest, AFirstTutorialStillSavesLevelTwoWhenItEnds) {
    makeMaster();
    step();
    rec(ControllerRole::Story).done = true;
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    tapTile(TileCollection::kTutorial);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(defaults->object(ZQ::Preferences::kStateKey), nullptr);
    ZQ::gGlobals.tutorialActive = false;
    scores.grade = 1;
    elapsedFrames = 12 * 30;
    solveAndGoOn();
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    const ZQ::SavedState saved = storedRecord();
    EXPECT_EQ(saved.level, 2);
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    // Room 1's result is level 1's; room 0 recorded nothing, so level 0
    // stays as a fresh record has it.
    const ZQ::SavedState fresh(catalogue->levelCount());
    EXPECT_EQ(saved.tangleForlevel[1], 1);
    EXPECT_EQ(saved.timerForlevel[1], 12);
    EXPECT_EQ(saved.tangleForlevel[0], fresh.tangleForlevel[0]);
    EXPECT_EQ(saved.timerForlevel[0], fresh.timerForlevel[0]);
}

} // namespace
