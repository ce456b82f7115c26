#include "game/TutorialController.h"

#include "cords/CordModel.h"
#include "cords/GraspModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Model.h"
#include "game/Sharing.h"
#include "game/TutorialNode.h"
#include "game/TutorialSteps.h"
#include "levels/LevelModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TimerModel.h"
#include "stage/BalloonModel.h"

namespace ZQ {

namespace {

// The steps of each room, in play order.
std::vector<TutorialNode*> makeRoom(int32_t room) {
    if (room == 0) {
        return {new TNWait(), new TNSingleKnot(), new TNSlide(), new TNDrag(), new TNRotate(), new TNTry()};
    }
    return {new TNWait(), new TNAttractor(), new TNSeparate(), new TNEnd()};
}

} // namespace

TutorialController::TutorialController() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr && gGlobals.graspModel != nullptr &&
              gGlobals.timerModel != nullptr);
    nodeSources = {gGlobals.cordModel, gGlobals.graspModel, gGlobals.timerModel};
}

TutorialController::~TutorialController() {
    releaseCurrent();
    deleteNodes();
}

void TutorialController::setUp() {
    // Whatever an earlier room left (a room the master never tore down)
    // must not limit the gestures of this one.
    releaseCurrent();
    deleteNodes();
    GameController::setUp();
}

void TutorialController::tearDown() {
    GameController::tearDown();
    releaseCurrent();
    deleteNodes();
}

void TutorialController::doStep() {
    switch (state) {
    case RoomReady:
        roomReady();
        break;
    case Play:
        playNodes();
        playStep();
        break;
    case Quit:
        gGlobals.balloonModel->easeAll();
        // A room left early takes its step with it: the pause menu's stop,
        // restart and map go on with every gesture allowed.
        releaseCurrent();
        GameController::doStep();
        break;
    default:
        GameController::doStep();
        break;
    }
}

void TutorialController::roomReady() {
    if (!roomInPlace()) {
        return;
    }
    requestShareSnapshot();
    TileCollection::showGameUi();
    const int32_t room = gGlobals.levelModel->level;
    ZQ_ASSERT(room < kStageLength && "room < Stage::StageLength");
    if (room < 0) {
        platformLog("stage invalid");
        state = Scoring;
        return;
    }
    deleteNodes();
    nodes = makeRoom(room);
    nextNode = 1;
    join(nodes.front());
    state = Play;
    gGlobals.scoreModel->count = 0;
    gGlobals.scoreModel->show();
}

void TutorialController::playNodes() {
    if (currentNode == nullptr) {
        state = Scoring;
        return;
    }
    currentNode->update();
    if (currentNode->status != TutorialNode::kDone) {
        return;
    }
    releaseCurrent();
    if (nextNode >= nodes.size()) {
        state = Scoring;
        return;
    }
    join(nodes[nextNode++]);
}

void TutorialController::join(TutorialNode* node) {
    currentNode = node;
    node->reset();
    for (Model* source : nodeSources) {
        source->addListener(node);
    }
}

void TutorialController::releaseCurrent() {
    if (currentNode == nullptr) {
        return;
    }
    for (Model* source : nodeSources) {
        source->removeListener(currentNode);
    }
    currentNode->reset();
    currentNode = nullptr;
}

void TutorialController::deleteNodes() {
    ZQ_ASSERT(currentNode == nullptr);
    for (TutorialNode* node : nodes) {
        delete node;
    }
    nodes.clear();
    nextNode = 0;
}

bool TutorialController::permits(Grasp::Type kind) {
    if (currentNode == nullptr) {
        return true;
    }
    switch (kind) {
    case Grasp::Slide:
        return currentNode->canSlide();
    case Grasp::Drag:
        return currentNode->canDrag();
    case Grasp::Rotate:
        return currentNode->canRotate();
    }
    return true;
}

} // namespace ZQ
