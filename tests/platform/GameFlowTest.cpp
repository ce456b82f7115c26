#include "ViewPlayFixture.h"

#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/Random.h"
#include "engine/SoundGateway.h"
#include "game/AwardController.h"
#include "game/AwardStates.h"
#include "game/GameController.h"
#include "game/MasterGameController.h"
#include "game/MasterStates.h"
#include "game/SavedState.h"
#include "game/TutorialController.h"
#include "game/TutorialNode.h"
#include "levels/LevelModel.h"
#include "overlays/PointsModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"
#include "platform/ZQSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

// The game as it is played: the view's own master game controller with the
// game's controllers, from the menu through a level solved by the player's
// drags to the award and on. Frames are stepped undrawn, as the view steps
// them, and drawn only where a picture of the screen is kept: each is
// written to $VELMORA_SHOT_DIR, or else to flow-shots in the build folder,
// to be looked at.

namespace {

using ZQ::ControllerRole;

class GameFlowTest : public ViewPlayTest {
protected:
    // The game started on a profile with no progress saved, in the timed
    // mode, its tutorial done or not.
    void openGame(bool tutorialCompleted) {
        ZQ::KeyValueStore& defaults = ZQ::Preferences::shared().userDefaults();
        defaults.setBool(ZQ::Preferences::kTutorialCompletedKey, tutorialCompleted);
        defaults.remove(ZQ::Preferences::kStateKey);
        ZQ::Preferences::shared().setGameMode(ZQ::ArcadeMode);
        // The view draws the first frame as it is made.
        drawn = 1;
        makeView();
        master = dynamic_cast<ZQ::MasterGameController*>(ZQ::gGlobals.masterController);
        ASSERT_NE(master, nullptr);
        ZQ::gGlobals.gameCenterAuthenticated = true;
    }

    void TearDown() override {
        // The engine saves the game as it goes: that too is taken away.
        view.reset();
        ZQ::Preferences::shared().userDefaults().remove(ZQ::Preferences::kStateKey);
        ViewPlayTest::TearDown();
    }

    // One frame as the view runs it, undrawn, then the touches due after it.
    void frame() {
        ZQ::gGlobals.stepFrame();
        ZQ::SoundGateway::instance()->doStep();
        ++drawn;
        deliverInput();
    }

    bool frameUntil(const std::function<bool()>& done, int limit) {
        for (int f = 0; f < limit && !done(); ++f) {
            frame();
        }
        return done();
    }

    // The screen now, drawn and kept as `name`.png.
    void shoot(const std::string& name) {
        view->takeSnapshot();
        view->drawView();
        ++drawn;
        ASSERT_TRUE(view->snapshotTaken());
        const char* chosen = std::getenv("VELMORA_SHOT_DIR");
        const std::filesystem::path dir = chosen != nullptr
                                              ? std::filesystem::path(chosen)
                                              : std::filesystem::path(VELMORA_BUILD_DIR) / "flow-shots";
        std::filesystem::create_directories(dir);
        std::string error;
        EXPECT_TRUE(writePng((dir / (name + ".png")).string(), *view->snapshotImage(), error)) << error;
    }

    // A tap at a point in pixels from the bottom-left corner, delivered as
    // the window delivers taps.
    void tapAt(float x, float y) {
        view->handleTap(PVRTVec2(x / kScale, (ZQ::gGlobals.screenSize.y - y) / kScale), kRadius);
    }

    // A tap on tile `id` of the screen up now, where it is drawn.
    void tapTile(int32_t id) {
        const PVRTVec2 at = tileCentre(id);
        tapAt(at.x, at.y);
    }

    bool tilesSettle(const std::vector<int32_t>& ids, int limit) {
        return frameUntil([&] { return tilesShown() == ids && ZQ::gGlobals.tileModel->isReady(); }, limit);
    }

    ZQ::GameController* game() const {
        return static_cast<ZQ::GameController*>(master->controller(ControllerRole::Game));
    }

    bool inPlay() const {
        const int s = game()->state;
        return master->active == game() &&
               (s == ZQ::GameController::FirstGrasp || s == ZQ::GameController::StartDisplays ||
                s == ZQ::GameController::Play);
    }

    // Level 0 from its wait for the first grasp, kept as `shot`.png, solved
    // by the kept drags; the award that follows, or null when none came.
    ZQ::AwardController* solveLevelZero(const std::string& shot) {
        if (!frameUntil([&] { return game()->state == ZQ::GameController::FirstGrasp; }, 150)) {
            return nullptr;
        }
        shoot(shot);
        for (const ScriptedDrag& d : kLevelZeroSolution) {
            if (inPlay()) {
                drag(d);
            }
        }
        if (!frameUntil([&] { return master->active != game(); }, 900)) {
            return nullptr;
        }
        return dynamic_cast<ZQ::AwardController*>(master->active);
    }

    void drag(const ScriptedDrag& d) {
        input(dragLines(d));
        for (int f = 0; f < d.moveFrames + d.holdFrames + 11 && inPlay(); ++f) {
            frame();
        }
    }

    ZQ::MasterGameController* master = nullptr;
};

TEST_F(GameFlowTest, FromTheMenuALevelIsSolvedAndItsAwardLeadsToTheNextLevel) {
    openGame(true);
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    ASSERT_TRUE(frameUntil(
        [&] { return master->state == MasterState::Menu && ZQ::gGlobals.tileModel->isReady(); }, 200));
    shoot("flow-1-menu");

    // New game: the right half of the menu's lower right cell.
    tapAt(0.25f * w + 0.425f * w, 0.4f * h + 0.35f * w - 0.6667f * 0.7f * w);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_EQ(master->active, game());
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 0);
    auto* award = solveLevelZero("flow-2-level0");
    ASSERT_NE(award, nullptr) << "level 0 was not solved";
    EXPECT_EQ(master->state, MasterState::AwardRuns);
    const ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    EXPECT_GT(points.levelPoints, 0);
    EXPECT_EQ(points.tangles[points.grade], 1);
    frameUntil([] { return false; }, 60);
    shoot("flow-3-points");

    // The points run to their end; the award then hangs the grade's name and
    // reveals the knot in the metal of the grade.
    ASSERT_TRUE(frameUntil([&] { return award->state == AwardState::AwaitChoice; }, 900));
    frameUntil([] { return false; }, 150);
    ASSERT_EQ(ZQ::gGlobals.tangleModel->getTangles().size(), 1u);
    EXPECT_EQ(ZQ::gGlobals.tangleModel->getTangles().front()->materialIndex, 4 - points.grade);
    shoot("flow-4-award");

    // Next: the level after, its state saved.
    tapAt(0.5f * w + 0.7f * w / 3.0f, 0.1f * h);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 1);
    EXPECT_EQ(master->active, game());
    ZQ::SavedState stored(ZQ::gGlobals.levelModel->levelCount());
    ASSERT_TRUE(stored.load(ZQ::Preferences::shared().userDefaults()));
    EXPECT_EQ(stored.level, 1);
    EXPECT_EQ(stored.max_level, 1);
    EXPECT_EQ(stored.points, points.points);
    EXPECT_EQ(stored.tangleForlevel[0], points.grade);
    ASSERT_TRUE(frameUntil([&] { return game()->state == ZQ::GameController::FirstGrasp; }, 150));
    shoot("flow-5-level1");
}

TEST_F(GameFlowTest, AFreshProfileHearsTheStoryThenTakesTheTutorialsFirstRoom) {
    openGame(false);
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    // The first frame, drawn by the view, started the story, which may not
    // be skipped at the first start.
    EXPECT_EQ(master->state, MasterState::StoryRuns);
    EXPECT_EQ(master->active, master->controller(ControllerRole::Story));
    frameUntil([] { return false; }, 200);
    shoot("fresh-1-story");
    view->handleDoubleTap(PVRTVec2(187.0f, 333.0f));
    EXPECT_EQ(master->state, MasterState::StoryRuns);
    ASSERT_TRUE(frameUntil(
        [&] { return master->state == MasterState::Menu && ZQ::gGlobals.tileModel->isReady(); }, 900));
    shoot("fresh-2-first-menu");

    // The first-run menu's one tile starts the tutorial in level 0's room.
    tapAt(0.5f * w, 0.4f * h);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_TRUE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(master->active, master->controller(ControllerRole::Tutorial));
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 0);
    frameUntil([] { return false; }, 240);
    shoot("fresh-3-tutorial");
}

// A first-time player who leaves the tutorial unfinished: the story, the
// first-run menu, the tutorial's first room, the pause menu (the tutorial
// shows no pause button: coming back to the game pauses it), stop; the
// first-run menu again, nothing recorded as done; then a new game whose
// level 0 is solved and awarded.
TEST_F(GameFlowTest, ATutorialLeftUnfinishedIsNotMarkedDoneAndLevelZeroIsThenAwarded) {
    openGame(false);
    ZQ::KeyValueStore& defaults = ZQ::Preferences::shared().userDefaults();
    EXPECT_EQ(master->state, MasterState::StoryRuns);
    frameUntil([] { return false; }, 200);
    shoot("left-1-story");
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::Menu; }, 900));
    ASSERT_TRUE(tilesSettle({ZQ::TileCollection::kTutorial}, 200));
    shoot("left-2-first-menu");

    tapTile(ZQ::TileCollection::kTutorial);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    ZQ::Controller* tutorial = master->controller(ControllerRole::Tutorial);
    ASSERT_EQ(master->active, tutorial);
    frameUntil([] { return false; }, 240);
    EXPECT_TRUE(tilesShown().empty()) << "no pause button before the tutorial is done";
    shoot("left-3-tutorial");

    // Back in the game while the room runs: 21, then the pause menu over
    // the suspended tutorial.
    view->moveToActive();
    view->moveToInactive();
    EXPECT_EQ(master->state, MasterState::Pause);
    frame();
    EXPECT_EQ(master->state, MasterState::Menu);
    EXPECT_EQ(master->suspended, tutorial);
    EXPECT_EQ(tilesShown(),
              (std::vector<int32_t>{ZQ::TileCollection::kShareKnot, ZQ::TileCollection::kPauseMap,
                                    ZQ::TileCollection::kResume, ZQ::TileCollection::kStop,
                                    ZQ::TileCollection::kRestartLevel}));
    // Share and map stay turned away (no network, the tutorial runs), so
    // the screen never settles as a whole: the last of its buttons has
    // turned in after 55 frames.
    frameUntil([] { return false; }, 90);
    shoot("left-4-pause");

    // Stop: 23, 24, then the menu.
    std::vector<MasterState> states;
    tapTile(ZQ::TileCollection::kStop);
    ASSERT_TRUE(frameUntil(
        [&] {
            if (states.empty() || states.back() != master->state) {
                states.push_back(master->state);
            }
            return master->state == MasterState::Menu && states.size() > 1;
        },
        300))
        << ::testing::PrintToString(states);
    EXPECT_EQ(states, (std::vector<MasterState>{MasterState::Menu, MasterState::QuitToMenu,
                                                MasterState::AwaitMenu, MasterState::Menu}));
    EXPECT_EQ(master->active, master->controller(ControllerRole::Menu));
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_FALSE(ZQ::Preferences::shared().isTutorialCompleted());
    EXPECT_EQ(defaults.object(ZQ::Preferences::kStateKey), nullptr) << "an unfinished tutorial saves nothing";
    // Not done, so the menu is the first-run one again, with the tutorial alone.
    ASSERT_TRUE(tilesSettle({ZQ::TileCollection::kTutorial}, 200));
    shoot("left-5-menu-again");

    // That menu has no new-game tile: the new game is posted as the main
    // menu's tile would post it.
    ZQ::gGlobals.tileModel->notify(&ZQ::EventListener::onTile, ZQ::TileCollection::kNewGame);
    EXPECT_EQ(master->state, MasterState::StartNewGame);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_EQ(master->active, game());
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 0);
    auto* award = solveLevelZero("left-6-level0");
    ASSERT_NE(award, nullptr) << "level 0 was not solved";
    EXPECT_EQ(master->state, MasterState::AwardRuns);
    ASSERT_TRUE(tilesSettle({ZQ::TileCollection::kContinue}, 120));
    shoot("left-7-points");

    // The points skipped with their continue tile: the award at once.
    tapTile(ZQ::TileCollection::kContinue);
    ASSERT_TRUE(frameUntil([&] { return award->state == AwardState::AwaitChoice; }, 60));
    const ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    ASSERT_EQ(ZQ::gGlobals.tangleModel->getTangles().size(), 1u);
    EXPECT_EQ(ZQ::gGlobals.tangleModel->getTangles().front()->materialIndex, 4 - points.grade);
    frameUntil([] { return false; }, 150);
    shoot("left-8-award");
    EXPECT_FALSE(ZQ::Preferences::shared().isTutorialCompleted()) << "a level solved is not the tutorial";
}

// The tutorial's own script for its first room (its frames counted from the
// room's first frame), as the player would play it.
std::string firstRoomScript() {
    std::ifstream file(std::string(VELMORA_SOURCE_DIR) + "/tools/velmora-screens/scripts/tutorial.txt");
    std::string lines;
    std::string line;
    while (std::getline(file, line) && line.rfind("# Room 1", 0) != 0) {
        if (!line.empty() && line[0] != '#') {
            lines += line + "\n";
        }
    }
    return lines;
}

TEST_F(GameFlowTest, TheTutorialsFirstRoomPlayedToItsEndIsAwardedAsLevelZero) {
    openGame(false);
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    ASSERT_TRUE(frameUntil(
        [&] { return master->state == MasterState::Menu && ZQ::gGlobals.tileModel->isReady(); }, 900));
    tapAt(0.5f * w, 0.4f * h);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    ASSERT_EQ(master->active, master->controller(ControllerRole::Tutorial));
    // One frame drawn, as the game draws every frame: the room's wallpaper
    // is painted from the relief collected for it.
    view->drawView();
    ++drawn;
    // The script's frame 1 is the room's first frame, the one before.
    const std::string script = firstRoomScript();
    ASSERT_FALSE(script.empty());
    ZQ::seedRandom(1);
    drawn -= 2;
    input(script);
    drawn += 2;
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::AwardRuns; }, 2400))
        << "the first room was not finished";
    auto* award = dynamic_cast<ZQ::AwardController*>(master->active);
    ASSERT_NE(award, nullptr);
    EXPECT_TRUE(ZQ::gGlobals.tutorialActive);
    ASSERT_TRUE(frameUntil([&] { return award->state == AwardState::AwaitChoice; }, 900));
    frameUntil([] { return false; }, 150);
    EXPECT_EQ(ZQ::gGlobals.tangleModel->getTangles().size(), 1u);
    shoot("fresh-4-award");
    // Next: the tutorial's second room, nothing saved while it runs.
    tapAt(0.5f * w + 0.7f * w / 3.0f, 0.1f * h);
    ASSERT_TRUE(frameUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 1);
    EXPECT_EQ(master->active, master->controller(ControllerRole::Tutorial));
    EXPECT_EQ(ZQ::Preferences::shared().userDefaults().object(ZQ::Preferences::kStateKey), nullptr);
}

// Counts the drag grasps the grasp model admits.
class DragCount : public ZQ::EventListener {
public:
    void onGrasp(ZQ::Grasp* grasp) override { drags += grasp->getType() == ZQ::Grasp::Drag ? 1 : 0; }
    int drags = 0;
};

// A tutorial step's gesture limits last exactly as long as its room: the
// game losing and regaining focus pauses the room with the step's limits
// kept, and stopping it from the pause menu lets go of the step (the game
// played next takes every gesture: ATutorialLeftUnfinished... plays one).
TEST_F(GameFlowTest, ATutorialStepKeepsItsGestureLimitsThroughAFocusLossUntilItsRoomIsLeft) {
    openGame(false);
    DragCount grasps;
    ZQ::gGlobals.graspModel->addListener(&grasps);
    ASSERT_TRUE(frameUntil(
        [&] { return master->state == MasterState::Menu && ZQ::gGlobals.tileModel->isReady(); }, 900));
    ZQ::gGlobals.tileModel->notify(&ZQ::EventListener::onTile, ZQ::TileCollection::kTutorial);
    auto* tutorial = dynamic_cast<ZQ::TutorialController*>(master->controller(ControllerRole::Tutorial));
    ASSERT_NE(tutorial, nullptr);
    const auto inKnotStep = [&] {
        const ZQ::TutorialNode* node = tutorial->currentNode;
        return master->active == tutorial && node != nullptr && node->name() == "TNSingleKnot" &&
               node->status == ZQ::TutorialNode::kRunning;
    };
    ASSERT_TRUE(frameUntil(inKnotStep, 400));
    const auto focusLostAndBack = [&] {
        view->moveToInactive();
        view->moveToActive();
        return frameUntil([&] { return master->state == MasterState::Menu && master->suspended == tutorial; },
                          30);
    };

    ASSERT_TRUE(focusLostAndBack());
    ZQ::gGlobals.tileModel->notify(&ZQ::EventListener::onTile, ZQ::TileCollection::kResume);
    ASSERT_TRUE(frameUntil(
        [&] { return master->state == MasterState::LevelRuns && master->active == tutorial; }, 30));
    ASSERT_TRUE(inKnotStep());
    // A finger held on the cord, long enough for a drag's grasps.
    const PVRTVec2 at = pointOf(ZQ::gGlobals.cordModel->count / 2);
    input(touch(1, "began", at) + touch(16, "ended", at));
    frameUntil([] { return false; }, 18);
    EXPECT_EQ(grasps.drags, 0) << "the step still forbids every gesture";

    ASSERT_TRUE(focusLostAndBack());
    ZQ::TutorialNode* step = tutorial->currentNode;
    ZQ::gGlobals.tileModel->notify(&ZQ::EventListener::onTile, ZQ::TileCollection::kStop);
    ASSERT_TRUE(frameUntil(
        [&] {
            return master->state == MasterState::Menu &&
                   master->active == master->controller(ControllerRole::Menu);
        },
        600));
    EXPECT_FALSE(ZQ::gGlobals.tutorialActive);
    EXPECT_EQ(tutorial->currentNode, nullptr);
    for (const ZQ::Model* source : tutorial->nodeSources) {
        const auto& listeners = source->getListeners();
        EXPECT_EQ(std::count(listeners.begin(), listeners.end(), step), 0);
    }
    ZQ::gGlobals.graspModel->removeListener(&grasps);
}

} // namespace
