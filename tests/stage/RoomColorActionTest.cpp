#include "stage/RoomColorAction.h"
#include "constants/Palette.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"

#include <gtest/gtest.h>

namespace {

using ZQ::Action;
using ZQ::Material;

// A room item of our own: the room model is not needed to fade a table.
class TableItem : public ZQ::Cloudlet, public ZQ::ColourTableItem {
public:
    std::vector<Material>& colourTable() override { return colours; }
    std::vector<Material> colours;
};

Material bright(float v) {
    return {PVRTVec3(v, v, v),       PVRTVec3(v, 0.5f, 0.25f), PVRTVec3(1.0f, v, 0.0f), 12.42f, 0.0f,
            PVRTVec3(0.3f, 0.2f, v), PVRTVec3(v, v, 0.1f)};
}

bool sameMaterial(const Material& a, const Material& b) {
    return a.ambient == b.ambient && a.diffuse == b.diffuse && a.specular == b.specular &&
           a.shininess == b.shininess && a.refractiveIndex == b.refractiveIndex && a.warm == b.warm &&
           a.cool == b.cool;
}

TEST(RoomColorActionTest, DarkSchemeIsTheFourRecordsOfTheFinishedRoom) {
    const std::vector<Material> dark = ZQ::RoomColorAction::darkScheme();
    ASSERT_EQ(dark.size(), 4u);
    const PVRTVec3 diffuse[4] = {ZQ::Palette::lampBlack, ZQ::Palette::ivoryBlack, ZQ::Palette::lampBlack,
                                 ZQ::Palette::lampBlack};
    const PVRTVec3 specular[4] = {ZQ::Palette::coldGrey, ZQ::Palette::slateGreyDark, ZQ::Palette::warmGrey,
                                  ZQ::Palette::lightGrey};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dark[i].ambient, ZQ::Palette::black);
        EXPECT_EQ(dark[i].diffuse, diffuse[i]) << i;
        EXPECT_EQ(dark[i].specular, specular[i]) << i;
        EXPECT_FLOAT_EQ(dark[i].shininess, 36.42f);
        EXPECT_EQ(dark[i].refractiveIndex, 0.0f);
        EXPECT_EQ(dark[i].warm, PVRTVec3());
        EXPECT_EQ(dark[i].cool, PVRTVec3());
    }
}

TEST(RoomColorActionTest, FifteenFramesWriteTheExactTargetOnTheSixteenthRun) {
    TableItem room;
    room.colours = {bright(0.9f), bright(0.8f), bright(0.7f), bright(0.6f)};
    const std::vector<Material> start = room.colours;
    room.setAction(new ZQ::RoomColorAction(15));

    room.step(); // shows ease(0) = 0: the start colours
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(sameMaterial(room.colours[i], start[i])) << i;
    }
    int runs = 1;
    while (room.getAction()->getState() == Action::Running) {
        room.step();
        ++runs;
        ASSERT_LE(runs, 16);
    }
    EXPECT_EQ(runs, 16);
    EXPECT_EQ(room.getAction()->getState(), Action::Success);
    const std::vector<Material> dark = ZQ::RoomColorAction::darkScheme();
    ASSERT_EQ(room.colours.size(), dark.size());
    for (size_t i = 0; i < dark.size(); ++i) {
        EXPECT_TRUE(sameMaterial(room.colours[i], dark[i])) << i;
    }
}

TEST(RoomColorActionTest, BlendsEveryFloatOnTheExponentialCurve) {
    TableItem room;
    room.colours = {bright(0.9f), bright(0.8f), bright(0.7f), bright(0.6f)};
    const Material from = room.colours[1];
    const Material to = ZQ::RoomColorAction::darkScheme()[1];
    room.setAction(new ZQ::RoomColorAction(4));
    room.step();
    room.step();
    room.step(); // third run shows ease(2/4)
    const float e = ZQ::easeInExpo()->ease(0.5f);
    EXPECT_FLOAT_EQ(room.colours[1].ambient.x, from.ambient.x + (to.ambient.x - from.ambient.x) * e);
    EXPECT_FLOAT_EQ(room.colours[1].specular.y, from.specular.y + (to.specular.y - from.specular.y) * e);
    EXPECT_FLOAT_EQ(room.colours[1].shininess, from.shininess + (to.shininess - from.shininess) * e);
    EXPECT_FLOAT_EQ(room.colours[1].cool.x, from.cool.x + (to.cool.x - from.cool.x) * e);
}

TEST(RoomColorActionTest, AShortTableBlendsOnlyTheRecordsItHas) {
    TableItem room;
    room.colours = {bright(0.9f), bright(0.8f)};
    room.setAction(new ZQ::RoomColorAction(3));
    room.step();
    room.step();
    ASSERT_EQ(room.colours.size(), 2u);
    EXPECT_LT(room.colours[1].specular.x, 1.0f);
}

TEST(RoomColorActionTest, AResetCapturesTheTableAgain) {
    TableItem room;
    room.colours = {bright(0.9f), bright(0.8f), bright(0.7f), bright(0.6f)};
    room.setAction(new ZQ::RoomColorAction(2));
    for (int i = 0; i < 3; ++i) {
        room.step();
    }
    ASSERT_EQ(room.getAction()->getState(), Action::Success);
    room.colours = {bright(0.5f), bright(0.5f), bright(0.5f), bright(0.5f)};
    room.getAction()->reset();
    room.step();
    EXPECT_TRUE(sameMaterial(room.colours[0], bright(0.5f)));
}

TEST(RoomColorActionDeathTest, RefusesAnItemWithoutAColourTable) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::RoomColorAction(15));
    EXPECT_DEATH(item.step(), "item != nullptr");
}

} // namespace
