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
// Ownership: makes the seven controllers with the wiring's makers and
// deletes them with itself; owns the no-op controller that is current until
// the flow starts. Reaches the models, the saved state and the level cursor
// through the engine globals and owns none of them.
//
// Threads: main thread only.
class MasterGameController final : public RelayController {
public:
    // The states, as `state` holds them when doStep starts. The numbers are
    // the ones --print-states prints beside the names and the road's checks
    // name, so they stay as they are (20 was never used). A state that waits
    // does nothing until the current controller is done, then acts in the
    // same step.
    // clang-format off
    enum class State : int32_t {
        Start          = 0,  // relief of the current level; the first story -> StoryRuns, else -> ShowMenu
        OutroRuns      = 1,  // waits for the outro -> NextLevel
        LevelRuns      = 2,  // waits for the level; the award, the next level's relief built -> AwardRuns
        AwardRuns      = 3,  // waits for the award -> AfterAward
        Menu           = 4,  // a menu or the pause menu is up; only the tiles move on
        LoadGame       = 5,  // waits for the menu to leave; the stored record loaded -> LoadedLevel
        StartTutorial  = 6,  // waits for the menu; the tutorial over a new record -> LoadedLevel
        StartNewGame   = 7,  // waits for the menu; a new record -> LoadedLevel
        OpenMap        = 8,  // waits for the phase before; the stored record applied, the map -> MapRuns
        OpenStory      = 9,  // waits for the menu; the story, which may be skipped -> StoryRuns
        QuitToRestart  = 10, // the paused level quits -> AwaitRestart
        QuitToMap      = 11, // the paused level quits -> AwaitMap
        AwaitMap       = 12, // waits for the quit level -> OpenMap
        AwaitRestart   = 13, // waits for the quit level or the award's retry -> RestartLevel
        AfterAward     = 14, // waits for the award -> NextLevel; after the last level the outro -> OutroRuns
        SaveForMap     = 15, // waits for the award; saved with the next level reachable -> OpenMap
        RestartLevel   = 16, // the same level's room and relief -> StartLevel
        NextLevel      = 17, // the cursor advances; saved (not in the tutorial), the room -> StartLevel
        LoadedLevel    = 18, // the record applied; relief and room -> StartLevel
        StartLevel     = 19, // the relief collected; the tutorial or the game controller -> LevelRuns
        Pause          = 21, // the level suspended, the pause menu up -> Menu
        Resume         = 22, // the suspended level back -> LevelRuns
        QuitToMenu     = 23, // the paused level quits -> AwaitMenu
        AwaitMenu      = 24, // waits for the quit level; the main menu -> Menu
        MapRuns        = 25, // waits for the map; the choice saved -> LoadedLevel
        StoryRuns      = 26, // waits for the story -> ShowMenu
        ShowMenu       = 27, // the menu music, the menu controller, the main menu -> Menu
    };
    // clang-format on
    // One past the highest state.
    static constexpr int32_t kStateEnd = static_cast<int32_t>(State::ShowMenu) + 1;

    // The state's name as --print-states prints it, its enumerator's
    // spelling; empty for a value that is no state (20).
    static const char* stateName(State state);

    MasterGameController(MasterWiring wiring, Preferences& preferences);
    ~MasterGameController() override;
    MasterGameController(const MasterGameController&) = delete;
    MasterGameController& operator=(const MasterGameController&) = delete;

    // Listens to the tile model and starts over at Start with the no-op
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

    State state = State::Start;
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
