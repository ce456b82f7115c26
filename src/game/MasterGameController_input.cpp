#include "game/MasterGameController.h"

#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "game/GameServiceGateway.h"
#include "game/Sharing.h"
#include "levels/LevelModel.h"

// Input and the tile commands. Every tap reaches the menu controller, which
// hands it to the tile model, so interface tiles answer in every phase; a
// pressed tile reports back here through onTile once its animation ends.

namespace ZQ {

namespace {

// The ids the tile screens post; the master acts on each of them.
enum TileId : int {
    kContinue = 0,
    kTutorial = 1,
    kNewGame = 2,
    kLeaderboards = 3,
    kGameMode = 4,
    kMusic = 5,
    kMap = 6,
    kStory = 7,
    kPause = 8,
    kResume = 9,
    kShareKnot = 10,
    kStop = 11,
    kRestart = 12,
    kPauseMap = 13,
    kSkipPoints = 14,
    kShareAward = 15,
    kNextLevel = 16,
    kRetry = 17,
    kAwardMap = 18,
};

// The award controller's own states that its buttons set.
constexpr int32_t kAwardRetry = 6;
constexpr int32_t kAwardExit = 7;

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
    case kContinue:
    case kTutorial:
    case kNewGame:
    case kMap:
    case kStory:
        showScreen(wiring.hideMainMenu);
        state = tileId == kContinue   ? 5
                : tileId == kTutorial ? 6
                : tileId == kNewGame  ? 7
                : tileId == kMap      ? 8
                                      : 9;
        break;
    case kLeaderboards:
        GameServiceGateway::instance()->showLeaderboards();
        break;
    case kGameMode:
        preferences.flipGameMode();
        break;
    case kMusic:
        setMusicMuted(!isMusicMuted());
        if (isMusicMuted()) {
            SoundGateway::instance()->musicOff();
        } else {
            SoundGateway::instance()->musicOn();
        }
        break;
    case kPause:
        // Only a running level pauses: a press that lands as the level
        // ends would keep a finished controller as the level.
        if (levelPausable()) {
            state = 21;
        }
        break;
    case kResume:
    case kStop:
    case kRestart:
    case kPauseMap:
        // The pause menu's buttons act on the level it suspended; without
        // one (a press that outlived its screen) there is nothing to act on.
        if (state != 4 || suspended == nullptr) {
            platformLog("Pause button %d without a paused level", tileId);
            break;
        }
        state = tileId == kResume ? 22 : tileId == kStop ? 23 : tileId == kRestart ? 10 : 11;
        if (tileId == kRestart || tileId == kPauseMap) {
            active->quit();
        }
        break;
    case kShareKnot:
        shareKnot(currentKnotName());
        break;
    case kShareAward:
        shareAward(currentKnotName());
        break;
    case kNextLevel:
    case kRetry:
    case kAwardMap: {
        Controller* award = controller(ControllerRole::Award);
        if (state != 3) {
            platformLog("Award button %d without the award screen", tileId);
            break;
        }
        state = tileId == kNextLevel ? 14 : tileId == kRetry ? 13 : 15;
        if (wiring.setAwardState) {
            wiring.setAwardState(*award, tileId == kRetry ? kAwardRetry : kAwardExit);
        }
        break;
    }
    default:
        // 14 (skip the points) and every id above 18 belong to the
        // current controller.
        active->onTile(tileId);
        break;
    }
}

} // namespace ZQ
