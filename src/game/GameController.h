#pragma once

#include "cords/GraspFactoryDriver.h"
#include "engine/Controller.h"

#include <cstdint>

namespace ZQ {

class TipNode;
struct LevelScore;

// Plays one level: lays the current level's cord, turns the room in, waits
// for the player's first grasp, starts the displays of the game mode, lets
// the player pull, and ends the level by a fail (time up in the timed mode:
// the same level is laid again), a solve (scored and graded) or a quit from
// the pause menu. The master controller steps it while it is current and
// moves on once it is done.
//
// The level states (`state`) run 0, 1, 2, 4, 5, 3 and then 9, 7, 10, 11 for a
// solve or 8, 6, 0 for a time-up; a quit jumps to 12, then 7, 10, 11.
//
// Touches and swipes become grasps through the grasp factory driver, which
// this controller owns; its client part marks the finger on the cord, sounds
// the grasps and counts the moves. The tutorial drives the same handlers.
//
// Ownership: owns the driver (and through it every factory). The level's
// tip belongs to the catalogue; the controller only arms it and hooks it to
// the models. Threads: main thread only.
class GameController : public Controller, private GraspFactoryDriver::Client {
public:
    enum State : int32_t {
        LoadCords = 0,
        Intro = 1,
        RoomReady = 2,
        Play = 3,
        FirstGrasp = 4,
        StartDisplays = 5,
        Reload = 6,
        TipRemoval = 7,
        Fail = 8,
        Scoring = 9,
        TearDownLevel = 10,
        Done = 11,
        Quit = 12,
    };

    GameController();
    ~GameController() override;
    GameController(const GameController&) = delete;
    GameController& operator=(const GameController&) = delete;

    // Listens to every model and starts at the load.
    void setUp() override;
    // Leaves the models and drops every touch.
    void tearDown() override;
    void doStep() override;
    bool isDone() override { return state == Done; }

    void swipe(PVRTVec2 point, int direction) override;
    void touchBegan(PVRTVec2 point, float radius) override;
    void touchMoved(PVRTVec2 point, float radius) override;
    void touchEnded(PVRTVec2 point, float radius) override;
    void touchCancelled(PVRTVec2 point, float radius) override;

    // The pause menu's: stops the level's clocks, worlds and creatures.
    void pause() override;
    void resume() override;
    void quit() override { state = Quit; }
    // Not once the level is being scored or has ended.
    bool isPausable() const override;

    void onTimeUp() override;
    void onSolved() override;
    void onGrasp(Grasp* grasp) override;
    void onHeadReleased(HeadInstance* head) override;

    // The play step: every held finger pulls at its moments.
    void playStep();
    // Drops every touch in progress; the grasps already made stay. A finger
    // cursor still shown for a dropped touch fades out.
    void resetGrasps();

    // Writes the solved level's points and grade into the points model and
    // returns the grade.
    static int32_t scoreLevel();
    // Takes the last scored level's points and its knot of its grade back:
    // the award screen's retry plays the level again, and only the replay's
    // solve counts. Called once per scored solve.
    static void takeBackLevelScore();

    int32_t state = LoadCords;
    GraspFactoryDriver& grasps() { return driver; }

    // Whether the room has turned into place (or was never turning): the
    // level's displays wait for it, in the game and in the tutorial.
    static bool roomInPlace();

private:
    void loadCords();
    void intro();
    void roomReady();
    void startDisplays();
    void fail();
    void reload();
    void scoring();
    void tipRemoval();
    void tearDownLevel();
    void quitLevel();
    // What reload and tear-down share: the cord, its cones, meshes, heads,
    // grasps and cursors go.
    void clearLevel();
    void showKnotName();
    void showLevelNumber();
    void showGradeFlow(int32_t grade);
    // The tile screen on show (the in-game buttons) goes.
    void hideTileScreen();
    void armTip();
    void disarmTip();
    TipNode* tip() const;

    // The grasp sounds and the move count.
    void onDragStep(DragFactory& factory, int32_t counter, DragGrasp& grasp) override;
    void onSlide(SlideFactory& factory, SlideGrasp& grasp) override;
    void onRotate(RotateGrasp& grasp) override;
    void onDragEnd(DragFactory& factory) override;
    static void countMove();
    static void playPositionSound(const Grasp& grasp);
    bool inPlay() const { return state == Play || state == FirstGrasp; }

    GraspFactoryDriver driver;
};

} // namespace ZQ
