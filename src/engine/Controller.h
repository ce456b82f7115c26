#pragma once

#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/InitProtocol.h"
#include "engine/Model.h"
#include "engine/Responders.h"

namespace ZQ {

// One phase of the game (menu, level play, tutorial, award, map, story,
// outro). It receives the player's input while it is the master controller's
// current one; points are in pixels with the origin at the bottom left.
// Every operation defaults to doing nothing.
class Controller : public InitProtocol, public EventListener, public GestureResponder, public TouchResponder {
public:
    ~Controller() override = default;

    void setUp() override {}
    void tearDown() override {}
    virtual void doStep() {}
    virtual bool isDone() { return false; }

    void tap(PVRTVec2, float) override {}
    void doubleTap(PVRTVec2) override {}
    void swipe(PVRTVec2, int) override {}
    void touchBegan(PVRTVec2, float) override {}
    void touchMoved(PVRTVec2, float) override {}
    void touchEnded(PVRTVec2, float) override {}
    void touchCancelled(PVRTVec2, float) override {}

    virtual void pause() {}
    virtual void resume() {}
    virtual void quit() {}
    // Whether the pause menu may suspend it now. A level says no once it is
    // being scored or has ended, when the menu's buttons would drop its result.
    virtual bool isPausable() const { return true; }

protected:
    // A controller hears every model's events between its set-up and its
    // tear-down.
    void listenToModels() {
        for (Model* model : gGlobals.models) {
            model->addListener(this);
        }
    }
    void stopListeningToModels() {
        for (Model* model : gGlobals.models) {
            model->removeListener(this);
        }
    }
};

// A controller that stands over another and hands it every touch and
// gesture as it comes: the master controller over the current phase, and the
// tools that stand in for the master over the screen they play.
class RelayController : public Controller {
public:
    void tap(PVRTVec2 point, float radius) override { relayTarget()->tap(point, radius); }
    void doubleTap(PVRTVec2 point) override { relayTarget()->doubleTap(point); }
    void swipe(PVRTVec2 point, int direction) override { relayTarget()->swipe(point, direction); }
    void touchBegan(PVRTVec2 point, float radius) override { relayTarget()->touchBegan(point, radius); }
    void touchMoved(PVRTVec2 point, float radius) override { relayTarget()->touchMoved(point, radius); }
    void touchEnded(PVRTVec2 point, float radius) override { relayTarget()->touchEnded(point, radius); }
    void touchCancelled(PVRTVec2 point, float radius) override {
        relayTarget()->touchCancelled(point, radius);
    }

protected:
    // The controller the input goes to now; never null while input comes.
    virtual Controller* relayTarget() const = 0;
};

// The controller that is current before the game flow starts: it ignores all
// input and is never done.
class NopController final : public Controller {};

} // namespace ZQ
