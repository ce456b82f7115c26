#include "overlays/CaptionInstance.h"
#include "overlays/TileCollection.h"
#include "overlays/TileInstance.h"
#include "overlays/TileSupport.h"

#include "TileFixture.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

using ZQ::TileCollection;
using ZQ::TileInstance;
using ZQ::TileSupport::setRect;
using ZQ::TileSupport::visit;

// A cell as the screens' table gives it: x, y from the top, w, h.
struct Cell {
    float x, y, w, h;
};

class TileLayoutTest : public TileFixture {
protected:
    TileInstance* leaf(int id, float weight = 1.0f) {
        return new TileInstance(id, "ui_play", ZQ::Material(), TileInstance::alwaysTrue(), weight);
    }

    // Everything enabled, so every screen settles at home.
    void openEverything() {
        ZQ::gGlobals.gameCenterAuthenticated = true;
        social.open = true;
        levels->max_level = 3;
    }

    // The on-screen rectangle of a settled leaf: its front face's corners
    // through the overlay camera.
    static void screenRect(const TileInstance* tile, PVRTVec2& low, PVRTVec2& high) {
        const float s = tile->layout.scale * tile->baseLayout.scale;
        const PVRTVec3 half(0.5f * tile->unitSize.x * s, 0.5f * tile->unitSize.y * s, 0.0f);
        const PVRTMat4 camera = ZQ::TileSupport::overlayCamera();
        low = ZQ::TileSupport::toScreen(camera, tile->layout.position - half);
        high = ZQ::TileSupport::toScreen(camera, tile->layout.position + half);
    }

    // Every leaf of the tree on screen fills its cell of the rectangle
    // (centre, size) in pixels, within a hundredth of a pixel.
    void expectCells(PVRTVec2 centre, PVRTVec2 size, const std::map<int, Cell>& cells) {
        ASSERT_EQ(leaves().size(), cells.size());
        for (const TileInstance* tile : leaves()) {
            SCOPED_TRACE("tile " + std::to_string(tile->id));
            const Cell& cell = cells.at(tile->id);
            const float left = centre.x - 0.5f * size.x + cell.x * size.x;
            const float top = centre.y + 0.5f * size.y - cell.y * size.y;
            PVRTVec2 low;
            PVRTVec2 high;
            screenRect(tile, low, high);
            EXPECT_NEAR(low.x, left, 0.05f);
            EXPECT_NEAR(high.x, left + cell.w * size.x, 0.05f);
            EXPECT_NEAR(high.y, top, 0.05f);
            EXPECT_NEAR(low.y, top - cell.h * size.y, 0.05f);
            EXPECT_FLOAT_EQ(tile->layout.position.z, 0.5f * 1334.0f);
        }
    }

    std::vector<int> ids() {
        std::vector<int> out;
        for (const TileInstance* tile : leaves()) {
            out.push_back(tile->id);
        }
        return out;
    }
};

TEST_F(TileLayoutTest, TheWeightedBoxLayoutCutsTheUnitRectangleByWeight) {
    TileInstance* single = leaf(1);
    setRect(single, 0, 0, 1, 1);
    EXPECT_EQ(single->unitSize, PVRTVec2(1, 1));
    EXPECT_EQ(single->unitCentre, PVRTVec2(0.5f, 0.5f));
    int calls = 0;
    visit(single, [&calls](TileInstance*) { ++calls; });
    EXPECT_EQ(calls, 1);

    TileInstance* top = leaf(1, 1.0f);
    TileInstance* bottom = leaf(2, 2.0f);
    TileInstance column(TileInstance::kColumn, {top, bottom});
    setRect(&column, 0, 0, 1, 1);
    EXPECT_FLOAT_EQ(top->unitSize.y, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(top->unitCentre.y, 1.0f - 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(bottom->unitSize.y, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(bottom->unitCentre.y, 1.0f / 3.0f);
    EXPECT_EQ(column.id, TileInstance::kContainerId);

    TileInstance* wide = leaf(1, 4.0f);
    TileInstance* narrow = leaf(2, 1.0f);
    TileInstance row(TileInstance::kRow, {wide, narrow});
    setRect(&row, 0, 0, 1, 1);
    EXPECT_FLOAT_EQ(wide->unitSize.x, 0.8f);
    EXPECT_FLOAT_EQ(narrow->unitSize.x, 0.2f);
    EXPECT_LT(wide->unitCentre.x, narrow->unitCentre.x) << "left to right";

    TileInstance empty(TileInstance::kRow, {});
    std::vector<TileInstance*> seen;
    visit(&empty, [&seen](TileInstance* tile) { seen.push_back(tile); });
    EXPECT_EQ(seen, std::vector<TileInstance*>{&empty}) << "a container without children is a leaf";

    // Laid out twice, the same place and size.
    ZQ::TileSupport::doLayout(PVRTVec2(300, 400), PVRTVec2(200, 100), &row);
    const ZQ::Layout first = wide->layout;
    const PVRTVec2 firstSize = wide->unitSize;
    ZQ::TileSupport::doLayout(PVRTVec2(300, 400), PVRTVec2(200, 100), &row);
    EXPECT_EQ(wide->layout, first);
    EXPECT_EQ(wide->unitSize, firstSize);
    for (TileInstance* made : {single, top, bottom, wide, narrow}) {
        delete made;
    }
}

TEST_F(TileLayoutTest, EveryScreenPutsItsTilesInTheirCells) {
    openEverything();
    const float W = 750.0f;
    const float H = 1334.0f;

    TileCollection::showMainUi();
    EXPECT_EQ(ids(), (std::vector<int>{3, 7, 6, 1, 2, 5, 4}));
    for (std::size_t i = 0; i < leaves().size(); ++i) {
        EXPECT_EQ(leaves()[i]->index, static_cast<int>(i));
    }
    ASSERT_LT(settle(), 400);
    const float third = 0.8f / 3.0f;
    expectCells(PVRTVec2(0.5f * W, 0.4f * H), PVRTVec2(0.5f * W, 0.7f * W),
                {{3, {0.0f, 0.0f, 0.4f, 0.4f}},
                 {7, {0.0f, 0.4f, 0.4f, 0.4f}},
                 {6, {0.4f, 0.0f, 0.6f, 2.0f * third}},
                 {1, {0.4f, 2.0f * third, 0.3f, third}},
                 {2, {0.7f, 2.0f * third, 0.3f, third}},
                 {5, {0.0f, 0.8f, 0.5f, 0.2f}},
                 {4, {0.5f, 0.8f, 0.5f, 0.2f}}});
    // One worked by hand: the play tile's centre.
    const TileInstance* play = leaves()[2];
    EXPECT_NEAR(onScreen(play).x, 375.0f - 187.5f + 0.7f * 375.0f, 0.05f);
    EXPECT_NEAR(onScreen(play).y, 533.6f + 262.5f - third * 525.0f, 0.05f);

    TileCollection::showPauseUi();
    EXPECT_EQ(ids(), (std::vector<int>{10, 13, 9, 11, 12}));
    ASSERT_LT(settle(), 400);
    expectCells(PVRTVec2(0.5f * W, 0.4f * H), PVRTVec2(0.5f * W, 0.6f * W),
                {{10, {0.0f, 0.0f, 0.4f, 0.5f}},
                 {13, {0.0f, 0.5f, 0.4f, 0.5f}},
                 {9, {0.4f, 0.0f, 0.6f, 2.0f / 3.0f}},
                 {11, {0.4f, 2.0f / 3.0f, 0.3f, 1.0f / 3.0f}},
                 {12, {0.7f, 2.0f / 3.0f, 0.3f, 1.0f / 3.0f}}});

    TileCollection::showAwardUi();
    EXPECT_EQ(ids(), (std::vector<int>{18, 15, 16}));
    ASSERT_LT(settle(), 400);
    expectCells(PVRTVec2(0.5f * W, 0.1f * H), PVRTVec2(0.7f * W, 0.1f * H),
                {{18, {0.0f, 0.0f, 1.0f / 3.0f, 1.0f}},
                 {15, {1.0f / 3.0f, 0.0f, 1.0f / 3.0f, 1.0f}},
                 {16, {2.0f / 3.0f, 0.0f, 1.0f / 3.0f, 1.0f}}});

    TileCollection::showGameUi();
    ASSERT_LT(settle(), 400);
    expectCells(PVRTVec2(0.9f * W, H - 0.1f * W), PVRTVec2(0.1f * W, 0.1f * W), {{8, {0, 0, 1, 1}}});
    EXPECT_EQ(leaves()[0]->material.diffuse, ZQ::Palette::ivoryBlack);

    TileCollection::showPointsUi();
    ASSERT_LT(settle(), 400);
    expectCells(PVRTVec2(0.9f * W, 0.1f * W), PVRTVec2(0.1f * W, 0.1f * W), {{14, {0, 0, 1, 1}}});
    EXPECT_EQ(leaves()[0]->material.diffuse, ZQ::Palette::gold);
}

TEST_F(TileLayoutTest, BeforeTheTutorialTheMenuIsOneTileAndThereIsNoPauseButton) {
    setTutorialCompleted(false);
    TileCollection::showMainUi();
    EXPECT_EQ(ids(), std::vector<int>{1});
    ASSERT_LT(settle(), 400);
    expectCells(PVRTVec2(375.0f, 0.4f * 1334.0f), PVRTVec2(375.0f, 450.0f), {{1, {0, 0, 1, 1}}});
    TileCollection::showGameUi();
    EXPECT_TRUE(tiles.isEmpty());
    EXPECT_NE(tiles.hiding, nullptr) << "the menu still hides";
}

TEST_F(TileLayoutTest, MenuTilesEnterStaggeredAndDisabledOnesWaitTurnedAway) {
    levels->max_level = 3;
    social.open = true;
    TileCollection::showMainUi();
    // Frames until each tile's entrance (the first step) has ended.
    std::vector<int> entered(7, -1);
    for (int frame = 1; frame <= 100; ++frame) {
        step();
        for (const TileInstance* tile : leaves()) {
            const auto* sequence = dynamic_cast<const ZQ::Composite*>(tile->getAction());
            ASSERT_NE(sequence, nullptr);
            if (entered[static_cast<std::size_t>(tile->index)] < 0 &&
                sequence->getChildren()[0]->isFinished()) {
                entered[static_cast<std::size_t>(tile->index)] = frame;
            }
        }
    }
    // 15 + 7i frames; the tween's float clock may end one frame late.
    EXPECT_EQ(entered[0], 15);
    for (std::size_t i = 1; i < entered.size(); ++i) {
        EXPECT_GE(entered[i], 15 + 7 * static_cast<int>(i)) << i;
        EXPECT_LE(entered[i], 16 + 7 * static_cast<int>(i)) << i;
    }
    EXPECT_GE(entered[6], 57);
    // The leaderboards wait, turned away, until the player is logged in.
    EXPECT_EQ(settle(200), 200);
    const TileInstance* leaderboards = leaves()[0];
    EXPECT_NEAR(std::fabs(leaderboards->layout.angles.y), ZQ::kPi, 1e-5f);
    ZQ::gGlobals.gameCenterAuthenticated = true;
    EXPECT_LE(settle(), 31);
    EXPECT_NEAR(std::fmod(leaderboards->layout.angles.y, ZQ::kTwoPi), 0.0f, 1e-5f);
}

TEST_F(TileLayoutTest, TheMainMenuBringsItsTitleMakerAndBraidsAndTakesThemAway) {
    ZQ::seedRandom(kTestSeed);
    const float W = 750.0f;
    const float H = 1334.0f;
    const float depth = ZQ::DeviceProfile::get().hudDepth;
    TileCollection::showMainUi();

    // One to three braids of three linked particles each, heads in a row
    // across the top of the braid world, six to sixteen units apart.
    const std::size_t braidCount = braids.getBraids().size();
    ASSERT_GE(braidCount, 1u);
    ASSERT_LE(braidCount, 3u);
    ASSERT_EQ(braidWorld->getParticleCount(), static_cast<int>(3 * braidCount));
    EXPECT_EQ(braidWorld->getConstraintCount(), static_cast<int>(2 * braidCount));
    const PVRTVec2 world = ZQ::gGlobals.worldSize;
    float previousHead = 0.0f;
    for (int b = 0; b < static_cast<int>(braidCount); ++b) {
        const PVRTVec3 head = braidWorld->getPosition(3 * b);
        EXPECT_FLOAT_EQ(head.y, 0.9f * world.y);
        EXPECT_FLOAT_EQ(braidWorld->getPosition(3 * b + 2).x - head.x, 4.0f);
        if (b == 0) {
            EXPECT_GE(head.x, -world.x);
            EXPECT_LT(head.x, world.x);
        } else {
            EXPECT_GE(head.x - previousHead, 6.0f);
            EXPECT_LT(head.x - previousHead, 16.0f);
        }
        previousHead = head.x;
    }

    // The title slides down from the top edge in 90 frames, fading in, and
    // stays; the maker's line is there at once.
    ZQ::CaptionInstance* title = captions.findCaption("zr_title");
    ZQ::CaptionInstance* maker = captions.findCaption("company_name");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(maker, nullptr);
    EXPECT_EQ(maker->layout.position, PVRTVec3(0.5f * W, 0.025f * H, depth));
    EXPECT_EQ(maker->layout.alpha, 1.0f);
    step();
    EXPECT_NEAR(title->layout.position.y, H, 0.5f);
    EXPECT_LT(title->layout.alpha, 0.1f);
    for (int frame = 0; frame < 120; ++frame) {
        step();
    }
    ASSERT_EQ(captions.findCaption("zr_title"), title) << "the title's action never ends";
    EXPECT_EQ(title->layout.position, PVRTVec3(0.5f * W, 0.9f * H, depth));
    EXPECT_EQ(title->layout.alpha, 1.0f);

    // Hidden: the title rises and fades, the maker's line fades, the tiles
    // hide and the braids fade out, after which their world is empty.
    TileCollection::hideMainMenu();
    EXPECT_TRUE(tiles.isEmpty());
    EXPECT_NE(tiles.hiding, nullptr);
    for (int frame = 0; frame < 15; ++frame) {
        step();
    }
    EXPECT_GT(title->layout.position.y, 0.9f * H);
    EXPECT_LT(title->layout.alpha, 1.0f);
    for (int frame = 0; frame < 30; ++frame) {
        step();
        braidWorld->doStep();
        braids.doStep();
    }
    EXPECT_EQ(captions.findCaption("zr_title"), nullptr);
    EXPECT_EQ(captions.findCaption("company_name"), nullptr);
    EXPECT_TRUE(braids.getBraids().empty());
    EXPECT_EQ(braidWorld->getParticleCount(), 0);
}

TEST_F(TileLayoutTest, TheMainMenuReplacesTheScreenOnItAtOnce) {
    openEverything();
    TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    TileCollection::showMainUi();
    EXPECT_EQ(tiles.hiding, nullptr) << "no hide animation for the pause menu";
    std::vector<ZQ::Cloudlet*> drawn;
    tiles.getCloudlets(drawn);
    EXPECT_EQ(drawn.size(), 7u) << "only the main menu's tiles";
}

TEST_F(TileLayoutTest, EachScreenHidesItsTilesItsOwnWay) {
    openEverything();
    using Pose = ZQ::Layout;
    struct Case {
        const char* name;
        void (*show)();
        int frames;                        // of the tile of index 0
        int stride;                        // frames more (or fewer) per index
        PVRTVec3 (*position)(const Pose&); // where it goes from its pose
        PVRTVec3 (*angles)(const Pose&);
    };
    const Case cases[] = {
        {"main menu", TileCollection::showMainUi, 45, -7,
         [](const Pose& p) { return PVRTVec3(0.0f, p.position.y, p.position.x); },
         [](const Pose& p) { return PVRTVec3(p.angles.x, ZQ::kPi, p.angles.z); }},
        {"pause menu", TileCollection::showPauseUi, 45, -7,
         [](const Pose& p) { return PVRTVec3(0.0f, p.position.y, p.position.x); },
         [](const Pose& p) { return PVRTVec3(p.angles.x, ZQ::kPi, p.angles.z); }},
        {"pause button", TileCollection::showGameUi, 15, 0,
         [](const Pose& p) { return p.position + PVRTVec3(0.0f, 0.1f * 1334.0f, 0.0f); },
         [](const Pose& p) { return PVRTVec3(0.0f, p.angles.y, p.angles.z); }},
        {"points", TileCollection::showPointsUi, 30, 0,
         [](const Pose& p) { return p.position - PVRTVec3(0.0f, 0.1f * 1334.0f, 0.0f); },
         [](const Pose& p) { return PVRTVec3(p.angles.x, -ZQ::kPi, p.angles.z); }},
        {"award", TileCollection::showAwardUi, 30, 10,
         [](const Pose& p) { return PVRTVec3(p.position.x, 0.1f * 1334.0f, p.position.z); },
         [](const Pose& p) { return PVRTVec3(-ZQ::kHalfPi, p.angles.y, p.angles.z); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.show();
        ASSERT_LT(settle(), 400);
        const std::vector<TileInstance*> shown = leaves();
        std::vector<Pose> poses;
        for (const TileInstance* tile : shown) {
            poses.push_back(tile->layout);
        }
        tiles.hideTile();
        std::vector<int> hidden(shown.size(), -1);
        for (int frame = 1; frame <= 100 && tiles.hiding != nullptr; ++frame) {
            step();
            for (std::size_t i = 0; i < shown.size(); ++i) {
                if (hidden[i] < 0 && shown[i]->getAction()->isFinished()) {
                    hidden[i] = frame;
                }
            }
        }
        EXPECT_EQ(tiles.hiding, nullptr) << "dropped once every tile has gone";
        for (std::size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE("tile " + std::to_string(shown[i]->id));
            // The tween's float clock may end one frame late.
            const int frames = c.frames + c.stride * shown[i]->index;
            EXPECT_GE(hidden[i], frames);
            EXPECT_LE(hidden[i], frames + 1);
            const Pose& end = shown[i]->layout;
            EXPECT_EQ(end.position, c.position(poses[i]));
            EXPECT_EQ(end.angles, c.angles(poses[i]));
            EXPECT_EQ(end.alpha, 0.0f);
            EXPECT_EQ(end.scale, poses[i].scale);
        }
    }
}

TEST_F(TileLayoutTest, TheMapAndShareTilesWaitUntilTheyCanBeUsed) {
    TileCollection::showAwardUi();
    EXPECT_EQ(settle(200), 200) << "max_level is 0, no snapshot";
    levels->max_level = 1;
    ZQ::gGlobals.tutorialActive = true;
    EXPECT_EQ(settle(100), 100) << "the tutorial runs";
    ZQ::gGlobals.tutorialActive = false;
    EXPECT_EQ(settle(100), 100) << "no snapshot to share";
    const TileInstance* share = leaves()[1];
    ASSERT_EQ(share->id, TileCollection::kShareAward);
    EXPECT_NEAR(std::fabs(share->layout.angles.y), ZQ::kPi, 1e-5f) << "the share tile rests turned away";
    EXPECT_NEAR(leaves()[0]->layout.angles.y, 0.0f, 1e-5f) << "the map tile has turned to the front";
    social.open = true;
    EXPECT_LT(settle(), 100);
}

TEST_F(TileLayoutTest, ATileWithoutACaptionNameStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(TileInstance(1, "", ZQ::Material(), TileInstance::alwaysTrue(), 1.0f), "captionKey.length");
}

} // namespace
