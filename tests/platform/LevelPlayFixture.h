#pragma once

#include "ViewPlayFixture.h"

#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "game/GameController.h"
#include "levels/LevelModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Remembers the grasps the grasp model admits, by kind.
class GraspLog : public ZQ::EventListener {
public:
    void onGrasp(ZQ::Grasp* grasp) override {
        kinds.push_back(grasp->getType());
        particles.push_back(grasp->particle);
    }
    int count(int kind) const {
        int n = 0;
        for (int k : kinds) {
            n += k == kind ? 1 : 0;
        }
        return n;
    }
    std::vector<int> kinds;
    std::vector<int> particles;
};

// Level play on the game as the shell runs it headless (ViewPlayTest): a
// game controller is the master controller, and the level played is
// catalogue level 0 in the mode the test picks.
class LevelPlayTest : public ViewPlayTest {
protected:
    void SetUp() override {
        ViewPlayTest::SetUp();
        // A player past the tutorial, who has the in-game pause button.
        ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    }

    void TearDown() override {
        if (controller) {
            controller->tearDown();
            ZQ::gGlobals.masterController = nullptr;
            controller.reset();
        }
        ViewPlayTest::TearDown();
    }

    // Builds the game (with or without drawing) and starts level `level`.
    void start(ZQ::GameMode mode, int level = 0, ZQPassFactory passes = &makeNoRenderPasses) {
        ZQ::Preferences::shared().setGameMode(mode);
        drawing = passes != &makeNoRenderPasses;
        makeView(passes);
        ZQ::gGlobals.levelModel->level = level;
        // What the master controller does before it starts a level: the
        // rooms and the wallpaper relief of that level.
        ZQ::RoomModel& rooms = *ZQ::gGlobals.roomModel;
        ZQ::RoomModel::assignLevel(*rooms.current, *ZQ::gGlobals.levelModel, level);
        ZQ::RoomModel::assignLevel(*rooms.next, *ZQ::gGlobals.levelModel, level + 1);
        ZQ::MandalaModel& relief = *ZQ::gGlobals.mandalaModel;
        relief.clearInstances();
        relief.build(0);
        relief.collect();
        relief.changed = true;
        controller = std::make_unique<ZQ::GameController>();
        ZQ::gGlobals.masterController = controller.get();
        controller->setUp();
        ZQ::gGlobals.graspModel->addListener(&grasps);
    }

    // One frame, then the touches due after it. Without passes to draw the
    // frame is the engine's step and the sound's, as the view runs them.
    void frame() {
        states.push_back(controller->state);
        if (drawing) {
            view->drawView();
        } else {
            ZQ::gGlobals.stepFrame();
            ZQ::SoundGateway::instance()->doStep();
        }
        ++drawn;
        states.push_back(controller->state);
        deliverInput();
    }

    // Frames until the state is `wanted`, at most `limit`; whether it came.
    bool runUntil(int wanted, int limit) {
        for (int f = 0; f < limit && controller->state != wanted; ++f) {
            frame();
        }
        return controller->state == wanted;
    }

    // The states the level went through, each once in the order entered.
    std::vector<int> stateTrail() const {
        std::vector<int> trail = {ZQ::GameController::LoadCords};
        for (int s : states) {
            if (s != trail.back()) {
                trail.push_back(s);
            }
        }
        return trail;
    }

    // A finger held on particle `p` for `frames` frames, then lifted.
    void hold(int p, int frames, int finger = 1) {
        const PVRTVec2 at = pointOf(p);
        input(touch(1, "began", at, finger) + touch(1 + frames, "ended", at, finger));
        for (int f = 0; f < frames + 2; ++f) {
            frame();
        }
    }

    // From the wait for the first grasp to the end of play.
    bool inPlay() const {
        const int s = controller->state;
        return s == ZQ::GameController::FirstGrasp || s == ZQ::GameController::StartDisplays ||
               s == ZQ::GameController::Play;
    }

    // Plays one drag as the player's finger does it, frame by frame.
    void drag(const ScriptedDrag& d) {
        input(dragLines(d));
        for (int f = 0; f < d.moveFrames + d.holdFrames + 11 && inPlay(); ++f) {
            frame();
        }
    }

    std::unique_ptr<ZQ::GameController> controller;
    GraspLog grasps;
    std::vector<int> states;
    bool drawing = false;
};
