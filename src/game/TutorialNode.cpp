#include "game/TutorialNode.h"

#include "engine/Globals.h"
#include "game/TutorialSceneCollection.h"
#include "overlays/FlowModel.h"
#include "stage/BalloonModel.h"

namespace ZQ {

void TutorialNode::update() {
    switch (status) {
    case kNew:
        arm();
        break;
    case kArmed:
        status = kRunning;
        enter();
        break;
    case kRunning:
        poll();
        break;
    case kGoalReached:
        status = kLeaving;
        leave();
        break;
    case kLeaving:
        finish();
        break;
    default:
        break;
    }
}

void TutorialNode::reset() {
    status = kNew;
    groups.clear();
    rows.clear();
}

void TutorialNode::enter() {
    TutorialSceneCollection::showGroup(*this);
}

void TutorialNode::poll() {
    if (!keep && gGlobals.flowModel->isReady()) {
        status = kGoalReached;
    }
}

void TutorialNode::leave() {
    // A step whose lines all came out empty has none to fling.
    if (!silent && !groups.empty()) {
        TutorialSceneCollection::hideGroup(groups);
    }
    gGlobals.balloonModel->easeAll();
}

void TutorialNode::finish() {
    if (gGlobals.flowModel->isReady()) {
        status = kDone;
    }
}

std::string TutorialNode::captionKey() const {
    return "tutorial_" + name();
}

void TutorialNode::reachGoal() {
    if (status == kRunning) {
        status = kGoalReached;
    }
}

} // namespace ZQ
