#include "game/MasterGameController.h"

#include "engine/Assert.h"
#include "engine/EventSource.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "engine/Spot.h"
#include "game/CloudMerge.h"
#include "game/GameServiceGateway.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ZQ {

namespace {

// The states' names, indexed by state.
// clang-format off
constexpr std::array kStateNames = {
    "Start",         // 0
    "OutroRuns",     // 1
    "LevelRuns",     // 2
    "AwardRuns",     // 3
    "Menu",          // 4
    "LoadGame",      // 5
    "StartTutorial", // 6
    "StartNewGame",  // 7
    "OpenMap",       // 8
    "OpenStory",     // 9
    "QuitToRestart", // 10
    "QuitToMap",     // 11
    "AwaitMap",      // 12
    "AwaitRestart",  // 13
    "AfterAward",    // 14
    "SaveForMap",    // 15
    "RestartLevel",  // 16
    "NextLevel",     // 17
    "LoadedLevel",   // 18
    "StartLevel",    // 19
    "",              // 20, no state
    "Pause",         // 21
    "Resume",        // 22
    "QuitToMenu",    // 23
    "AwaitMenu",     // 24
    "MapRuns",       // 25
    "StoryRuns",     // 26
    "ShowMenu",      // 27
};
// clang-format on
static_assert(kStateNames.size() == MasterGameController::kStateEnd);

} // namespace

const char* MasterGameController::stateName(State state) {
    const auto index = static_cast<std::size_t>(state);
    return index < kStateNames.size() ? kStateNames[index] : "";
}

MasterGameController::MasterGameController(MasterWiring wiring, Preferences& preferences)
    : wiring(std::move(wiring)), preferences(preferences) {
    initial = &nop;
    active = initial;
    for (int32_t i = 0; i < kControllerRoleCount; ++i) {
        const MasterWiring::Maker& make = this->wiring.makers[static_cast<std::size_t>(i)];
        // A role the game lacks waits for ever, as the no-op controller does.
        roles[static_cast<std::size_t>(i)] = make ? make() : new NopController();
        ZQ_ASSERT(roles[static_cast<std::size_t>(i)] != nullptr);
    }
    controllers = {menu(),
                   controller(ControllerRole::Game),
                   controller(ControllerRole::Award),
                   controller(ControllerRole::Outro),
                   menu(),
                   controller(ControllerRole::Map)};
}

MasterGameController::~MasterGameController() {
    for (Controller* role : roles) {
        delete role;
    }
}

void MasterGameController::setUp() {
    if (wiring.tiles) {
        if (EventSource* tiles = wiring.tiles()) {
            tiles->addListener(this);
        }
    }
    active = initial;
    suspended = nullptr;
    tutorialOverRecord = false;
    state = State::Start;
}

void MasterGameController::tearDown() {
    // The game's list names the menu twice and controllers that may never
    // have been set up (or that tore themselves down when they quit); each
    // is torn down once, and only after a set-up of its own.
    for (Controller* entry : controllers) {
        tearDownController(entry);
    }
    for (Controller* role : roles) {
        tearDownController(role);
    }
    if (wiring.tiles) {
        if (EventSource* tiles = wiring.tiles()) {
            tiles->removeListener(this);
        }
    }
    active = initial;
    suspended = nullptr;
}

void MasterGameController::doStep() {
    runState();
    active->doStep();
}

void MasterGameController::pauseIfPlaying() {
    if (levelPausable()) {
        state = State::Pause;
    }
}

bool MasterGameController::levelPausable() const {
    return state == State::LevelRuns && active->isPausable();
}

void MasterGameController::setUpController(Controller* controller) {
    controller->setUp();
    if (std::find(setUpOnes.begin(), setUpOnes.end(), controller) == setUpOnes.end()) {
        setUpOnes.push_back(controller);
    }
}

void MasterGameController::tearDownController(Controller* controller) {
    const auto it = std::find(setUpOnes.begin(), setUpOnes.end(), controller);
    if (it == setUpOnes.end()) {
        return;
    }
    setUpOnes.erase(it);
    controller->tearDown();
}

void MasterGameController::switchTo(Controller* next) {
    // The game only made the menu current over the story that had just ended
    // (no tear-down), which left the story listening to every model; here
    // every controller left behind is torn down, once, if it was set up.
    tearDownController(active);
    active = next;
    setUpController(next);
}

void MasterGameController::showScreen(const std::function<void()>& screen) {
    if (screen) {
        screen();
    }
}

void MasterGameController::runState() {
    Globals& g = gGlobals;
    const bool waiting = !active->isDone();
    switch (state) {
    case State::Start: {
        MandalaModel* relief = g.mandalaModel;
        ZQ_ASSERT(relief != nullptr);
        relief->clearInstances();
        relief->build(0);
        relief->collect();
        if (g.cameraModel != nullptr && g.cameraModel->spot != nullptr) {
            g.cameraModel->spot->pair = PVRTVec2(1.0f, 0.8f);
            g.cameraModel->spot->third = 0.5f;
        }
        if (preferences.isTutorialCompleted()) {
            state = State::ShowMenu;
        } else {
            switchTo(controller(ControllerRole::Story));
            SoundGateway::instance()->playIntroMusic();
            state = State::StoryRuns;
        }
        break;
    }
    case State::OutroRuns:
        if (!waiting) {
            state = State::NextLevel;
        }
        break;
    case State::LevelRuns:
        if (!waiting) {
            switchTo(controller(ControllerRole::Award));
            buildRelief(1);
            state = State::AwardRuns;
        }
        break;
    case State::AwardRuns:
        if (!waiting) {
            state = State::AfterAward;
        }
        break;
    case State::Menu:
        break;
    case State::LoadGame:
        if (!waiting) {
            loadState();
            state = State::LoadedLevel;
        }
        break;
    case State::StartTutorial:
        if (!waiting) {
            // A stored record outlives the tutorial: the tutorial plays from
            // a new game in memory and the stored record is picked up again
            // when it ends.
            tutorialOverRecord =
                SavedState::storedIn(preferences.userDefaults(), g.levelModel->levelCount()).has_value();
            g.tutorialActive = true;
            startOverState();
            state = State::LoadedLevel;
        }
        break;
    case State::StartNewGame:
        if (!waiting) {
            tutorialOverRecord = false;
            startOverState();
            state = State::LoadedLevel;
        }
        break;
    case State::OpenMap:
        if (!waiting) {
            state = State::MapRuns;
            loadState();
            applyState();
            switchTo(controller(ControllerRole::Map));
        }
        break;
    case State::OpenStory:
        if (!waiting) {
            state = State::StoryRuns;
            Controller* story = controller(ControllerRole::Story);
            switchTo(story);
            if (wiring.allowStorySkip) {
                wiring.allowStorySkip(*story);
            }
        }
        break;
    case State::QuitToRestart:
    case State::QuitToMap:
    case State::QuitToMenu:
        showScreen(wiring.hideTiles);
        if (suspended != nullptr) {
            active = suspended;
            suspended = nullptr;
            active->quit();
        }
        state = state == State::QuitToRestart ? State::AwaitRestart
                : state == State::QuitToMap   ? State::AwaitMap
                                              : State::AwaitMenu;
        break;
    case State::AwaitMap:
        if (!waiting) {
            state = State::OpenMap;
        }
        break;
    case State::AwaitRestart:
        if (!waiting) {
            state = State::RestartLevel;
        }
        break;
    case State::AfterAward:
        if (!waiting) {
            const int32_t count = g.levelModel->levelCount();
            if ((g.levelModel->level + 1) % count != 0) {
                state = State::NextLevel;
            } else {
                switchTo(controller(ControllerRole::Outro));
                SoundGateway::instance()->playIntroMusic();
                state = State::OutroRuns;
            }
        }
        break;
    case State::SaveForMap:
        if (!waiting) {
            LevelModel& cursor = *g.levelModel;
            cursor.max_level = std::max(cursor.max_level, (cursor.level + 1) % cursor.levelCount());
            if (tutorialOverRecord) {
                // The map loads the stored record, which the tutorial's
                // rooms must not replace.
                tutorialOverRecord = false;
            } else {
                captureFinishedLevel();
                saveState(true);
            }
            state = State::OpenMap;
        }
        break;
    case State::RestartLevel:
        prepareRoom();
        buildRelief(0);
        state = State::StartLevel;
        break;
    case State::NextLevel: {
        LevelModel& cursor = *g.levelModel;
        if (tutorialOverRecord && !g.tutorialActive) {
            // The tutorial's last room is over: back to the stored record.
            tutorialOverRecord = false;
            loadState();
            state = State::LoadedLevel;
            break;
        }
        cursor.level = (cursor.level + 1) % cursor.levelCount();
        cursor.max_level = std::max(cursor.max_level, cursor.level);
        if (!g.tutorialActive) {
            captureFinishedLevel();
            saveState(true);
        } else {
            // A room of the tutorial records no result, but the record
            // follows the cursor: the room that ends the tutorial saves its
            // result as its own level's, not as the first room's.
            captureChoice();
        }
        prepareRoom();
        state = State::StartLevel;
        break;
    }
    case State::LoadedLevel:
        applyState();
        buildRelief(0);
        prepareRoom();
        state = State::StartLevel;
        break;
    case State::StartLevel:
        collectRelief();
        switchTo(controller(g.tutorialActive ? ControllerRole::Tutorial : ControllerRole::Game));
        state = State::LevelRuns;
        break;
    case State::Pause:
        suspended = active;
        showScreen(wiring.hideTiles);
        showScreen(wiring.showPauseUi);
        suspended->pause();
        active = menu();
        state = State::Menu;
        break;
    case State::Resume:
        if (suspended != nullptr) {
            suspended->resume();
            showScreen(wiring.showGameUi);
            active = suspended;
            suspended = nullptr;
            state = State::LevelRuns;
        } else {
            state = State::Menu;
        }
        break;
    case State::AwaitMenu:
        if (!waiting) {
            switchTo(menu());
            g.tutorialActive = false;
            tutorialOverRecord = false;
            showScreen(wiring.showMainUi);
            SoundGateway::instance()->playMenuMusic();
            state = State::Menu;
        }
        break;
    case State::MapRuns:
        if (!waiting) {
            state = State::LoadedLevel;
            captureChoice();
            saveState(false);
        }
        break;
    case State::StoryRuns:
        if (!waiting) {
            state = State::ShowMenu;
        }
        break;
    case State::ShowMenu:
        SoundGateway::instance()->playMenuMusic();
        switchTo(menu());
        showScreen(wiring.showMainUi);
        state = State::Menu;
        break;
    }
}

void MasterGameController::prepareRoom() {
    Globals& g = gGlobals;
    RoomModel* room = g.roomModel;
    ZQ_ASSERT(room != nullptr && room->current != nullptr);
    room->swapRooms();
    RoomModel::assignLevel(*room->current, *g.levelModel, g.levelModel->level);
    // The wallpaper textures of the room now in front are painted again once
    // its relief is collected, which raises the relief's repaint flag.
}

void MasterGameController::buildRelief(int32_t offset) {
    MandalaModel* relief = gGlobals.mandalaModel;
    ZQ_ASSERT(relief != nullptr);
    relief->clearInstances();
    relief->build(offset);
}

void MasterGameController::collectRelief() {
    MandalaModel* relief = gGlobals.mandalaModel;
    ZQ_ASSERT(relief != nullptr);
    relief->collect();
}

bool MasterGameController::loadState() {
    return gGlobals.savedState->load(preferences.userDefaults());
}

void MasterGameController::startOverState() {
    gGlobals.savedState->startOver();
}

void MasterGameController::applyState() {
    SavedState::Scores scores;
    SavedState::Timer timer;
    gGlobals.savedState->apply(*gGlobals.levelModel, scores, timer);
    if (wiring.writeScores) {
        wiring.writeScores(scores);
    }
    if (wiring.writeTimer) {
        wiring.writeTimer(timer);
    }
}

void MasterGameController::captureFinishedLevel() {
    const SavedState::Scores scores = wiring.readScores ? wiring.readScores() : SavedState::Scores();
    const int32_t frames = wiring.elapsedFrames ? wiring.elapsedFrames() : 0;
    gGlobals.savedState->capture(*gGlobals.levelModel, scores, frames);
}

void MasterGameController::captureChoice() {
    const SavedState::Scores scores = wiring.readScores ? wiring.readScores() : SavedState::Scores();
    gGlobals.savedState->captureChoice(*gGlobals.levelModel, scores);
}

void MasterGameController::saveState(bool report) {
    CloudMerge merge(preferences.userDefaults(), preferences.cloudStore(), gGlobals.levelModel->levelCount());
    if (merge.save(*gGlobals.savedState)) {
        // Progress from another machine came in: the map, the points and
        // the next capture go on from it.
        applyState();
    }
    if (report && gGlobals.gameCenterAuthenticated) {
        gGlobals.savedState->reportScore(*GameServiceGateway::instance());
    }
}

} // namespace ZQ
