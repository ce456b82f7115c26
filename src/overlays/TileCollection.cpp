#include "overlays/TileCollection.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/Preferences.h"
#include "engine/SocialGateway.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TileSupport.h"

#include <cstdint>
#include <vector>

namespace ZQ {

namespace {

using namespace ResourceNames;
using Tile = TileInstance;

constexpr Material kGoldTile{Palette::black, Palette::gold, Palette::dodgerBlue, 34.0f, 1.7f, {}, {}};
constexpr Material kPauseTile{Palette::black, Palette::ivoryBlack, Palette::floralWhite, 34.0f, 1.7f, {}, {}};

// What enables a tile or picks its face, asked every frame.
const TilePredicate kLeaderboards = [] { return gGlobals.gameCenterAuthenticated; };
const TilePredicate kMusicMuted = [] { return isMusicMuted(); };
const TilePredicate kZenMode = [] { return Preferences::shared().getGameMode() == ZenMode; };
const TilePredicate kSharing = [] { return SocialGateway::isSharingEnabled(); };
const TilePredicate kMap = [] {
    return !gGlobals.tutorialActive && gGlobals.levelModel != nullptr && gGlobals.levelModel->max_level != 0;
};

enum Screen : int32_t { MainMenu, FirstRunMenu, InGame, PauseMenu, Award, Points, ScreenCount };

// Each screen's rectangle in pixels (y from the bottom), as multiples of the
// screen's width W and height H.
struct ScreenRect {
    float centreXofW;
    float centreYofH;
    float centreYofW;
    float widthOfW;
    float heightOfW;
    float heightOfH;
};

// clang-format off
constexpr ScreenRect kRects[] = {
    // cx W   cy H  cy W   w W   h W   h H
    {0.5f,  0.4f,  0.0f, 0.5f, 0.7f, 0.0f}, // MainMenu
    {0.5f,  0.4f,  0.0f, 0.5f, 0.6f, 0.0f}, // FirstRunMenu
    {0.9f,  1.0f, -0.1f, 0.1f, 0.1f, 0.0f}, // InGame
    {0.5f,  0.4f,  0.0f, 0.5f, 0.6f, 0.0f}, // PauseMenu
    {0.5f,  0.1f,  0.0f, 0.7f, 0.0f, 0.1f}, // Award
    {0.9f,  0.0f,  0.1f, 0.1f, 0.1f, 0.0f}, // Points
};
// clang-format on
static_assert(sizeof kRects / sizeof kRects[0] == ScreenCount);

float screenW() {
    return gGlobals.screenSize.x;
}

float screenH() {
    return gGlobals.screenSize.y;
}

// The menus slide in from the right edge, turned sideways; `stride` frames
// stagger the tiles, and a disabled tile rests turned away until enabled.
Action* swingIn(Tile* tile, int32_t stride, int32_t lastFrames) {
    const Layout home = tile->layout;
    Layout from = home;
    from.position = PVRTVec3(screenW(), home.position.y, home.position.x);
    from.angles.y = kHalfPi;
    from.alpha = 0.0f;
    Layout turned = home;
    turned.angles.y = home.angles.y + kPi;
    return new Sequence({
        new EasingStaticAction(from, turned, easeOutCirc(), 15 + stride * tile->index),
        new LambdaCondition([](Cloudlet* item) {
            return static_cast<Tile*>(item)->enabled() ? Action::Success : Action::Running;
        }),
        new EasingAction(home, easeOutCirc(), lastFrames),
    });
}

Action* showMainTile(Tile* tile) {
    return swingIn(tile, 7, 30);
}

Action* showFirstRunTile(Tile* tile) {
    return swingIn(tile, 10, 60);
}

Action* showPauseTile(Tile* tile) {
    return swingIn(tile, 10, 30);
}

Action* showAwardTile(Tile* tile) {
    const Layout home = tile->layout;
    Layout from = home;
    from.position.y = -0.1f * screenH();
    from.angles = PVRTVec3(-kPi, -kPi, home.angles.z);
    from.alpha = 0.0f;
    Layout turned = home;
    turned.angles.y = -kPi;
    turned.alpha = 1.0f;
    return new Sequence({
        new EasingStaticAction(from, turned, easeOutCirc(), 15 + 10 * tile->index),
        new LambdaCondition([](Cloudlet* item) {
            return static_cast<Tile*>(item)->enabled() ? Action::Success : Action::Running;
        }),
        new EasingAction(home, easeOutCirc(), 60),
    });
}

Action* showPauseButton(Tile* tile) {
    const Layout home = tile->layout;
    Layout from = home;
    from.position.y += 0.1f * screenW();
    from.angles = PVRTVec3(0.0f, kPi, 0.0f);
    from.alpha = 0.0f;
    Layout turned = home;
    turned.angles = PVRTVec3(0.0f, kPi, 0.0f);
    Layout front = home;
    front.angles = PVRTVec3(0.0f, 0.0f, 0.0f);
    return new Sequence({
        new EasingStaticAction(from, turned, easeOutCirc(), 22),
        new EasingStaticAction(turned, front, easeOutCirc(), 15),
    });
}

Action* showContinueTile(Tile* tile) {
    const Layout home = tile->layout;
    Layout from = home;
    from.position.y += 0.1f * screenW();
    from.angles.x = -kPi;
    from.alpha = 0.0f;
    Layout front = home;
    front.angles = PVRTVec3(0.0f, 0.0f, 0.0f);
    return new EasingStaticAction(from, front, easeOutCirc(), 30);
}

// The pose a hide eases to: the tile's own scale and orientation, alpha 0.
Layout hidden(const Tile* tile, const PVRTVec3& position, const PVRTVec3& angles) {
    Layout to = tile->layout;
    to.position = position;
    to.angles = angles;
    to.alpha = 0.0f;
    return to;
}

void bindTree(Tile* tile) {
    tile->bindCaptions();
    for (Tile* child : tile->children) {
        bindTree(child);
    }
}

using ShowAction = Action* (*)(Tile*);

void showTree(Tile* root, Screen screen, ShowAction show, TileHideFunc hide) {
    TileModel* model = gGlobals.tileModel;
    ZQ_ASSERT(model != nullptr);
    const ScreenRect& r = kRects[screen];
    const float w = screenW();
    const float h = screenH();
    bindTree(root);
    TileSupport::doIndex(root);
    TileSupport::doLayout(PVRTVec2(r.centreXofW * w, r.centreYofH * h + r.centreYofW * w),
                          PVRTVec2(r.widthOfW * w, r.heightOfW * w + r.heightOfH * h), root);
    TileSupport::visit(root, [show](Tile* leaf) { leaf->setAction(show(leaf)); });
    model->show(root, hide);
}

void hideCurrent() {
    ZQ_ASSERT(gGlobals.tileModel != nullptr);
    gGlobals.tileModel->hideTile();
}

Tile* mainMenuTree() {
    static Tile* const root = new Tile(
        Tile::kColumn,
        {new Tile(Tile::kRow,
                  {new Tile(Tile::kColumn, {new Tile(TileCollection::kLeaderboards, ui_leaderboards,
                                                     kGoldTile, kLeaderboards, 1.0f),
                                            new Tile(TileCollection::kStory, ui_story, kGoldTile,
                                                     Tile::alwaysTrue(), 1.0f)}),
                   new Tile(Tile::kColumn,
                            {new Tile(TileCollection::kPlay, ui_play, kGoldTile, Tile::alwaysTrue(), 2.0f),
                             new Tile(Tile::kRow, {new Tile(TileCollection::kTutorial, ui_tutorial, kGoldTile,
                                                            Tile::alwaysTrue(), 1.0f),
                                                   new Tile(TileCollection::kNewGame, ui_restart, kGoldTile,
                                                            Tile::alwaysTrue(), 1.0f)})},
                            1.5f)},
                  4.0f),
         new Tile(Tile::kRow,
                  {new Tile(TileCollection::kMusic, ui_mute_off, ui_mute_on, kGoldTile, kMusicMuted),
                   new Tile(TileCollection::kGameMode, ui_arcade, ui_zen, kGoldTile, kZenMode)})});
    return root;
}

Tile* pauseMenuTree() {
    static Tile* const root = new Tile(
        Tile::kRow,
        {new Tile(Tile::kColumn, {new Tile(TileCollection::kShareKnot, ui_share, kGoldTile, kSharing, 1.0f),
                                  new Tile(TileCollection::kPauseMap, ui_map, kGoldTile, kMap, 1.0f)}),
         new Tile(Tile::kColumn,
                  {new Tile(TileCollection::kResume, ui_play, kGoldTile, Tile::alwaysTrue(), 2.0f),
                   new Tile(Tile::kRow,
                            {new Tile(TileCollection::kStop, ui_stop, kGoldTile, Tile::alwaysTrue(), 1.0f),
                             new Tile(TileCollection::kRestartLevel, ui_restart, kGoldTile,
                                      Tile::alwaysTrue(), 1.0f)})},
                  1.5f)});
    return root;
}

Tile* awardTree() {
    static Tile* const root = new Tile(
        Tile::kRow, {new Tile(TileCollection::kAwardMap, ui_map, kGoldTile, kMap, 1.0f),
                     new Tile(TileCollection::kShareAward, ui_share, kGoldTile, kSharing, 1.0f),
                     new Tile(TileCollection::kNextLevel, ui_play, kGoldTile, Tile::alwaysTrue(), 1.0f)});
    return root;
}

} // namespace

void TileCollection::showMainUi() {
    showMainExtras();
    if (!Preferences::shared().isTutorialCompleted()) {
        showMainTutUi();
        return;
    }
    showTree(mainMenuTree(), MainMenu, showMainTile, hideMainUi);
}

void TileCollection::showMainTutUi() {
    static Tile* const root = new Tile(kTutorial, ui_tutorial, kGoldTile, Tile::alwaysTrue(), 1.0f);
    showTree(root, FirstRunMenu, showFirstRunTile, hideMainUi);
}

void TileCollection::showGameUi() {
    hideCurrent();
    if (!Preferences::shared().isTutorialCompleted()) {
        return;
    }
    static Tile* const root = new Tile(kPause, ui_pause, kPauseTile, Tile::alwaysTrue(), 1.0f);
    showTree(root, InGame, showPauseButton, hideGameUi);
}

void TileCollection::showPauseUi() {
    hideCurrent();
    showTree(pauseMenuTree(), PauseMenu, showPauseTile, hideMainUi);
}

void TileCollection::showAwardUi() {
    hideCurrent();
    showTree(awardTree(), Award, showAwardTile, hideAwardUi);
}

void TileCollection::showPointsUi() {
    hideCurrent();
    static Tile* const root = new Tile(kContinue, ui_continue, kGoldTile, Tile::alwaysTrue(), 1.0f);
    showTree(root, Points, showContinueTile, hidePointsUi);
}

void TileCollection::hideMainUi(TileInstance* root) {
    TileSupport::visit(root, [](Tile* tile) {
        const Layout& now = tile->layout;
        // In float, truncated: at most seven leaves, so it stays positive.
        const auto frames = static_cast<int32_t>(45.0f - 7.0f * static_cast<float>(tile->index));
        const Layout to = hidden(tile, PVRTVec3(0.0f, now.position.y, now.position.x),
                                 PVRTVec3(now.angles.x, kPi, now.angles.z));
        tile->setAction(new EasingAction(to, easeOutQuart(), frames));
    });
}

void TileCollection::hideGameUi(TileInstance* root) {
    TileSupport::visit(root, [](Tile* tile) {
        const Layout& now = tile->layout;
        const PVRTVec3 position = now.position + PVRTVec3(0.0f, 0.1f * screenH(), 0.0f);
        const Layout to = hidden(tile, position, PVRTVec3(0.0f, now.angles.y, now.angles.z));
        tile->setAction(new EasingAction(to, easeOutCirc(), 15));
    });
}

void TileCollection::hidePointsUi(TileInstance* root) {
    TileSupport::visit(root, [](Tile* tile) {
        const Layout& now = tile->layout;
        const PVRTVec3 position = now.position - PVRTVec3(0.0f, 0.1f * screenH(), 0.0f);
        const Layout to = hidden(tile, position, PVRTVec3(now.angles.x, -kPi, now.angles.z));
        tile->setAction(new EasingAction(to, easeOutCirc(), 30));
    });
}

void TileCollection::hideAwardUi(TileInstance* root) {
    TileSupport::visit(root, [](Tile* tile) {
        const Layout& now = tile->layout;
        const PVRTVec3 position(now.position.x, 0.1f * screenH(), now.position.z);
        const Layout to = hidden(tile, position, PVRTVec3(-kHalfPi, now.angles.y, now.angles.z));
        tile->setAction(new EasingAction(to, easeOutCirc(), 30 + 10 * tile->index));
    });
}

} // namespace ZQ
