#include "game/GameController.h"

#include "cords/CordModel.h"
#include "cords/GraspModel.h"
#include "cords/HeadModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Model.h"
#include "engine/Preferences.h"
#include "engine/Random.h"
#include "engine/RotateActions.h"
#include "engine/SocialGateway.h"
#include "engine/SoundAction.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/Sharing.h"
#include "game/TipNode.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "stage/BalloonModel.h"
#include "stage/CameraModel.h"
#include "stage/ConeModel.h"
#include "stage/RoomModel.h"
#include "stage/ShadowModel.h"

#include <cmath>
#include <list>
#include <string>

namespace ZQ {

namespace {

constexpr int32_t kRoomTurnFrames = 45;

GraspModel& graspModel() {
    ZQ_ASSERT(gGlobals.graspModel != nullptr);
    return *gGlobals.graspModel;
}

float uniform() {
    return static_cast<float>(arc4random()) * 0x1p-32f;
}

// A caption on the HUD plane at (x, y) pixels.
CaptionInstance* addHudCaption(const std::string& name, float x, float y, Action* action) {
    CaptionInstance* caption = gGlobals.captionModel->addCaption(name, action);
    caption->layout.position = PVRTVec3(x, y, DeviceProfile::get().hudDepth);
    return caption;
}

} // namespace

GameController::GameController() : driver(graspModel(), this) {}

GameController::~GameController() = default;

TipNode* GameController::tip() const {
    return gGlobals.levelModel->currentLevel().tip;
}

void GameController::setUp() {
    listenToModels();
    state = LoadCords;
    driver.setUp();
}

void GameController::tearDown() {
    stopListeningToModels();
    resetGrasps();
    driver.tearDown();
}

void GameController::doStep() {
    switch (state) {
    case LoadCords:
        loadCords();
        break;
    case Intro:
        intro();
        break;
    case RoomReady:
        roomReady();
        break;
    case FirstGrasp:
        break; // onGrasp moves on
    case StartDisplays:
        startDisplays();
        break;
    case Play:
        playStep();
        break;
    case Fail:
        fail();
        break;
    case Reload:
        reload();
        break;
    case Scoring:
        scoring();
        break;
    case TipRemoval:
        tipRemoval();
        break;
    case TearDownLevel:
        tearDownLevel();
        break;
    case Quit:
        quitLevel();
        break;
    default:
        break; // done, or beyond the table: nothing more happens
    }
}

void GameController::loadCords() {
    SoundGateway::instance()->playThemeMusic();
    const LevelModel::Level& record = gGlobals.levelModel->currentLevel();
    ZQ_ASSERT(record.cord != nullptr);
    CordModel& cord = *gGlobals.cordModel;
    cord.loadCord(*record.cord, record.cordSettings());
    gGlobals.coneModel->addCones();
    gGlobals.shadowModel->loadJobs(cord.segments);
    state = Intro;
    SocialGateway::instance()->clearSnapshot();
}

void GameController::intro() {
    RoomModel& rooms = *gGlobals.roomModel;
    const PVRTVec3 at = rooms.current->getPosition();
    SoundGateway::instance()->playRotateRoom(at.x, at.y, at.z);
    // The room of a later level comes in from one side, an earlier one from
    // the other.
    const bool forward = rooms.current->level >= rooms.next->level;
    const float otherTo = forward ? 1.5f * kPi : -0.5f * kPi;
    const float currentFrom = forward ? -0.5f * kPi : 1.5f * kPi;
    rooms.next->setAction(
        new RotateCenterAction(rooms.turnCentre, rooms.turnRadius, 0.5f * kPi, otherTo, kRoomTurnFrames));
    rooms.current->setAction(
        new RotateCenterAction(rooms.turnCentre, rooms.turnRadius, currentFrom, 0.5f * kPi, kRoomTurnFrames));
    rooms.turning = true;
    gGlobals.cordModel->fadeIn();
    state = RoomReady;
}

bool GameController::roomInPlace() {
    const RoomModel& rooms = *gGlobals.roomModel;
    const Action* turn = rooms.current->getAction();
    return !rooms.turning || turn == nullptr || turn->isFinished();
}

void GameController::roomReady() {
    if (!roomInPlace()) {
        return;
    }
    requestShareSnapshot();
    TileCollection::showGameUi();
    gGlobals.scoreModel->count = 0;
    CaptionCollection::setKnotNameText(gGlobals.levelModel->currentLevel().name);
    showKnotName();
    showLevelNumber();
    armTip();
    gGlobals.timerModel->idleCounter = 0;
    gGlobals.timerModel->idleCounting = true;
    state = FirstGrasp;
}

void GameController::showKnotName() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float r1 = uniform();
    const float r2 = uniform();
    const float r3 = uniform();
    FlowModel& flows = *gGlobals.flowModel;
    int32_t flow = -1;
    int32_t n = 0;
    flows.addFlow(gGlobals.captionBox->getCaption("knots_name"), &flow, &n, r2 >= 0.5f ? 0.0f : w,
                  (0.5f + 0.5f * r3) * h, 0.0f);
    if (n == 0) {
        return;
    }
    const bool left = r1 >= 0.5f;
    const float exitX = left ? -w : 2.0f * w;
    const int32_t pivot = left ? 0 : n - 1;
    const float top = 0.75f * h;
    auto* enter = new FlowModel::Batch();
    enter->push_back(
        new FlowAnim(flow, 0,
                     new Sequence({new SoundAction(&ISoundGateway::playRandomSwish17),
                                   new FlowMoveAction(15, PVRTVec3(0.7f * w, top, 0.0f), easeSmooth()),
                                   new FlowMoveAction(60, PVRTVec3(0.2f * w, top, 0.0f), easeOutCirc())})));
    if (n > 1) {
        enter->push_back(
            new FlowAnim(flow, n - 1,
                         new Sequence({new FlowMoveAction(15, PVRTVec3(0.9f * w, top, 0.0f), easeSmooth()),
                                       new FlowStopAction(60)})));
    }
    auto* leave = new FlowModel::Batch();
    leave->push_back(
        new FlowAnim(flow, pivot,
                     new Sequence({new SoundAction(&ISoundGateway::playRandomSwish16),
                                   new FlowMoveAction(15, PVRTVec3(exitX, top, 0.0f), easeOutCirc())})));
    flows.addSteps({enter, leave, new FlowModel::Batch({new FlowRemove(flow)})});
}

void GameController::showLevelNumber() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const LevelModel& levels = *gGlobals.levelModel;
    gGlobals.captionBox->setCaption("medium_level", std::to_string(levels.currentIndex() + 1) + "/" +
                                                        std::to_string(levels.levelCount()));
    CaptionInstance* number =
        addHudCaption("medium_level", 0.8f * w, 0.1f * h,
                      new Sequence({new WaitAction(45), new FadeInAction(easeOutCubic(), 30, 1.0f),
                                    new WaitAction(45), new FadeOutAction(easeInCubic(), 30)}));
    number->layout.alpha = 0.0f;
    CaptionInstance* label =
        addHudCaption("small_level", 0.8f * w, 0.05f * h,
                      new Sequence({new WaitAction(55), new FadeInAction(easeInQuart(), 30, 1.0f),
                                    new WaitAction(30), new FadeOutAction(easeInCubic(), 30)}));
    label->layout.alpha = 0.0f;
}

void GameController::hideTileScreen() {
    TileModel& tiles = *gGlobals.tileModel;
    if (!tiles.isEmpty()) {
        tiles.hideTile();
    }
}

void GameController::armTip() {
    TipNode* t = tip();
    if (t == nullptr) {
        return;
    }
    t->start();
    gGlobals.timerModel->addListener(t);
    gGlobals.cordModel->addListener(t);
    gGlobals.headModel->addListener(t);
    gGlobals.graspModel->addListener(t);
}

void GameController::disarmTip() {
    TipNode* t = tip();
    if (t == nullptr) {
        return;
    }
    t->start();
    gGlobals.timerModel->removeListener(t);
    gGlobals.cordModel->removeListener(t);
    gGlobals.headModel->removeListener(t);
    gGlobals.graspModel->removeListener(t);
}

void GameController::startDisplays() {
    gGlobals.scoreModel->show();
    gGlobals.headModel->createHeads();
    if (Preferences::shared().getGameMode() == ZenMode) {
        gGlobals.stringScoreModel->show();
    } else {
        gGlobals.timerModel->show();
    }
    state = Play;
}

void GameController::pause() {
    if (!isPausable()) {
        return;
    }
    resetGrasps();
    gGlobals.cursorModel->hideCursor();
    gGlobals.timerModel->pause();
    gGlobals.particleSystem1->pause();
    gGlobals.particleSystem2->pause();
    gGlobals.cordModel->pause();
    gGlobals.flowModel->pause();
    gGlobals.cameraModel->spotPopOut();
    gGlobals.headModel->pause();
    gGlobals.captionModel->pause();
    gGlobals.balloonModel->pause();
}

void GameController::resume() {
    gGlobals.timerModel->resume();
    gGlobals.particleSystem1->resume();
    gGlobals.particleSystem2->resume();
    gGlobals.cordModel->resume();
    gGlobals.flowModel->resume();
    gGlobals.cameraModel->spotPopIn();
    gGlobals.headModel->resume();
    gGlobals.captionModel->resume();
    gGlobals.balloonModel->resume();
}

bool GameController::isPausable() const {
    switch (state) {
    case Scoring:
    case TipRemoval:
    case TearDownLevel:
    case Done:
    case Quit:
        return false;
    default:
        return true;
    }
}

void GameController::onTimeUp() {
    if (state == Play) {
        state = Fail;
    }
}

void GameController::onSolved() {
    if (state == Play) {
        state = Scoring;
    }
}

void GameController::onGrasp(Grasp*) {
    if (state == FirstGrasp) {
        state = StartDisplays;
    }
}

void GameController::onHeadReleased(HeadInstance*) {
    if (Preferences::shared().getGameMode() == ZenMode) {
        gGlobals.stringScoreModel->update();
    }
}

} // namespace ZQ
