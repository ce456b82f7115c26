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

    // The ids the tiles post.
    static constexpr int kTutorial = 1;
    static constexpr int kNewGame = 2;
    static constexpr int kLeaderboards = 3;
    static constexpr int kGameMode = 4;
    static constexpr int kMusic = 5;
    static constexpr int kPlay = 6;
    static constexpr int kStory = 7;
    static constexpr int kPause = 8;
    static constexpr int kResume = 9;
    static constexpr int kShareKnot = 10;
    static constexpr int kStop = 11;
    static constexpr int kRestartLevel = 12;
    static constexpr int kPauseMap = 13;
    static constexpr int kContinue = 14;
    static constexpr int kShareAward = 15;
    static constexpr int kNextLevel = 16;
    static constexpr int kAwardMap = 18;

private:
    static void showMainExtras();
};

} // namespace ZQ
