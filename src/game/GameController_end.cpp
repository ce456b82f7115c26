#include "game/GameController.h"

#include "constants/GradeMaps.h"
#include "cords/CordModel.h"
#include "cords/GraspModel.h"
#include "cords/HeadModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/LevelScore.h"
#include "game/TipNode.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"
#include "stage/CameraModel.h"
#include "stage/ConeModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomColorAction.h"
#include "stage/RoomModel.h"
#include "stage/ShadowModel.h"

#include <algorithm>

namespace ZQ {

namespace {

// The cord's own fade has ended (or it never had one) and no flowing letter
// moves.
bool cordAndFlowsAtRest() {
    const Action* fade = gGlobals.cordModel->instance->getAction();
    return (fade == nullptr || fade->isFinished()) && gGlobals.flowModel->isReady();
}

} // namespace

void GameController::fail() {
    hideTileScreen();
    gGlobals.headModel->clearHeads();
    gGlobals.scoreModel->hide();
    gGlobals.timerModel->hide();
    SoundGateway::instance()->playLevelFailMusic();
    gGlobals.cordModel->fadeOut();

    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    CaptionInstance* timeUp = gGlobals.captionModel->addCaption("messages_timeup", nullptr);
    timeUp->layout.position = PVRTVec3(0.5f * w, 0.5f * h, DeviceProfile::get().hudDepth);
    Layout tiny = timeUp->layout;
    tiny.scale = 0.0001f;
    timeUp->setAction(new Sequence({new EasingStaticAction(tiny, timeUp->layout, easeOutElastic(), 30),
                                    new WaitAction(30), new EasingAction(tiny, easeInElastic(), 30)}));

    gGlobals.cursorModel->hideCursor();
    resetGrasps();
    state = Reload;
}

void GameController::clearLevel() {
    gGlobals.graspModel->removeAllGrasps();
    gGlobals.shadowModel->unloadJobs();
    gGlobals.cordModel->unload();
    gGlobals.coneModel->removeCones();
    gGlobals.headModel->clearHeads();
    gGlobals.cursorModel->tearDown();
    resetGrasps();
}

void GameController::reload() {
    if (!cordAndFlowsAtRest()) {
        return;
    }
    clearLevel();

    // The same level comes in again from the other room buffer.
    RoomModel& rooms = *gGlobals.roomModel;
    rooms.swapRooms();
    RoomModel::assignLevel(*rooms.current, *gGlobals.levelModel, gGlobals.levelModel->currentIndex());
    rooms.turning = false;
    gGlobals.mandalaModel->changed = true;
    disarmTip();
    state = LoadCords;
}

void GameController::scoring() {
    if (!gGlobals.flowModel->isReady()) {
        return;
    }
    hideTileScreen();
    gGlobals.timerModel->running = false;
    gGlobals.timerModel->idleCounting = false;
    SoundGateway::instance()->playLevelCompleteMusic();
    gGlobals.cordModel->fadeOut();
    gGlobals.headModel->clearHeads();
    const int32_t grade = scoreLevel();
    showGradeFlow(grade);
    gGlobals.cursorModel->hideCursor();
    RoomInstance* room = gGlobals.roomModel->current;
    room->setAction(new Sequence({new WaitAction(60), new RoomColorAction(30)}));
    state = TipRemoval;
}

void GameController::showGradeFlow(int32_t grade) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const std::string& name = *ResourceNames::tanglesByGrade.at(grade);
    FlowModel& flows = *gGlobals.flowModel;
    int32_t flow = -1;
    int32_t n = 0;
    flows.addFlow(gGlobals.captionBox->getCaption(name), &flow, &n, w, 0.5f * h, 0.0f);
    if (n == 0) {
        return;
    }
    const auto to = [&](float x, float y) { return PVRTVec3(x * w, y * h, 0.0f); };
    Action* decoration = nullptr;
    if (grade == 4) {
        decoration = new FlowMoveAction(30, to(0.5f, 0.4f), easeSmooth());
    } else if (grade >= 2) {
        decoration = new FlowStopAction(45);
    } else {
        decoration = new FlowMoveAction(3, to(0.5f, 0.75f), easeSmooth());
    }
    auto* batch = new FlowModel::Batch();
    batch->push_back(new FlowAnim(flow, (n - 1) / 2, new Sequence({new WaitAction(30), decoration})));
    batch->push_back(new FlowAnim(
        flow, 0,
        new Sequence({new FlowMoveAction(30, to(0.1f, 0.5f), easeSmooth()),
                      new FlowMoveAction(30, to(0.05f, 0.5f), easeSmooth()), new FlowStopAction(30),
                      new FlowMoveAction(15, to(-0.5f, 0.5f), easeSmooth())})));
    if (n > 1) {
        batch->push_back(new FlowAnim(
            flow, n - 1,
            new Sequence({new FlowMoveAction(30, to(0.8f, 0.5f), easeSmooth()),
                          new FlowMoveAction(30, to(1.0f, 0.5f), easeSmooth()), new FlowStopAction(30)})));
    }
    flows.addSteps({batch, new FlowModel::Batch({new FlowRemove(flow)})});
}

void GameController::tipRemoval() {
    if (!cordAndFlowsAtRest()) {
        return;
    }
    state = TearDownLevel;
    gGlobals.cameraModel->spotPopOut();
    disarmTip();
}

void GameController::tearDownLevel() {
    clearLevel();
    state = Done;
}

void GameController::quitLevel() {
    gGlobals.headModel->clearHeads();
    gGlobals.scoreModel->hide();
    gGlobals.cordModel->solved = false;
    gGlobals.cordModel->fadeOut();
    gGlobals.timerModel->hide();
    gGlobals.stringScoreModel->hide();
    gGlobals.cursorModel->hideCursor();
    gGlobals.flowModel->exitFlow();
    disarmTip();
    resetGrasps();
    // The pause menu paused the level's models.
    resume();
    state = TipRemoval;
}

int32_t GameController::scoreLevel() {
    ZQ_ASSERT(gGlobals.pointsModel != nullptr);
    PointsModel& points = *gGlobals.pointsModel;
    const LevelModel& levels = *gGlobals.levelModel;
    const LevelScore s = LevelScore::score(levels.currentIndex(), gGlobals.scoreModel->count,
                                           Preferences::shared().getGameMode(),
                                           gGlobals.timerModel->remaining, levels.gradeTable());
    points.basePoints = s.basePoints;
    points.flowId = -1;
    points.scorePoints = s.scorePoints;
    points.timePoints = s.timePoints;
    points.levelPoints = s.levelPoints;
    points.previousPoints = points.points;
    points.points = std::max(0, points.previousPoints + points.levelPoints);
    points.grade = s.grade;
    points.tangles[s.grade] += 1;
    return s.grade;
}

void GameController::takeBackLevelScore() {
    ZQ_ASSERT(gGlobals.pointsModel != nullptr);
    PointsModel& points = *gGlobals.pointsModel;
    points.points = points.previousPoints;
    // The solve counted one knot of its grade; the replay counts its own.
    int32_t& counted = points.tangles[points.grade];
    counted = std::max(0, counted - 1);
}

} // namespace ZQ
