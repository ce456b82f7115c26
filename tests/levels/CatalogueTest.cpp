#include "constants/Palette.h"
#include "cords/Cord.h"
#include "levels/LevelModel.h"
#include "levels/PatternFunctions.h"
#include "levels/PatternGenerators.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace {

using ZQ::LevelModel;

// The catalogue builds 76 cords; build it once for the whole suite.
class CatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { catalogue = new LevelModel(); }
    static void TearDownTestSuite() {
        delete catalogue;
        catalogue = nullptr;
    }
    static LevelModel* catalogue;
};

LevelModel* CatalogueTest::catalogue = nullptr;

constexpr std::size_t kLevels = 76;
constexpr int kParticleCapacity = 1024;
constexpr int kConstraintCapacity = 16384;

// The cord model lays one particle every 2 units of arc, from 0 while below
// the cord's length.
int particlesFor(const ZQ::Cord& cord) {
    int count = 0;
    for (float arc = 0.0f; arc < cord.totalLength; arc += 2.0f) {
        ++count;
    }
    return count;
}

TEST_F(CatalogueTest, HoldsTheLevelsInPlayOrderAndTheBaseRecord) {
    EXPECT_EQ(catalogue->levels.size(), kLevels);
    EXPECT_EQ(catalogue->level, 0);
    EXPECT_EQ(catalogue->ground.name, "Ground");
    EXPECT_EQ(catalogue->ground.cord, nullptr);
    EXPECT_EQ(catalogue->ground.tip, nullptr);
    EXPECT_TRUE(catalogue->ground.cordMaterials.empty());
    EXPECT_TRUE(catalogue->ground.normalMaps.empty());
    EXPECT_EQ(catalogue->levels.front().name, "Sedisa");
    EXPECT_EQ(catalogue->levels.back().name, "Gordias");
}

TEST_F(CatalogueTest, LevelNamesAreUniqueWordsOfFiveToNineLetters) {
    std::set<std::string> names;
    std::size_t shortest = 100;
    std::size_t longest = 0;
    for (const LevelModel::Level& record : catalogue->levels) {
        EXPECT_TRUE(names.insert(record.name).second) << record.name;
        for (const char c : record.name) {
            EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(c))) << record.name;
        }
        shortest = std::min(shortest, record.name.size());
        longest = std::max(longest, record.name.size());
    }
    EXPECT_EQ(shortest, 5u);
    EXPECT_EQ(longest, 9u);
    EXPECT_EQ(names.count("Ground"), 0u);
}

TEST_F(CatalogueTest, EveryStringHasAMaterialAndANormalMap) {
    for (std::size_t i = 0; i < kLevels; ++i) {
        const LevelModel::Level& record = catalogue->levels[i];
        ASSERT_NE(record.cord, nullptr) << i;
        const int strings = record.cord->strings;
        EXPECT_GE(strings, 1) << i;
        EXPECT_LE(strings, ZQ::MAX_CORD_STRINGS) << i;
        EXPECT_GE(record.cordMaterials.size(), static_cast<std::size_t>(strings)) << i;
        EXPECT_GE(record.normalMaps.size(), static_cast<std::size_t>(strings)) << i;
        for (const int32_t map : record.normalMaps) {
            EXPECT_GE(map, 0) << i;
            EXPECT_LT(map, 8) << i;
        }
    }
}

// The string and knot tables are separate; the levels with spare entries
// show that their rows line up.
TEST_F(CatalogueTest, OnlyTheKnownLevelsListSpareStringEntries) {
    std::set<std::size_t> spare;
    for (std::size_t i = 0; i < kLevels; ++i) {
        const LevelModel::Level& record = catalogue->levels[i];
        const auto strings = static_cast<std::size_t>(record.cord->strings);
        if (record.cordMaterials.size() > strings || record.normalMaps.size() > strings) {
            spare.insert(i);
        }
    }
    EXPECT_EQ(spare, (std::set<std::size_t>{12, 26, 32, 37, 54, 59, 66}));
}

TEST_F(CatalogueTest, OnlyTheKnownLevelsStoreMoreFunctionsThanTheirGeneratorReads) {
    std::set<std::size_t> spare;
    for (std::size_t i = 0; i < kLevels; ++i) {
        const LevelModel::Level& record = catalogue->levels[i];
        const auto classes = static_cast<std::size_t>(ZQ::patternClassCount(record.generator));
        ASSERT_GT(classes, 0u) << i;
        ASSERT_GE(record.patterns.size(), classes) << i;
        if (record.patterns.size() > classes) {
            spare.insert(i);
        }
    }
    EXPECT_EQ(spare, (std::set<std::size_t>{33, 35, 71}));
}

TEST_F(CatalogueTest, MaterialsHaveTheRoomAndCordShapes) {
    const auto sameColour = [](const PVRTVec3& a, const PVRTVec3& b) { return a == b; };
    std::vector<const LevelModel::Level*> records{&catalogue->ground};
    for (const LevelModel::Level& record : catalogue->levels) {
        records.push_back(&record);
    }
    for (const LevelModel::Level* record : records) {
        EXPECT_GE(record->roomMaterials.size(), 2u) << record->name;
        EXPECT_LE(record->roomMaterials.size(), 4u) << record->name;
        for (const LevelModel::Material& m : record->roomMaterials) {
            EXPECT_TRUE(sameColour(m.ambient, ZQ::Palette::black)) << record->name;
            EXPECT_TRUE(sameColour(m.diffuse, ZQ::Palette::ivoryBlack) ||
                        sameColour(m.diffuse, ZQ::Palette::lampBlack))
                << record->name;
            EXPECT_TRUE(m.shininess == 36.42f || m.shininess == 12.42f) << record->name;
            EXPECT_TRUE(sameColour(m.warm, PVRTVec3()) && sameColour(m.cool, PVRTVec3())) << record->name;
        }
        for (const LevelModel::Material& m : record->cordMaterials) {
            EXPECT_TRUE(sameColour(m.ambient, ZQ::Palette::black)) << record->name;
            EXPECT_TRUE(sameColour(m.specular, ZQ::Palette::black)) << record->name;
            EXPECT_TRUE(sameColour(m.diffuse, PVRTVec3())) << record->name;
            EXPECT_EQ(m.shininess, 2.8f) << record->name;
        }
    }
    // Spot checks of the two marks a row can carry: lampBlack and the shininess.
    const LevelModel::Material& first = catalogue->levels[0].roomMaterials[0];
    EXPECT_TRUE(sameColour(first.specular, ZQ::Palette::skyBlueLight));
    EXPECT_TRUE(sameColour(first.diffuse, ZQ::Palette::lampBlack));
    EXPECT_EQ(catalogue->levels[0].roomMaterials[1].shininess, 12.42f);
}

// Builds every room's wallpaper as the relief model would.
TEST_F(CatalogueTest, EveryWallpaperTileSelectsAnExistingRoomMaterialAtAFinitePlace) {
    std::vector<const LevelModel::Level*> records{&catalogue->ground};
    for (const LevelModel::Level& record : catalogue->levels) {
        records.push_back(&record);
    }
    ZQ::PatternBuildState builds;
    for (const LevelModel::Level* record : records) {
        ASSERT_NE(record->generator, nullptr) << record->name;
        EXPECT_EQ(record->width, std::floor(record->width)) << record->name;
        EXPECT_EQ(record->height, std::floor(record->height)) << record->name;
        const std::unique_ptr<ZQ::PatternGraph> graph(
            builds.build(record->generator, static_cast<int>(record->width), static_cast<int>(record->height),
                         record->patterns));
        ASSERT_FALSE(graph->tiles.empty()) << record->name;
        const auto materials = static_cast<int32_t>(record->roomMaterials.size());
        std::set<int32_t> used;
        for (const ZQ::PatternTile* tile : graph->tiles) {
            ASSERT_GE(tile->value, 0) << record->name;
            ASSERT_LT(tile->value, materials) << record->name;
            used.insert(tile->value);
            for (const PVRTVec2& p : tile->points) {
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << record->name;
            }
        }
        // A room shows more than one colour.
        EXPECT_GT(used.size(), 1u) << record->name;
    }
}

TEST_F(CatalogueTest, EveryCordFitsTheParticleWorld) {
    for (std::size_t i = 0; i < kLevels; ++i) {
        const ZQ::Cord& cord = *catalogue->levels[i].cord;
        EXPECT_EQ(cord.points.size(), 1000u) << i;
        EXPECT_TRUE(std::isfinite(cord.totalLength)) << i;
        const int particles = particlesFor(cord);
        EXPECT_LE(particles, kParticleCapacity) << i;
        // A bound, a link and a distance constraint per particle at most.
        EXPECT_LE(3 * particles, kConstraintCapacity) << i;
        // The one-string energy averages over the particles two apart, so
        // every string needs at least three.
        EXPECT_GE(particles / cord.strings, 3) << i;
        EXPECT_EQ(cord.centre, PVRTVec3(0.0f, 0.0f, 0.0f)) << i;
    }
}

TEST_F(CatalogueTest, CoefficientsAndSettlingFollowTheDefaultsWithTheirExceptions) {
    const std::set<std::size_t> harder{39, 64, 65, 66, 67, 73, 74};
    for (std::size_t i = 0; i < kLevels; ++i) {
        const LevelModel::Level& r = catalogue->levels[i];
        if (harder.count(i) != 0) {
            EXPECT_EQ(r.drag, 50.0f) << i;
        } else if (i == 63 || i == 70) {
            EXPECT_EQ(r.drag, 70.0f) << i;
        } else if (i == 75) {
            EXPECT_EQ(r.drag, 100.0f) << i;
        } else {
            EXPECT_EQ(r.friction, 158.0f) << i;
            EXPECT_EQ(r.drag, 42.0f) << i;
            EXPECT_EQ(r.rotate, 100.0f) << i;
        }
        EXPECT_EQ(r.slide, 42.0f) << i;
        EXPECT_EQ(r.cord->settle, i != 4 && i != 45) << i;
    }
    EXPECT_EQ(catalogue->ground.friction, 158.0f);
}

TEST_F(CatalogueTest, EveryRecordOwnsItsOwnCordAndEveryCordIsBuilt) {
    std::set<const ZQ::Cord*> cords;
    for (const LevelModel::Level& record : catalogue->levels) {
        EXPECT_TRUE(cords.insert(record.cord).second) << record.name;
        ASSERT_NE(record.cord->arcTable, nullptr) << record.name;
        EXPECT_FALSE(record.cord->arcTable->empty()) << record.name;
        EXPECT_GT(record.cord->totalLength, 0.0f) << record.name;
    }
}

} // namespace
