#include "engine/GameEngine.h"

#include "engine/Controller.h"
#include "engine/Globals.h"

namespace ZQ {
namespace {

PVRTVec2 toEngine(PVRTVec2 point) {
    return PVRTVec2(point.x, gGlobals.screenSize.y - point.y);
}

// Input can arrive before the engine is built (or after it is torn down).
Controller* master() {
    return gGlobals.masterController;
}

} // namespace

void GameEngine::touchBegan(PVRTVec2 point, float radius) {
    if (Controller* c = master()) {
        c->touchBegan(toEngine(point), radius);
    }
}

void GameEngine::touchMoved(PVRTVec2 point, float radius) {
    if (Controller* c = master()) {
        c->touchMoved(toEngine(point), radius);
    }
}

void GameEngine::touchEnded(PVRTVec2 point, float radius) {
    if (Controller* c = master()) {
        c->touchEnded(toEngine(point), radius);
    }
}

void GameEngine::touchCancelled(PVRTVec2 point, float radius) {
    if (Controller* c = master()) {
        c->touchCancelled(toEngine(point), radius);
    }
}

void GameEngine::swipe(PVRTVec2 point, int direction) {
    if (Controller* c = master()) {
        c->swipe(toEngine(point), direction);
    }
}

void GameEngine::tap(PVRTVec2 point, float radius) {
    if (Controller* c = master()) {
        c->tap(toEngine(point), radius);
    }
}

void GameEngine::doubleTap(PVRTVec2 point) {
    if (Controller* c = master()) {
        c->doubleTap(toEngine(point));
    }
}

} // namespace ZQ
