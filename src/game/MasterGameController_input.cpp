#include "game/MasterGameController.h"

#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "game/AwardController.h"
#include "game/GameServiceGateway.h"
#include "game/Sharing.h"
#include "levels/LevelModel.h"
#include "overlays/TileCollection.h"

// Input and the tile commands. Every tap reaches the menu controller, which
// hands it to the tile model, so interface tiles answer in every phase; a
// pressed tile reports back here through onTile once its animation ends.

namespace ZQ {

namespace {

const std::string& currentKnotName() {
    return gGlobals.levelModel->currentLevel().name;
}

} // namespace

void MasterGameController::tap(PVRTVec2 point, float radius) {
    if (active != menu()) {
        menu()->tap(point, radius);
    }
    active->tap(point, radius);
}

void MasterGameController::onTile(int tileId) {
    switch (tileId) {
    case TileCollection::kContinueSaved:
    case TileCollection::kTutorial:
    case TileCollection::kNewGame:
    case TileCollection::kPlay:
    case TileCollection::kStory:
        showScreen(wiring.hideMainMenu);
        state = tileId == TileCollection::kContinueSaved ? State::LoadGame
                : tileId == TileCollection::kTutorial    ? State::StartTutorial
                : tileId == TileCollection::kNewGame     ? State::StartNewGame
                : tileId == TileCollection::kPlay        ? State::OpenMap
                                                         : State::OpenStory;
        break;
    case TileCollection::kLeaderboards:
        GameServiceGateway::instance()->showLeaderboards();
        break;
    case TileCollection::kGameMode:
        preferences.flipGameMode();
        break;
    case TileCollection::kMusic:
        setMusicMuted(!isMusicMuted());
        if (isMusicMuted()) {
            SoundGateway::instance()->musicOff();
        } else {
            SoundGateway::instance()->musicOn();
        }
        break;
    case TileCollection::kPause:
        // Only a running level pauses: a press that lands as the level
        // ends would keep a finished controller as the level.
        if (levelPausable()) {
            state = State::Pause;
        }
        break;
    case TileCollection::kResume:
    case TileCollection::kStop:
    case TileCollection::kRestartLevel:
    case TileCollection::kPauseMap:
        // The pause menu's buttons act on the level it suspended; without
        // one (a press that outlived its screen) there is nothing to act on.
        if (state != State::Menu || suspended == nullptr) {
            platformLog("Pause button %d without a paused level", tileId);
            break;
        }
        state = tileId == TileCollection::kResume         ? State::Resume
                : tileId == TileCollection::kStop         ? State::QuitToMenu
                : tileId == TileCollection::kRestartLevel ? State::QuitToRestart
                                                          : State::QuitToMap;
        if (tileId == TileCollection::kRestartLevel || tileId == TileCollection::kPauseMap) {
            active->quit();
        }
        break;
    case TileCollection::kShareKnot:
        shareKnot(currentKnotName());
        break;
    case TileCollection::kShareAward:
        shareAward(currentKnotName());
        break;
    case TileCollection::kNextLevel:
    case TileCollection::kRetry:
    case TileCollection::kAwardMap: {
        Controller* award = controller(ControllerRole::Award);
        if (state != State::AwardRuns) {
            platformLog("Award button %d without the award screen", tileId);
            break;
        }
        state = tileId == TileCollection::kNextLevel ? State::AfterAward
                : tileId == TileCollection::kRetry   ? State::AwaitRestart
                                                     : State::SaveForMap;
        if (wiring.setAwardState) {
            wiring.setAwardState(*award, tileId == TileCollection::kRetry
                                             ? AwardController::State::TakeBackScore
                                             : AwardController::State::StartExit);
        }
        break;
    }
    case TileCollection::kContinue:
    default:
        // The points screen's continue (the award controller skips the
        // points with it) and every id beyond the table belong to the
        // current controller.
        active->onTile(tileId);
        break;
    }
}

} // namespace ZQ
