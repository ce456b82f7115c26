#include "overlays/TileModel.h"
#include "overlays/TileCollection.h"

#include "TileFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using ZQ::TileCollection;
using ZQ::TileInstance;

// Records the ids posted and, like the master controller, flips what the
// toggles show when they are pressed.
class TileListener : public ZQ::EventListener {
public:
    void onTile(int id) override {
        ids.push_back(id);
        if (id == TileCollection::kMusic) {
            ZQ::setMusicMuted(!ZQ::isMusicMuted());
        } else if (id == TileCollection::kGameMode) {
            ZQ::Preferences::shared().userDefaults().setInteger(
                ZQ::Preferences::kGameModeKey,
                ZQ::Preferences::shared().getGameMode() == ZQ::ZenMode ? ZQ::ArcadeMode : ZQ::ZenMode);
        } else if (id == TileCollection::kResume && showOnResume != nullptr) {
            showOnResume();
        }
    }
    std::vector<int> ids;
    void (*showOnResume)() = nullptr;
};

class TileModelTest : public TileFixture {
protected:
    void SetUp() override {
        TileFixture::SetUp();
        ZQ::gGlobals.gameCenterAuthenticated = true;
        social.open = true;
        levels->max_level = 3;
        tiles.addListener(&listener);
    }

    TileInstance* tile(int id) {
        for (TileInstance* leaf : leaves()) {
            if (leaf->id == id) {
                return leaf;
            }
        }
        ADD_FAILURE() << "no tile " << id;
        return nullptr;
    }

    void steps(int n) {
        for (int i = 0; i < n; ++i) {
            step();
        }
    }

    TileListener listener;
};

TEST_F(TileModelTest, ATapInsideATileFiresItsIdOnceAfterItsPress) {
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    const PVRTVec2 centre = onScreen(tile(TileCollection::kResume));
    tiles.tap(centre, 20.0f);
    ASSERT_EQ(tiles.pending, tile(TileCollection::kResume));
    EXPECT_EQ(sound.count("playBeep"), 1u);
    // While the press runs every tap is dropped, not even a beep.
    tiles.tap(onScreen(tile(TileCollection::kStop)), 20.0f);
    EXPECT_EQ(sound.count("playBeep"), 1u);
    EXPECT_FALSE(tiles.isReady());
    // Shrinks and comes back in two times six frames (the second half starts
    // in the frame the first ends), and only then is it reported.
    float smallest = 1.0f;
    int frames = 0;
    while (listener.ids.empty() && frames < 20) {
        step();
        ++frames;
        smallest = std::min(smallest, tile(TileCollection::kResume)->layout.scale);
    }
    EXPECT_GE(frames, 11);
    EXPECT_LE(frames, 13);
    EXPECT_FLOAT_EQ(smallest, 0.85f);
    EXPECT_EQ(listener.ids, std::vector<int>{TileCollection::kResume});
    steps(30);
    EXPECT_EQ(listener.ids.size(), 1u);
    EXPECT_EQ(tile(TileCollection::kResume)->layout.scale, 1.0f) << "back to its pose";
}

TEST_F(TileModelTest, TapsBetweenTilesOrTooSmallFireNothingAndEqualOverlapsGoToTheLaterTile) {
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    // Left of the menu's rectangle (x from 187.5), the disc not reaching it.
    tiles.tap(PVRTVec2(150.0f, 533.6f), 30.0f);
    // A disc of less than one square pixel in the middle of a tile.
    tiles.tap(onScreen(tile(TileCollection::kResume)), 0.5f);
    EXPECT_EQ(tiles.pending, nullptr);
    EXPECT_EQ(sound.count("playBeep"), 0u);

    // Pressed in to 0.8 of their cells, the tiles leave gaps: a tap in the
    // gap between stop and restart hits neither.
    for (TileInstance* leaf : leaves()) {
        leaf->layout.scale = 0.8f;
    }
    const PVRTVec2 stop = onScreen(tile(TileCollection::kStop));
    const PVRTVec2 restart = onScreen(tile(TileCollection::kRestartLevel));
    tiles.tap(PVRTVec2(0.5f * (stop.x + restart.x), stop.y), 5.0f);
    EXPECT_EQ(tiles.pending, nullptr) << "between two tiles";
    EXPECT_EQ(sound.count("playBeep"), 0u);
    // The screens' trees live for the process, and a layout keeps its scale.
    for (TileInstance* leaf : leaves()) {
        leaf->layout.scale = 1.0f;
    }

    // Stop moved onto restart: equal overlaps, and restart comes later.
    tile(TileCollection::kStop)->layout = tile(TileCollection::kRestartLevel)->layout;
    tiles.tap(onScreen(tile(TileCollection::kRestartLevel)), 10.0f);
    EXPECT_EQ(tiles.pending, tile(TileCollection::kRestartLevel));
}

TEST_F(TileModelTest, ADisabledTileIgnoresTaps) {
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    social.open = false; // no channel: the share tile is disabled
    const PVRTVec2 share = onScreen(tile(TileCollection::kShareKnot));
    tiles.tap(share, 20.0f);
    EXPECT_EQ(tiles.pending, nullptr);
    EXPECT_EQ(sound.count("playBeep"), 0u);
    social.open = true;
    tiles.tap(share, 20.0f);
    steps(13);
    EXPECT_EQ(listener.ids, std::vector<int>{TileCollection::kShareKnot});
}

TEST_F(TileModelTest, TogglesTurnTwiceAndShowTheNewFace) {
    TileCollection::showMainUi();
    ASSERT_LT(settle(), 400);
    TileInstance* music = tile(TileCollection::kMusic);
    TileInstance* mode = tile(TileCollection::kGameMode);
    EXPECT_EQ(music->visibleCaption()->name, "ui_mute_off");
    EXPECT_EQ(mode->visibleCaption()->name, "ui_arcade");

    tiles.tap(onScreen(music), 20.0f);
    int frames = 0;
    while (listener.ids.empty() && frames < 20) {
        step();
        ++frames;
    }
    EXPECT_GE(frames, 12) << "a half turn of 12 frames";
    EXPECT_LE(frames, 13);
    EXPECT_EQ(listener.ids, std::vector<int>{TileCollection::kMusic});
    EXPECT_EQ(music->visibleCaption()->name, "ui_mute_on");
    EXPECT_EQ(tiles.pending, nullptr) << "the next tap may come while it turns on";
    EXPECT_FALSE(tiles.isReady());
    ASSERT_LT(settle(), 20);
    EXPECT_NEAR(std::fmod(std::fabs(music->layout.angles.y), ZQ::kTwoPi), 0.0f, 1e-4f) << "a full turn";
    EXPECT_EQ(listener.ids.size(), 1u) << "no second onTile";

    tiles.tap(onScreen(mode), 20.0f);
    ASSERT_LT(settle(), 40);
    EXPECT_EQ(listener.ids.back(), TileCollection::kGameMode);
    EXPECT_EQ(mode->visibleCaption()->name, "ui_zen");
    EXPECT_EQ(music->visibleCaption()->name, "ui_mute_on");
}

TEST_F(TileModelTest, AHiddenScreenDropsItsPendingPress) {
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    tiles.tap(onScreen(tile(TileCollection::kResume)), 20.0f);
    ASSERT_NE(tiles.pending, nullptr);
    TileCollection::showAwardUi();
    EXPECT_EQ(tiles.pending, nullptr);
    steps(60);
    EXPECT_TRUE(listener.ids.empty());

    // Replaced without hiding (the main menu), the same.
    ASSERT_LT(settle(), 400);
    tiles.tap(onScreen(tile(TileCollection::kNextLevel)), 20.0f);
    ASSERT_NE(tiles.pending, nullptr);
    TileCollection::showMainUi();
    steps(60);
    EXPECT_TRUE(listener.ids.empty());
}

TEST_F(TileModelTest, TheHidingTreeIsDrawnUntilItHasGoneButDoesNotHoldReadiness) {
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    // Shown from onTile, as the master controller does: the pressed tile's
    // tree hides while the next one comes in.
    listener.showOnResume = TileCollection::showGameUi;
    tiles.tap(onScreen(tile(TileCollection::kResume)), 20.0f);
    steps(13);
    ASSERT_EQ(listener.ids, std::vector<int>{TileCollection::kResume});
    ASSERT_NE(tiles.hiding, nullptr);
    std::vector<ZQ::Cloudlet*> drawn;
    tiles.getCloudlets(drawn);
    EXPECT_EQ(drawn.size(), 6u) << "the pause button, then the five hiding tiles";
    EXPECT_LT(settle(), 40) << "the pause button settles while the menu still hides";
    EXPECT_NE(tiles.hiding, nullptr);
    steps(45);
    EXPECT_EQ(tiles.hiding, nullptr);
    drawn.clear();
    tiles.getCloudlets(drawn);
    EXPECT_EQ(drawn.size(), 1u);
    std::unordered_set<std::string> names;
    tiles.collectCaptions(names);
    EXPECT_EQ(names, (std::unordered_set<std::string>{"ui_pause"}));
}

} // namespace

namespace {

TEST_F(TileModelTest, HidingATreeThatHasNoHideFunctionStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TileCollection::showPauseUi();
    tiles.show(tiles.current, nullptr);
    EXPECT_DEATH(tiles.hideTile(), "tileHideFunc != nullptr");
    tiles.show(nullptr, nullptr);
    tiles.hideTile(); // nothing on screen: nothing to hide, no check
    EXPECT_EQ(tiles.hiding, nullptr);
}

} // namespace
