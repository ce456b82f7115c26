#include "engine/Globals.h"
#include "engine/SocialGateway.h"
#include "engine/Spot.h"
#include "game/GameServiceGateway.h"
#include "game/MapController.h"
#include "game/MasterFixture.h"
#include "levels/LevelModel.h"
#include "stage/MandalaMesher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ZQ::ControllerRole;
using ZQ::TileCollection;

// The vertex count of the relief of level `level`, built and collected by a
// relief model of its own: the reference the master's relief is compared with.
int32_t reliefVertexCount(int32_t level) {
    ZQ::LevelModel& cursor = *ZQ::gGlobals.levelModel;
    const int32_t kept = cursor.level;
    cursor.level = level;
    ZQ::MandalaModel model;
    model.setUp();
    model.build(0);
    ZQ::MandalaInstance* instance = model.collect();
    const int32_t count = instance != nullptr ? instance->mesh->count : -1;
    model.tearDown();
    cursor.level = kept;
    return count;
}

int32_t collectedVertexCount() {
    const std::vector<ZQ::MandalaInstance*>& instances = ZQ::gGlobals.mandalaModel->instances;
    return instances.size() == 1 ? instances.front()->mesh->count : -1;
}

class MasterGameControllerTest : public MasterFixture {};

TEST_F(MasterGameControllerTest, FirstStartTellsTheStoryUnskippableThenShowsTheMenu) {
    makeMaster();
    EXPECT_EQ(master->active, master->initial);
    step();
    EXPECT_EQ(state(), MasterState::StoryRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Story));
    EXPECT_FALSE(rec(ControllerRole::Story).skipAllowed);
    EXPECT_EQ(sound.names(), std::vector<std::string>{"playIntroMusic"});
    // The room of level 0 is lit dimmed and its relief collected at once.
    EXPECT_EQ(camera->spot->pair, PVRTVec2(1.0f, 0.8f));
    EXPECT_EQ(camera->spot->third, 0.5f);
    EXPECT_EQ(collectedVertexCount(), reliefVertexCount(0));
    EXPECT_EQ(rec(ControllerRole::Story).steps, 1)
        << "a controller made current is stepped in the same frame";
    step(5);
    EXPECT_EQ(state(), MasterState::StoryRuns) << "the story runs until it is done";
    rec(ControllerRole::Story).done = true;
    step();
    EXPECT_EQ(state(), MasterState::ShowMenu);
    step();
    EXPECT_EQ(state(), MasterState::Menu);
    EXPECT_EQ(master->active, role(ControllerRole::Menu));
    EXPECT_THAT(take(), ElementsAre("story.setUp", "story.tearDown", "menu.setUp", "screen.showMainUi"));
    EXPECT_EQ(sound.names().back(), "playMenuMusic");
}

// The first start's camera springs in onto the story from where set-up put
// it, over the screen's middle, as every later start's does onto the menu:
// the master leaves the eye alone, and the first second shows it swinging.
TEST_F(MasterGameControllerTest, AtTheFirstStartTheCameraSpringsInOntoTheStory) {
    makeMaster();
    const PVRTVec3 setUp = camera->eye->layout.position;
    step();
    ASSERT_EQ(state(), MasterState::StoryRuns);
    EXPECT_EQ(camera->eye->layout.position, setUp);
    float moved = 0.0f;
    for (int i = 0; i < 30; ++i) {
        const PVRTVec3 before = camera->eye->layout.position;
        camera->doStep();
        moved += (camera->eye->layout.position - before).length();
    }
    EXPECT_GT(moved, 0.05f * ZQ::gGlobals.screenSize.y) << "the eye rests from the first frame";
}

TEST_F(MasterGameControllerTest, LaterStartsReachTheMenuInTwoFramesWithoutTheStory) {
    defaults->setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    makeMaster();
    step();
    EXPECT_EQ(state(), MasterState::ShowMenu);
    EXPECT_EQ(master->active, master->initial);
    step();
    EXPECT_EQ(state(), MasterState::Menu);
    EXPECT_EQ(master->active, role(ControllerRole::Menu));
    EXPECT_EQ(rec(ControllerRole::Story).setUps, 0);
    EXPECT_EQ(sound.names(), std::vector<std::string>{"playMenuMusic"});
}

TEST_F(MasterGameControllerTest, MenuTilesStartTheGameTheTutorialOrTheStoredLevel) {
    ZQ::SavedState stored(catalogue->levelCount());
    stored.level = 5;
    stored.max_level = 9;
    stored.points = 4321;
    stored.auth_code = ZQ::SavedState::authCode(stored);
    storeRecord(stored);
    startAtMenu();

    // Continue: the menu hides and, once done, the stored level plays.
    tapTile(TileCollection::kContinueSaved);
    EXPECT_THAT(take(), ElementsAre("menu.tap", "screen.hideMainMenu"));
    EXPECT_EQ(state(), MasterState::LoadGame);
    step(3);
    EXPECT_EQ(state(), MasterState::LoadGame) << "the menu's leave animation is waited for";
    rec(ControllerRole::Menu).done = true;
    step();
    EXPECT_EQ(state(), MasterState::LoadedLevel);
    step(2);
    EXPECT_EQ(state(), MasterState::LevelRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(catalogue->level, 5);
    EXPECT_EQ(catalogue->max_level, 9);
    EXPECT_EQ(scores.points, 4321);
    EXPECT_EQ(rooms->current->level, 5);
    const std::vector<ZQ::Material> colours = ZQ::RoomModel::roomColours(*catalogue, 5);
    ASSERT_EQ(rooms->current->colours.size(), colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        EXPECT_EQ(rooms->current->colours[i].specular, colours[i].specular) << i;
        EXPECT_EQ(rooms->current->colours[i].shininess, colours[i].shininess) << i;
    }
    EXPECT_EQ(collectedVertexCount(), reliefVertexCount(5));
    EXPECT_THAT(take(), ElementsAre("menu.tearDown", "game.setUp"));

    // Stop from the pause menu, then a new game from a reset record.
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kStop);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    take();
    tapTile(TileCollection::kNewGame);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(catalogue->level, 0);
    EXPECT_EQ(scores.points, 0);
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(master->active, role(ControllerRole::Game));

    // The tutorial plays under the tutorial controller.
    tapTile(TileCollection::kPause);
    step();
    tapTile(TileCollection::kStop);
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    tapTile(TileCollection::kTutorial);
    EXPECT_EQ(state(), MasterState::StartTutorial);
    rec(ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_TRUE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(master->active, role(ControllerRole::Tutorial));
    EXPECT_EQ(catalogue->level, 0);
}

TEST_F(MasterGameControllerTest, PauseKeepsTheSameLevelControllerAndResumesIt) {
    startAtMenu();
    continueToLevel();
    take();
    RecordingController& game = rec(ControllerRole::Game);
    game.steps = 0;
    tapTile(TileCollection::kPause);
    EXPECT_EQ(state(), MasterState::Pause);
    step();
    EXPECT_EQ(state(), MasterState::Menu);
    EXPECT_EQ(master->active, role(ControllerRole::Menu));
    EXPECT_EQ(master->suspended, role(ControllerRole::Game));
    EXPECT_THAT(take(),
                ElementsAre("menu.tap", "game.tap", "screen.hideTiles", "screen.showPauseUi", "game.pause"));
    EXPECT_EQ(game.steps, 0) << "the paused level is not stepped";
    // A tap on the pause screen reaches the menu once.
    master->tap(PVRTVec2(300.0f, 500.0f), 20.0f);
    EXPECT_THAT(take(), ElementsAre("menu.tap"));
    step(10);
    tapTile(TileCollection::kResume);
    step();
    EXPECT_EQ(state(), MasterState::LevelRuns);
    EXPECT_EQ(master->active, &game);
    EXPECT_EQ(master->suspended, nullptr);
    EXPECT_THAT(take(), ElementsAre("menu.tap", "game.resume", "screen.showGameUi"));
    EXPECT_EQ(game.setUps, 1);
    EXPECT_EQ(game.tearDowns, 0);
    // Pausing again shows the same screen again.
    tapTile(TileCollection::kPause);
    step();
    EXPECT_EQ(state(), MasterState::Menu);
    EXPECT_EQ(master->suspended, &game);
}

TEST_F(MasterGameControllerTest, StopRestartAndMapFromThePauseMenu) {
    startAtMenu();
    continueToLevel();
    RecordingController& game = rec(ControllerRole::Game);
    RecordingController& menuRec = rec(ControllerRole::Menu);

    // Stop: the level quits, the menu comes back with its music.
    tapTile(TileCollection::kPause);
    step();
    take();
    sound.calls.clear();
    tapTile(TileCollection::kStop);
    EXPECT_EQ(state(), MasterState::QuitToMenu);
    step();
    EXPECT_EQ(state(), MasterState::AwaitMenu);
    step();
    EXPECT_EQ(state(), MasterState::Menu);
    EXPECT_EQ(master->active, &menuRec);
    EXPECT_THAT(take(), ElementsAre("menu.tap", "screen.hideTiles", "game.quit", "game.tearDown",
                                    "menu.setUp", "screen.showMainUi"));
    EXPECT_EQ(sound.names(), std::vector<std::string>{"playMenuMusic"});

    // Restart: the same level again, nothing saved.
    continueToLevel();
    const int32_t level = catalogue->level;
    tapTile(TileCollection::kPause);
    step();
    take();
    tapTile(TileCollection::kRestartLevel);
    EXPECT_EQ(state(), MasterState::QuitToRestart);
    step();
    EXPECT_EQ(state(), MasterState::AwaitRestart);
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(catalogue->level, level);
    EXPECT_EQ(rooms->current->level, level);
    EXPECT_THAT(take(), ElementsAre("menu.tap", "menu.quit", "screen.hideTiles", "game.quit", "game.tearDown",
                                    "game.setUp"));
    EXPECT_EQ(defaults->object(ZQ::Preferences::kStateKey), nullptr);

    // Map: the level quits, the map opens over the loaded record.
    tapTile(TileCollection::kPause);
    step();
    take();
    tapTile(TileCollection::kPauseMap);
    EXPECT_EQ(state(), MasterState::QuitToMap);
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    EXPECT_EQ(master->active, role(ControllerRole::Map));
    EXPECT_THAT(take(), ElementsAre("menu.tap", "menu.quit", "screen.hideTiles", "game.quit", "game.tearDown",
                                    "map.setUp"));
    catalogue->level = 3; // the map's choice
    rec(ControllerRole::Map).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(master->active, &game);
    EXPECT_EQ(rooms->current->level, 3);
    EXPECT_EQ(storedRecord().level, 3);
}

// The game's own map over a record where only the first level is reached:
// it ends in its first frame and level 0 is played again at once, the record
// as it was.
TEST_F(MasterGameControllerTest, TheMapWithOnlyTheFirstLevelReachedStartsLevelZeroAtOnce) {
    ZQ::SavedState stored(catalogue->levelCount());
    stored.points = 321;
    stored.tangleForlevel[0] = 3;
    stored.timerForlevel[0] = 44;
    stored.auth_code = ZQ::SavedState::authCode(stored);
    storeRecord(stored);
    defaults->setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    ZQ::MasterWiring wiring = recordingWiring();
    ZQ::MapController* map = nullptr;
    wiring.makers[static_cast<std::size_t>(ControllerRole::Map)] = [&map] {
        map = new ZQ::MapController();
        return map;
    };
    makeMaster(std::move(wiring));
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    continueToLevel();
    ASSERT_EQ(catalogue->level, 0);
    ASSERT_EQ(catalogue->max_level, 0);

    tapTile(TileCollection::kPause);
    step();
    take();
    sound.calls.clear();
    tapTile(TileCollection::kPauseMap);
    ASSERT_TRUE(stepUntil(MasterState::MapRuns));
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->isDone()) << "done in the frame it was made current";
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns, 4));
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(catalogue->level, 0);
    EXPECT_EQ(rooms->current->level, 0);
    const std::vector<std::string> sounds = sound.names();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "playMapMusic"), 0) << "the map showed nothing";
    const ZQ::SavedState saved = storedRecord();
    EXPECT_EQ(saved.level, 0);
    EXPECT_EQ(saved.max_level, 0);
    EXPECT_EQ(saved.tangleForlevel, stored.tangleForlevel);
    EXPECT_EQ(saved.timerForlevel, stored.timerForlevel);
    EXPECT_EQ(saved.points, stored.points);
}

TEST_F(MasterGameControllerTest, ASolvedLevelShowsTheAwardWhileTheNextReliefIsBuilt) {
    startAtMenu();
    continueToLevel();
    scores.grade = 1;
    scores.points = 900;
    scores.tangles = {0, 1, 0, 0, 0};
    elapsedFrames = 12 * 30 + 7;
    rec(ControllerRole::Game).done = true;
    step();
    EXPECT_EQ(state(), MasterState::AwardRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Award));
    EXPECT_THAT(take(), ElementsAre("game.tearDown", "award.setUp"));
    EXPECT_TRUE(relief->instances.empty()) << "the relief in view was cleared for the next one";

    // Next: the award leaves, the cursor advances, the state is saved
    // and the next room starts with the relief built during the award.
    tapTile(TileCollection::kNextLevel);
    EXPECT_EQ(state(), MasterState::AfterAward);
    EXPECT_EQ(rec(ControllerRole::Award).awardState, AwardState::StartExit);
    step(3);
    EXPECT_EQ(state(), MasterState::AfterAward) << "the award's exit animation is waited for";
    rec(ControllerRole::Award).done = true;
    step();
    EXPECT_EQ(state(), MasterState::NextLevel);
    step();
    EXPECT_EQ(state(), MasterState::StartLevel);
    EXPECT_EQ(catalogue->level, 1);
    EXPECT_EQ(catalogue->max_level, 1);
    step();
    EXPECT_EQ(state(), MasterState::LevelRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(rooms->current->level, 1);
    EXPECT_EQ(collectedVertexCount(), reliefVertexCount(1));
    const ZQ::SavedState saved = storedRecord();
    EXPECT_EQ(saved.level, 1);
    EXPECT_EQ(saved.points, 900);
    EXPECT_EQ(saved.tangleForlevel[0], 1);
    EXPECT_EQ(saved.timerForlevel[0], 12);
}

TEST_F(MasterGameControllerTest, RetryPlaysTheSameLevelAndMapSavesThenOpensTheMap) {
    startAtMenu();
    continueToLevel();
    rec(ControllerRole::Game).done = true;
    step();
    take();
    tapTile(TileCollection::kRetry);
    EXPECT_EQ(state(), MasterState::AwaitRestart);
    EXPECT_EQ(rec(ControllerRole::Award).awardState, AwardState::TakeBackScore);
    rec(ControllerRole::Award).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(catalogue->level, 0);
    EXPECT_EQ(collectedVertexCount(), reliefVertexCount(0));
    EXPECT_EQ(defaults->object(ZQ::Preferences::kStateKey), nullptr) << "a retry saves nothing";

    scores.grade = 2;
    elapsedFrames = 95;
    rec(ControllerRole::Game).done = true;
    step();
    tapTile(TileCollection::kAwardMap);
    EXPECT_EQ(state(), MasterState::SaveForMap);
    EXPECT_EQ(rec(ControllerRole::Award).awardState, AwardState::StartExit);
    rec(ControllerRole::Award).done = true;
    step();
    EXPECT_EQ(state(), MasterState::OpenMap);
    EXPECT_EQ(storedRecord().max_level, 1) << "the next level is reachable from the map";
    EXPECT_EQ(storedRecord().tangleForlevel[0], 2);
    EXPECT_EQ(storedRecord().timerForlevel[0], 3);
    step();
    EXPECT_EQ(state(), MasterState::MapRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Map));
}

TEST_F(MasterGameControllerTest, AfterTheLastLevelTheOutroRunsAndTheCursorWraps) {
    ZQ::SavedState stored(catalogue->levelCount());
    stored.level = catalogue->levelCount() - 1;
    stored.max_level = stored.level;
    stored.auth_code = ZQ::SavedState::authCode(stored);
    storeRecord(stored);
    startAtMenu();
    continueToLevel();
    ASSERT_EQ(catalogue->level, 75);
    rec(ControllerRole::Game).done = true;
    step();
    tapTile(TileCollection::kNextLevel);
    rec(ControllerRole::Award).done = true;
    sound.calls.clear();
    step();
    EXPECT_EQ(state(), MasterState::OutroRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Outro));
    EXPECT_EQ(sound.names(), std::vector<std::string>{"playIntroMusic"});
    EXPECT_EQ(catalogue->level, 75) << "the cursor wraps only once the outro is over";
    rec(ControllerRole::Outro).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(catalogue->level, 0);
    EXPECT_EQ(storedRecord().level, 0);
    EXPECT_EQ(master->active, role(ControllerRole::Game));
    EXPECT_EQ(rec(ControllerRole::Outro).tearDowns, 1);
}

TEST_F(MasterGameControllerTest, StoryFromTheMenuMaySkipAndReturnsToTheMenu) {
    startAtMenu();
    tapTile(TileCollection::kStory);
    EXPECT_EQ(state(), MasterState::OpenStory);
    rec(ControllerRole::Menu).done = true;
    step();
    EXPECT_EQ(state(), MasterState::StoryRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Story));
    EXPECT_TRUE(rec(ControllerRole::Story).skipAllowed);
    rec(ControllerRole::Story).done = true;
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    EXPECT_EQ(master->active, role(ControllerRole::Menu));

    // The map from the menu.
    tapTile(TileCollection::kPlay);
    EXPECT_EQ(state(), MasterState::OpenMap);
    rec(ControllerRole::Menu).done = true;
    step();
    EXPECT_EQ(state(), MasterState::MapRuns);
    EXPECT_EQ(master->active, role(ControllerRole::Map));
}

class RecordingServices : public ZQ::IGameServiceGateway, public ZQ::ISocialGateway {
public:
    void reportScores(std::span<const ZQ::LeaderboardScore> scores) override { reports += scores.size(); }
    void showLeaderboards() override { calls.push_back("showLeaderboards"); }
    bool isTwAvailable() override { return twitter; }
    bool isFbAvailable() override { return false; }
    bool isWeAvailable() override { return false; }
    bool canSendEmail() override { return false; }
    void takeSnapshot() override {}
    bool isSnapshotTaken() override { return true; }
    void clearSnapshot() override {}
    void publishOnProfile(int32_t service, int32_t msgType, const char* knotName) override {
        calls.push_back("publish " + std::to_string(service) + " " + std::to_string(msgType) + " " +
                        knotName);
    }
    void sendEmail(int32_t, const char*) override { calls.push_back("mail"); }

    bool twitter = true;
    std::size_t reports = 0;
    std::vector<std::string> calls;
};

TEST_F(MasterGameControllerTest, ServiceTilesMusicAndModeActInEveryPhase) {
    RecordingServices services;
    ZQ::IGameServiceGateway* previousGame = ZQ::GameServiceGateway::setInstance(&services);
    ZQ::ISocialGateway* previousSocial = ZQ::SocialGateway::setInstance(&services);
    startAtMenu();

    tapTile(TileCollection::kMusic);
    EXPECT_TRUE(ZQ::isMusicMuted());
    tapTile(TileCollection::kMusic);
    EXPECT_FALSE(ZQ::isMusicMuted());
    EXPECT_EQ(sound.names(), (std::vector<std::string>{"musicOff", "musicOn"}));

    EXPECT_EQ(preferences->getGameMode(), ZQ::ArcadeMode);
    tapTile(TileCollection::kGameMode);
    EXPECT_EQ(preferences->getGameMode(), ZQ::ZenMode);
    EXPECT_EQ(
        ZQ::PlistFileStore(folder.file("cloud/cloud.plist")).integerForKey(ZQ::Preferences::kGameModeKey), 1);
    tapTile(TileCollection::kGameMode);
    EXPECT_EQ(preferences->getGameMode(), ZQ::ArcadeMode);

    tapTile(TileCollection::kLeaderboards);
    continueToLevel();
    catalogue->level = 4;
    tapTile(TileCollection::kShareKnot);
    services.twitter = false;
    tapTile(TileCollection::kShareAward); // no network open: logged, nothing posted
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"showLeaderboards", "publish 1 0 " + catalogue->levels[4].name}));

    // Scores are reported after a save only while a player is logged in.
    ZQ::gGlobals.gameCenterAuthenticated = true;
    rec(ControllerRole::Game).done = true;
    step();
    tapTile(TileCollection::kNextLevel);
    rec(ControllerRole::Award).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    EXPECT_EQ(services.reports, 3u);
    ZQ::GameServiceGateway::setInstance(previousGame);
    ZQ::SocialGateway::setInstance(previousSocial);
}

TEST_F(MasterGameControllerTest, SkipAndUnknownTilesGoToTheCurrentControllerAndInputIsForwarded) {
    startAtMenu();
    continueToLevel();
    take();
    tiles.notify(&ZQ::EventListener::onTile, TileCollection::kContinue);
    tiles.notify(&ZQ::EventListener::onTile, 19);
    tiles.notify(&ZQ::EventListener::onTile, 40);
    master->doubleTap(PVRTVec2(1.0f, 2.0f));
    master->swipe(PVRTVec2(1.0f, 2.0f), 2);
    master->touchBegan(PVRTVec2(1.0f, 2.0f), 3.0f);
    master->touchMoved(PVRTVec2(1.0f, 2.0f), 3.0f);
    master->touchEnded(PVRTVec2(1.0f, 2.0f), 3.0f);
    master->touchCancelled(PVRTVec2(1.0f, 2.0f), 3.0f);
    EXPECT_THAT(take(), ElementsAre("game.onTile 14", "game.onTile 19", "game.onTile 40", "game.doubleTap",
                                    "game.swipe 2", "game.touchBegan", "game.touchMoved", "game.touchEnded",
                                    "game.touchCancelled"));
    // Buttons of screens that are not up change nothing.
    for (int stale : {TileCollection::kResume, TileCollection::kStop, TileCollection::kRestartLevel,
                      TileCollection::kPauseMap, TileCollection::kNextLevel, TileCollection::kRetry,
                      TileCollection::kAwardMap}) {
        tiles.notify(&ZQ::EventListener::onTile, stale);
        EXPECT_EQ(state(), MasterState::LevelRuns) << stale;
    }
    EXPECT_TRUE(take().empty());
}

TEST_F(MasterGameControllerTest, BecomingActivePausesOnlyARunningLevel) {
    makeMaster();
    step();
    master->pauseIfPlaying();
    EXPECT_EQ(state(), MasterState::StoryRuns);
    defaults->setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    rec(ControllerRole::Story).done = true;
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    master->pauseIfPlaying();
    EXPECT_EQ(state(), MasterState::Menu);
    continueToLevel();
    master->pauseIfPlaying();
    EXPECT_EQ(state(), MasterState::Pause);
    step();
    EXPECT_EQ(master->suspended, role(ControllerRole::Game));
    EXPECT_EQ(master->active, role(ControllerRole::Menu));
}

// A level being scored or ended says it may not pause: neither the
// application becoming active nor a pause press that lands then suspends it,
// so the pause menu's buttons never drop its result.
TEST_F(MasterGameControllerTest, ALevelThatMayNotPauseKeepsRunning) {
    defaults->setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    makeMaster();
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    continueToLevel();
    RecordingController& game = rec(ControllerRole::Game);
    game.pausable = false;
    master->pauseIfPlaying();
    EXPECT_EQ(state(), MasterState::LevelRuns);
    tapTile(TileCollection::kPause);
    EXPECT_EQ(state(), MasterState::LevelRuns);
    step();
    EXPECT_EQ(master->active, &game);
    EXPECT_EQ(master->suspended, nullptr);
    EXPECT_THAT(take(), Not(Contains("game.pause")));
    // Only the running level was asked, once for each try.
    int asked = 0;
    for (int32_t role = 0; role < ZQ::kControllerRoleCount; ++role) {
        asked += rec(static_cast<ControllerRole>(role)).pausableAsked;
    }
    EXPECT_EQ(game.pausableAsked, 2);
    EXPECT_EQ(asked, 2);

    // Once it may, the same press pauses it.
    game.pausable = true;
    tapTile(TileCollection::kPause);
    EXPECT_EQ(state(), MasterState::Pause);
    step();
    EXPECT_EQ(master->suspended, &game);
}

} // namespace
