#pragma once

namespace ZQ {

class TileInstance;

// The button screens of the game: the main menu, the first-run menu (the
// tutorial alone), the in-game pause button, the pause menu, the award row
// and the points screen's continue button. Each builds its tile tree once,
// on first use, lays it out on its rectangle of the screen, starts every
// tile's show animation and hands the tree to the tile model with the
// function that hides it. The screens only post tile ids through the tile
// model; what an id does is the master controller's business.
//
// Ownership: the trees are function-local statics that live to the end of
// the process; the tiles are never freed. Threads: main thread only.
class TileCollection {
public:
    TileCollection() = delete;

    // The main menu once the tutorial has been completed, else the first-run
    // menu; both bring the title, the maker's line and a few wandering braids.
    // The tree on screen is replaced at once, without its hide animation.
    static void showMainUi();
    static void showMainTutUi();
    // The title and the maker's line leave, the menu's tiles hide and the
    // braids fade.
    static void hideMainMenu();
    // Hides the tree on screen, then shows the pause button (only once the
    // tutorial has been completed).
    static void showGameUi();
    // Each hides the tree on screen, then shows its own.
    static void showPauseUi();
    static void showAwardUi();
    static void showPointsUi();

    // The hide animations the tile model runs on the tree it hides.
    static void hideMainUi(TileInstance* root);
    static void hideGameUi(TileInstance* root);
    static void hidePointsUi(TileInstance* root);
    static void hideAwardUi(TileInstance* root);

    // The ids the tiles post: one table for every layer that reads them,
    // each named for its button as the screen shows it (caption and screen).
    // The master controller also answers two ids that no screen carries:
    // continuing the stored game straight into its level, and the award's
    // retry.
    // clang-format off
    static constexpr int kContinueSaved = 0;  // (no screen)
    static constexpr int kTutorial      = 1;  // ui_tutorial: main and first-run menus
    static constexpr int kNewGame       = 2;  // ui_restart: main menu
    static constexpr int kLeaderboards  = 3;  // ui_leaderboards: main menu
    static constexpr int kGameMode      = 4;  // ui_arcade / ui_zen: main menu
    static constexpr int kMusic         = 5;  // ui_mute_off / ui_mute_on: main menu
    static constexpr int kPlay          = 6;  // ui_play: main menu, the stored game on the map
    static constexpr int kStory         = 7;  // ui_story: main menu
    static constexpr int kPause         = 8;  // ui_pause: in game
    static constexpr int kResume        = 9;  // ui_play: pause menu
    static constexpr int kShareKnot     = 10; // ui_share: pause menu
    static constexpr int kStop          = 11; // ui_stop: pause menu
    static constexpr int kRestartLevel  = 12; // ui_restart: pause menu
    static constexpr int kPauseMap      = 13; // ui_map: pause menu
    static constexpr int kContinue      = 14; // ui_continue: points, skips them
    static constexpr int kShareAward    = 15; // ui_share: award
    static constexpr int kNextLevel     = 16; // ui_play: award
    static constexpr int kRetry         = 17; // (no screen)
    static constexpr int kAwardMap      = 18; // ui_map: award
    // clang-format on

private:
    static void showMainExtras();
};

} // namespace ZQ
