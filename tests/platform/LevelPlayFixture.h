#pragma once

#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "engine/DeviceProfile.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/Random.h"
#include "engine/SoundGateway.h"
#include "game/GameController.h"
#include "levels/LevelModel.h"
#include "platform/ZQEngineModels.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQView.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
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

// One drag of the level-0 solution: the finger comes down on a particle of
// the cord, travels `distance` screen widths at `angle` over `moveFrames`
// frames, holds `holdFrames` frames and lifts; ten frames pass before the
// next one.
struct ScriptedDrag {
    int particle;
    float angle; // radians, 0 to the right, counterclockwise
    float distance;
    int moveFrames;
    int holdFrames;
};

// The game as the shell runs it headless: the view builds the engine in the
// game's order on the headless context at the phone's 375 x 667 points (750
// x 1334 pixels), a game controller is the master controller, and touches go
// in through the view's own delivery, as from the window system or a
// replayed input file. The level played is catalogue level 0 in the mode the
// test picks.
class LevelPlayTest : public HeadlessGLTest {
protected:
    static constexpr float kScale = 2.0f;
    static constexpr float kRadius = 36.0f; // points

    void SetUp() override {
        HeadlessGLTest::SetUp();
        savedMode = ZQ::Preferences::shared().getGameMode();
        savedTutorial = ZQ::Preferences::shared().isTutorialCompleted();
        // A player past the tutorial, who has the in-game pause button.
        ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey, true);
        ZQ::seedRandom(20261207);
    }

    void TearDown() override {
        if (controller) {
            controller->tearDown();
            ZQ::gGlobals.masterController = nullptr;
            controller.reset();
        }
        view.reset();
        ZQ::Preferences::shared().setGameMode(savedMode);
        ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey,
                                                         savedTutorial);
        HeadlessGLTest::TearDown();
    }

    // Builds the game (with or without drawing) and starts level `level`.
    void start(ZQ::GameMode mode, int level = 0, ZQPassFactory passes = &makeNoRenderPasses) {
        ZQ::Preferences::shared().setGameMode(mode);
        drawing = passes != &makeNoRenderPasses;
        view = std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(375.0f, 667.0f), kScale,
                                        ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>, passes);
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
        if (script) {
            script->deliver(*view, drawn, 1.0 / 30.0, kRadius);
        }
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

    // Queues input lines (points, top-left origin) as from a replayed file,
    // their frames counted from now.
    void input(const std::string& lines) {
        std::istringstream in(lines);
        std::string line;
        std::string shifted;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            int frameNumber = 0;
            words >> frameNumber;
            std::string rest;
            std::getline(words, rest);
            shifted += std::to_string(frameNumber + drawn) + rest + "\n";
        }
        script = std::make_unique<ZQInputScript>();
        std::string error;
        std::istringstream text(shifted);
        ASSERT_TRUE(script->parse(text, error)) << error;
    }

    // Where cord particle `p` is on the screen now, in points from the top left.
    PVRTVec2 pointOf(int p) const {
        const PVRTVec2 pixel = ZQ::gGlobals.cordModel->screenPositions[p];
        return PVRTVec2(pixel.x / kScale, (ZQ::gGlobals.screenSize.y - pixel.y) / kScale);
    }

    static std::string touch(int frameNumber, const char* kind, PVRTVec2 at, int finger = 1) {
        std::ostringstream line;
        line << frameNumber << ' ' << kind << ' ' << finger << ' ' << at.x << ' ' << at.y;
        if (std::string(kind) != "ended") {
            line << ' ' << kRadius;
        }
        return line.str() + "\n";
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
        const PVRTVec2 from = pointOf(d.particle);
        // Screen widths to points; y grows downward in points.
        const float length = d.distance * ZQ::gGlobals.screenSize.x / kScale;
        const PVRTVec2 step(std::cos(d.angle) * length / d.moveFrames,
                            -std::sin(d.angle) * length / d.moveFrames);
        std::string lines = touch(1, "began", from);
        PVRTVec2 at = from;
        for (int k = 1; k <= d.moveFrames; ++k) {
            at += step;
            lines += touch(1 + k, "moved", at);
        }
        lines += touch(1 + d.moveFrames + d.holdFrames, "ended", at);
        input(lines);
        for (int f = 0; f < d.moveFrames + d.holdFrames + 11 && inPlay(); ++f) {
            frame();
        }
    }

    std::unique_ptr<ZQView> view;
    std::unique_ptr<ZQ::GameController> controller;
    std::unique_ptr<ZQInputScript> script;
    GraspLog grasps;
    std::vector<int> states;
    int drawn = 0;
    bool drawing = false;
    ZQ::GameMode savedMode = ZQ::ArcadeMode;
    bool savedTutorial = false;
};
