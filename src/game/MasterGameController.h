#pragma once

#include "engine/Controller.h"
#include "game/MasterWiring.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ZQ {

class Preferences;

// The top of the game flow: a state machine stepped once a frame that
// decides which game-flow controller is current, switches them, loads,
// resets, applies and saves the saved state, advances the level cursor,
// prepares the wallpaper and room of the next level, answers the interface
// tiles and hands every touch and gesture to the current controller.
//
// States (the value of `state` when doStep starts; 20 is unused):
//   0 start           -> 26 (story first) or 27 (menu)
//   1 outro runs      -> 17 when done
//   2 level runs      -> award when done, next relief built meanwhile -> 3
//   3 award runs      -> 14 when done
//   4 menu            (tiles move it on)
//   5 6 7             continue, tutorial, new game: load, reset -> 18 when done
//   8 map             -> 25 (map controller) when the previous phase is done
//   9 story (menu)    -> 26
//   10 11             restart, map from the pause menu: quit the level -> 13, 12
//   12 13             wait for the quit level -> 8, 16
//   14 after award    -> 17, or the outro after the last level -> 1
//   15 map (award)    save -> 8
//   16 same level     room and relief -> 19
//   17 next level     advance, save, room -> 19
//   18 loaded level   apply, relief, room -> 19
//   19 level start    collect the relief, tutorial or game controller -> 2
//   21 pause          -> 4;  22 resume -> 2;  23 24 stop -> menu, 4
//   25 map runs       -> 18 when done;  26 story runs -> 27;  27 menu -> 4
//
// Ownership: makes the seven controllers with the wiring's makers and
// deletes them with itself; owns the no-op controller that is current until
// the flow starts. Reaches the models, the saved state and the level cursor
// through the engine globals and owns none of them.
//
// Threads: main thread only.
class MasterGameController final : public RelayController {
public:
    MasterGameController(MasterWiring wiring, Preferences& preferences);
    ~MasterGameController() override;
    MasterGameController(const MasterGameController&) = delete;
    MasterGameController& operator=(const MasterGameController&) = delete;

    // Listens to the tile model and starts over in state 0 with the no-op
    // controller current.
    void setUp() override;
    // Tears down every controller it set up (each once), stops listening.
    void tearDown() override;
    // One step of the state machine, then one of the controller current after it.
    void doStep() override;

    // Taps reach the menu controller first (it hands them to the tiles),
    // then the current controller unless that is the menu itself; every
    // other touch and gesture goes to the current controller alone.
    void tap(PVRTVec2 point, float radius) override;

    // The tile commands.
    void onTile(int tileId) override;

    // The application became active again: a running level is paused
    // (shown the pause menu) before the frames start again, unless it is
    // being scored or has ended.
    void pauseIfPlaying();

    Controller* controller(ControllerRole role) const { return roles[static_cast<int32_t>(role)]; }

    int32_t state = 0;
    // The six entries menu, game, award, outro, menu, map, as the game has
    // always listed them; tearDown tears each distinct one down once.
    std::vector<Controller*> controllers;
    Controller* active = nullptr;    // never null
    Controller* suspended = nullptr; // the level kept while paused, restarted or quit
    Controller* initial = nullptr;   // the no-op controller

protected:
    Controller* relayTarget() const override { return active; }

private:
    void runState();
    // A level runs and may be paused now.
    bool levelPausable() const;
    // Tears the current controller down (at most once per set-up, and only
    // when this controller set it up), makes `next` current and sets it up.
    void switchTo(Controller* next);
    void setUpController(Controller* controller);
    void tearDownController(Controller* controller);

    // Room and relief.
    void prepareRoom();
    void buildRelief(int32_t offset);
    void collectRelief();

    // The saved state through the wiring's scores and timer.
    bool loadState();
    void startOverState();
    void applyState();
    void captureFinishedLevel();
    void captureChoice();
    void saveState(bool report);

    void showScreen(const std::function<void()>& screen);
    Controller* menu() const { return controller(ControllerRole::Menu); }

    MasterWiring wiring;
    Preferences& preferences;
    NopController nop;
    std::array<Controller*, kControllerRoleCount> roles{};
    std::vector<Controller*> setUpOnes; // set up by this controller and not yet torn down
    // The tutorial was started over a stored record, which its run must not
    // replace: once the tutorial ends the stored record is played on.
    bool tutorialOverRecord = false;
};

} // namespace ZQ
