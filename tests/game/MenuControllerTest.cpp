#include "game/MenuController.h"
#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TileSupport.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Stands in for the flow model: letters on screen or none.
class Letters : public ZQ::CloudletContainer {
public:
    void getCloudlets(std::vector<ZQ::Cloudlet*>& out) override {
        out.insert(out.end(), items.begin(), items.end());
    }
    std::vector<ZQ::Cloudlet*> items;
};

class Ids : public ZQ::EventListener {
public:
    void onTile(int id) override { ids.push_back(id); }
    std::vector<int> ids;
};

// One tile filling the middle of the screen, in a tile model.
class MenuControllerTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.language = "en";
        box.setUp();
        ZQ::gGlobals.captionBox = &box;
        tile = std::make_unique<ZQ::TileInstance>(7, "ui_play", ZQ::Material(),
                                                  ZQ::TileInstance::alwaysTrue(), 1.0f);
        ZQ::TileSupport::doLayout(PVRTVec2(375, 667), PVRTVec2(300, 300), tile.get());
        tiles.setUp();
        tiles.show(tile.get(), [](ZQ::TileInstance*) {});
        tiles.addListener(&listener);
    }

    void TearDown() override {
        box.tearDown();
        HeadlessGLTest::TearDown();
    }

    ZQ::CaptionBox box;
    std::unique_ptr<ZQ::TileInstance> tile;
    ZQ::TileModel tiles;
    Letters letters;
    Ids listener;
    ZQ::MenuController menu{&letters, &tiles};
};

TEST_F(MenuControllerTest, DoneOnlyWhenNoLetterFlowsAndNoTileMoves) {
    EXPECT_TRUE(menu.isDone());
    ZQ::Cloudlet letter;
    letters.items.push_back(&letter);
    EXPECT_FALSE(menu.isDone()) << "a level name still leaving, no tile moving";
    letters.items.clear();
    tile->setAction(new ZQ::NopAction());
    EXPECT_FALSE(menu.isDone()) << "a tile still moving";
    tile->setAction(nullptr);
    EXPECT_TRUE(menu.isDone());
    EXPECT_TRUE(ZQ::MenuController(nullptr, &tiles).isDone()) << "no flow model: no letters";
}

TEST_F(MenuControllerTest, TapsGoToTheTiles) {
    menu.tap(PVRTVec2(100, 100), 20.0f);
    EXPECT_EQ(tiles.pending, nullptr) << "a tap on no tile changes nothing";
    EXPECT_EQ(tile->getAction(), nullptr);
    menu.tap(PVRTVec2(375, 667), 20.0f);
    EXPECT_EQ(tiles.pending, tile.get());
    EXPECT_FALSE(menu.isDone()) << "the press runs";
    for (int frame = 0; frame < 12; ++frame) {
        tiles.doStep();
    }
    EXPECT_EQ(listener.ids, std::vector<int>{7});
    EXPECT_TRUE(menu.isDone());
}

} // namespace
