#include "LevelTestRecords.h"

#include "cords/Cord.h"
#include "cords/KnotGenerator.h"

#include <gtest/gtest.h>

namespace {

using LevelTestRecords::Level;
using LevelTestRecords::Material;
using LevelTestRecords::record;

int gKnotDeletions = 0;

class CountedKnot : public ZQ::TorusKnot {
public:
    CountedKnot() : ZQ::TorusKnot(2, 4, 2, 5, 0) {}
    ~CountedKnot() override { ++gKnotDeletions; }
};

ZQ::PatternGraph* noPattern(int, int, std::vector<ZQ::PatternFunction>) {
    return nullptr;
}

class LevelRecord : public ::testing::Test {
protected:
    void SetUp() override { gKnotDeletions = 0; }
};

// The constructor takes its arguments in another order than the fields; every
// value must land in its own field.
TEST_F(LevelRecord, ConstructorPutsEachArgumentInItsField) {
    const std::vector<ZQ::PatternFunction> patterns = {[](int i, int) { return i % 3; },
                                                       [](int, int j) { return j % 2; }};
    const std::vector<Material> room = {
        Material::room(ZQ::Palette::aquamarine, 36.42f, ZQ::Palette::lampBlack),
        Material::room(ZQ::Palette::ultramarine, 36.42f), Material::room(ZQ::Palette::peacock, 12.42f)};
    const std::vector<Material> strings = {Material::cord(ZQ::Palette::peacock, ZQ::Palette::ultramarine)};
    // The record only carries its tip, so any address stands in for one.
    int tipStandIn = 0;
    ZQ::TipNode* const tip = reinterpret_cast<ZQ::TipNode*>(&tipStandIn);
    const Level level("Gaelias", &noPattern, patterns, room, nullptr, strings, {6}, tip, 40.0f, 24.0f, 152.0f,
                      42.0f, 50.0f, 110.0f);

    EXPECT_EQ(level.name, "Gaelias");
    EXPECT_EQ(level.generator, &noPattern);
    ASSERT_EQ(level.patterns.size(), 2u);
    EXPECT_EQ(level.patterns[0](5, 0), 2);
    EXPECT_EQ(level.patterns[1](0, 5), 1);
    ASSERT_EQ(level.roomMaterials.size(), 3u);
    EXPECT_EQ(level.roomMaterials[2].specular, ZQ::Palette::peacock);
    EXPECT_EQ(level.cord, nullptr);
    ASSERT_EQ(level.cordMaterials.size(), 1u);
    EXPECT_EQ(level.cordMaterials[0].warm, ZQ::Palette::peacock);
    EXPECT_EQ(level.normalMaps, std::vector<int32_t>{6});
    EXPECT_EQ(level.tip, tip);
    EXPECT_EQ(level.width, 40.0f);
    EXPECT_EQ(level.height, 24.0f);
    EXPECT_EQ(level.friction, 152.0f);
    EXPECT_EQ(level.slide, 42.0f);
    EXPECT_EQ(level.drag, 50.0f);
    EXPECT_EQ(level.rotate, 110.0f);
}

TEST_F(LevelRecord, MaterialsTakeTheRoomAndStringShapes) {
    const Material lamp = Material::room(ZQ::Palette::gold, 36.42f, ZQ::Palette::lampBlack);
    EXPECT_EQ(lamp.ambient, ZQ::Palette::black);
    EXPECT_EQ(lamp.diffuse, ZQ::Palette::lampBlack);
    EXPECT_EQ(lamp.specular, ZQ::Palette::gold);
    EXPECT_EQ(lamp.shininess, 36.42f);
    EXPECT_EQ(lamp.refractiveIndex, 0.0f);
    EXPECT_EQ(lamp.warm, PVRTVec3());
    EXPECT_EQ(lamp.cool, PVRTVec3());
    EXPECT_EQ(Material::room(ZQ::Palette::gold, 12.42f).diffuse, ZQ::Palette::ivoryBlack);

    const Material string = Material::cord(ZQ::Palette::steelBlue, ZQ::Palette::gold);
    EXPECT_EQ(string.ambient, ZQ::Palette::black);
    EXPECT_EQ(string.diffuse, PVRTVec3());
    EXPECT_EQ(string.specular, ZQ::Palette::black);
    EXPECT_EQ(string.shininess, 2.8f);
    EXPECT_EQ(string.warm, ZQ::Palette::steelBlue);
    EXPECT_EQ(string.cool, ZQ::Palette::gold);
}

TEST_F(LevelRecord, ARecordWithACordHasItsCurveOnReturn) {
    auto* cord = new ZQ::Cord(4.0f, PVRTVec3(), 1, true, new ZQ::TorusKnot(2, 4, 2, 5, 0));
    EXPECT_EQ(cord->arcTable, nullptr);
    const Level level = record("Sedisa", cord);
    EXPECT_EQ(level.cord, cord);
    EXPECT_EQ(cord->points.size(), 1000u);
    ASSERT_NE(cord->arcTable, nullptr);
    EXPECT_GT(cord->totalLength, 0.0f);
    delete cord;
}

TEST_F(LevelRecord, CopiesShareCordAndTipAndDeleteNeither) {
    auto* cord = new ZQ::Cord(4.0f, PVRTVec3(), 2, true, new CountedKnot());
    int tipStandIn = 0;
    ZQ::TipNode* const tip = reinterpret_cast<ZQ::TipNode*>(&tipStandIn);
    const Level original = record("Atolasa", cord, tip);
    const std::vector<PVRTVec3> points = cord->points;
    {
        Level copy = original;
        Level assigned = record("Other");
        assigned = original;
        EXPECT_EQ(copy.cord, cord);
        EXPECT_EQ(assigned.tip, tip);
        EXPECT_EQ(copy.patterns[0](1, 2), original.patterns[0](1, 2));
    }
    EXPECT_EQ(gKnotDeletions, 0);
    EXPECT_EQ(original.cord->points, points);
    EXPECT_EQ(original.cord->pointAtLength(original.cord->totalLength), points.back());
    EXPECT_EQ(original.tip, tip);
    delete cord;
}

TEST_F(LevelRecord, CatalogueDeletesEachCordExactlyOnce) {
    {
        std::vector<Level> levels;
        levels.push_back(record("First", new ZQ::Cord(4.0f, PVRTVec3(), 1, true, new CountedKnot())));
        levels.push_back(record("Second"));
        auto* cord = new ZQ::Cord(4.0f, PVRTVec3(), 1, true, new CountedKnot());
        levels.push_back(record("Third", cord));
        levels.push_back(levels.back()); // a copy shares its cord
        ZQ::LevelModel catalogue(std::move(levels), record("Ground"));
        EXPECT_EQ(catalogue.levelCount(), 4);
        EXPECT_EQ(catalogue.ground.name, "Ground");
        EXPECT_EQ(gKnotDeletions, 0);
    }
    EXPECT_EQ(gKnotDeletions, 2);
}

TEST(LevelRecordDeathTest, ShortPerStringTablesStopTheCatalogue) {
    const std::vector<Material> oneString = {Material::cord(ZQ::Palette::gold, ZQ::Palette::navy)};
    const std::vector<Material> room = {Material::room(ZQ::Palette::gold, 36.42f)};
    auto make = [&](const std::vector<Material>& strings, const std::vector<int32_t>& maps) {
        ZQ::Cord cord(4.0f, PVRTVec3(), 2, true, new ZQ::TorusKnot(2, 4, 2, 5, 0));
        Level(" ", nullptr, {}, room, &cord, strings, maps, nullptr, 1, 1, 1, 1, 1, 1);
    };
    EXPECT_DEATH(make(oneString, {0, 1}), "cordMaterials");
    EXPECT_DEATH(make({oneString[0], oneString[0]}, {0}), "normalMaps");
    EXPECT_DEATH(make({oneString[0], oneString[0]}, {0, 8}), "normalMaps");
}

} // namespace
