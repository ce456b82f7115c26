#pragma once

#include "game/AwardController.h"
#include "game/SavedState.h"

#include <array>
#include <cstdint>
#include <functional>

namespace ZQ {

class Controller;
class EventSource;
class Preferences;

// The seven game-flow controllers the master game controller switches
// between, by role; the values index MasterWiring::makers.
enum class ControllerRole : int32_t {
    Tutorial = 0,
    Game = 1,
    Menu = 2,
    Outro = 3,
    Award = 4,
    Map = 5,
    Story = 6,
};
inline constexpr int32_t kControllerRoleCount = 7;

// Everything the master game controller reaches beyond the models of the
// engine globals, each part replaceable: the game's own wiring (gameWiring)
// makes the real controllers and talks to the real screens and models; a
// test gives recording controllers and screens and drives every transition
// with them. An empty function is a part the game does not have: the
// master then does without it (no screen shown, scores of zero), and a
// missing maker leaves that role to a controller that is never done.
struct MasterWiring {
    // Each maker returns a new controller, which the master owns.
    using Maker = std::function<Controller*()>;
    std::array<Maker, kControllerRoleCount> makers; // indexed by ControllerRole

    // What the master asks of two controllers beyond the base interface:
    // the story's skip permission (the story chosen from the menu may be
    // skipped, the one at first start may not) and the award's own state
    // (its exit or the retry's taking back, set by the award buttons).
    std::function<void(Controller& story)> allowStorySkip;
    std::function<void(Controller& award, AwardController::State state)> setAwardState;

    // The tile model, whose onTile the master hears, and the screens it
    // shows: the main menu (or the first-run menu), the main menu's hide
    // with its title and braids, the hide of whatever tile screen is up,
    // the pause menu and the in-game pause button.
    std::function<EventSource*()> tiles;
    std::function<void()> showMainUi;
    std::function<void()> hideMainMenu;
    std::function<void()> hideTiles;
    std::function<void()> showPauseUi;
    std::function<void()> showGameUi;

    // The scores the saved state copies out of and into the game: the
    // points model's points, knots per grade and last grade, and the level
    // timer's frames.
    std::function<SavedState::Scores()> readScores;
    std::function<void(const SavedState::Scores&)> writeScores;
    std::function<int32_t()> elapsedFrames;
    std::function<void(const SavedState::Timer&)> writeTimer;
};

// The game's own wiring: the real game-flow controllers, tile screens,
// points model and timer, as far as the game has them; the controllers
// that keep preferences keep these.
MasterWiring gameWiring(Preferences& preferences);

} // namespace ZQ
