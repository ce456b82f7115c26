#include "game/TutorialSteps.h"

#include "cords/Grasp.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "game/TutorialHints.h"
#include "overlays/FlowModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"

namespace ZQ {

namespace {

// The display of the game mode: the timer in arcade mode, the calm strings
// in zen mode.
void showModeDisplay() {
    if (Preferences::shared().getGameMode() == ZenMode) {
        gGlobals.stringScoreModel->show();
    } else {
        gGlobals.timerModel->show();
    }
}

// A time-up in the player's own try starts the timer again, with the
// extra-time message: a tutorial room never fails.
void extraTime(const TutorialNode& node) {
    if (node.status >= TutorialNode::kGoalReached) {
        return;
    }
    gGlobals.timerModel->hide();
    gGlobals.timerModel->show();
    gGlobals.flowModel->showExtraTime();
}

bool isKind(const Grasp* grasp, int32_t kind) {
    return grasp != nullptr && grasp->getType() == kind;
}

} // namespace

void TNWait::poll() {
    if (gGlobals.flowModel->isReady()) {
        status = kGoalReached;
    }
}

void TNSingleKnot::enter() {
    rows = {0.8f, 0.3f};
    TutorialNode::enter();
}

void TNSlide::enter() {
    rows = {0.75f, 0.3f};
    keep = true;
    TutorialNode::enter();
    TutorialHints::showSlide();
}

void TNSlide::onGrasp(Grasp* grasp) {
    if (isKind(grasp, Grasp::Slide)) {
        reachGoal();
    }
}

void TNDrag::enter() {
    rows = {0.8f, 0.2f};
    keep = true;
    TutorialNode::enter();
    TutorialHints::showDrag();
}

void TNDrag::onGrasp(Grasp* grasp) {
    if (isKind(grasp, Grasp::Drag)) {
        reachGoal();
    }
}

void TNRotate::enter() {
    rows = {0.2f, 0.15f};
    keep = true;
    TutorialNode::enter();
    TutorialHints::showRotate();
}

void TNRotate::onGrasp(Grasp* grasp) {
    if (isKind(grasp, Grasp::Rotate)) {
        reachGoal();
    }
}

void TNTry::enter() {
    showModeDisplay();
    gGlobals.headModel->createHeads();
    keep = true;
    rows = {0.15f, 0.1f};
    TutorialNode::enter();
}

void TNTry::onSolved() {
    reachGoal();
}

void TNTry::onTimeUp() {
    extraTime(*this);
}

void TNAttractor::enter() {
    rows = {0.8f, 0.3f};
    keep = true;
    TutorialNode::enter();
    TutorialHints::showAttractor();
}

void TNAttractor::onGrasp(Grasp* grasp) {
    // The first grasp of a touch is alive alone; a second one made while it
    // holds means the finger stayed on the string and pulled.
    if (status != kRunning || !isKind(grasp, Grasp::Drag) || grasp->id < 1) {
        return;
    }
    showModeDisplay();
    status = kGoalReached;
}

void TNSeparate::enter() {
    gGlobals.headModel->createHeads();
    keep = true;
    rows = {0.15f};
    TutorialNode::enter();
}

void TNSeparate::onSolved() {
    reachGoal();
}

void TNSeparate::onTimeUp() {
    extraTime(*this);
}

void TNEnd::enter() {
    silent = true;
    TutorialNode::enter();
}

void TNEnd::leave() {
    Preferences::shared().setTutorialCompleted();
    gGlobals.tutorialActive = false;
    TutorialNode::leave();
}

} // namespace ZQ
