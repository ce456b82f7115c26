#include "levels/PatternFunctions.h"
#include "levels/PatternGenerators.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

using ZQ::PatternFunction;

struct Sample {
    int level;
    std::size_t function;
    int i;
    int j;
    int value;
};

// Values where the arithmetic is easy to get wrong: negative remainders,
// the order of the chained tests, unsigned squares, float rounding.
TEST(PatternFunctionsTest, SampledValuesKeepTheRemainderAndRoundingRules) {
    const Sample samples[] = {
        {7, 0, 0, 1, 2},                                       // (0 - 1) mod 3 is 2, not -1
        {51, 1, 0, 2, 1},                                      // (0 - 2) mod 3
        {28, 0, 0, 15, 0},                                     // divisible by 5 is tested first
        {28, 0, 0, 9, 1},  {28, 0, 0, 7, 3}, {11, 0, 0, 5, 0}, // T is exactly 0 when i is 0: not positive
        {11, 0, 1, 0, 1},  {11, 0, 3, 0, 1}, // sin of three third-turns rounds to a tiny positive value
        {11, 0, 1, 1, 0},  {36, 0, 1, 2, 2}, {29, 0, 5, 4, 1}, // i >= j: j*j % 3
        {29, 0, 1, 4, 2},                                      // i < j: 2i % 3
        {35, 0, 0, 3, 1},  {35, 0, 1, 2, 2},                   // v = 32: divisible by 4 first
        {26, 0, 0, 0, 2},                                      // (int) sqrt(1800) = 42
        {20, 0, 3, 3, 2},  {17, 0, 0, 1, 1}, {17, 0, 2, 3, 0}, {62, 0, 0, 0, 1}, // (int) sqrt(50) = 7
        {65, 3, 1, 3, 0},  {40, 0, 4, 1, 1},
    };
    for (const Sample& s : samples) {
        const std::vector<PatternFunction> functions = ZQ::levelPatternFunctions(s.level);
        ASSERT_LT(s.function, functions.size()) << "level " << s.level;
        EXPECT_EQ(functions[s.function](s.i, s.j), s.value)
            << "level " << s.level << " P" << s.function << "(" << s.i << ", " << s.j << ")";
    }
}

TEST(PatternFunctionsTest, TheCatalogueStoresTwoHundredAndFiftyNineFunctions) {
    std::size_t total = ZQ::groundPatternFunctions().size();
    for (int level = 0; level < 76; ++level) {
        total += ZQ::levelPatternFunctions(level).size();
    }
    EXPECT_EQ(total, 259u);
}

TEST(PatternFunctionsTest, LevelThirtyThreeReadsOnlyItsFirstFourFunctions) {
    const std::vector<PatternFunction> all = ZQ::levelPatternFunctions(33);
    ASSERT_EQ(all.size(), 8u);
    const std::vector<PatternFunction> firstFour(all.begin(), all.begin() + 4);
    const std::unique_ptr<ZQ::PatternGraph> full(ZQ::makeTrianglePattern(40, 40, all));
    const std::unique_ptr<ZQ::PatternGraph> cut(ZQ::makeTrianglePattern(40, 40, firstFour));
    ASSERT_EQ(full->tiles.size(), cut->tiles.size());
    for (std::size_t t = 0; t < full->tiles.size(); ++t) {
        EXPECT_EQ(full->tiles[t]->value, cut->tiles[t]->value);
    }
    // The unused four differ from the used ones, so reading them would show.
    EXPECT_NE(all[0](0, 1), all[4](0, 1));
}

// Every tile value of `builds` builds of level 72 in a row through one new
// build state, in tile order. 13 x 11 cells ask the counter a number of
// times that three does not divide, so a count shared between states shows.
std::vector<int> levelSeventyTwoValues(int builds) {
    ZQ::PatternBuildState state;
    std::vector<int> values;
    for (int b = 0; b < builds; ++b) {
        const std::unique_ptr<ZQ::PatternGraph> graph(
            state.build(ZQ::makeOctagonSquarePattern, 13, 11, ZQ::levelPatternFunctions(72)));
        for (const ZQ::PatternTile* tile : graph->tiles) {
            values.push_back(tile->value);
        }
    }
    return values;
}

TEST(PatternBuildStateTest, LevelSeventyTwoCountsOnFromOneBuildToTheNextOfOneState) {
    const std::vector<int> values = levelSeventyTwoValues(2);
    // Per cell: eight octagon triangles, which ask the counter, then the
    // square's two, which are 3.
    constexpr std::size_t kCellTiles = 10;
    ASSERT_EQ(values.size(), 2u * 13u * 11u * kCellTiles);
    std::vector<int> octagons;
    for (std::size_t t = 0; t < values.size(); ++t) {
        if (t % kCellTiles < 8) {
            octagons.push_back(values[t]);
        } else {
            ASSERT_EQ(values[t], 3) << t;
        }
    }
    // One count from 0 running through both builds.
    for (std::size_t k = 0; k < octagons.size(); ++k) {
        ASSERT_EQ(octagons[k], static_cast<int>(k % 3)) << k;
    }
    // A new state starts again: the same builds give the same cells.
    EXPECT_EQ(levelSeventyTwoValues(2), values);
}

TEST(PatternBuildStateTest, TwoThreadsBuildingAtOnceGiveWhatOneAfterTheOtherGives) {
    const std::vector<int> alone = levelSeventyTwoValues(4);
    std::vector<int> first;
    std::vector<int> second;
    std::thread a([&first] { first = levelSeventyTwoValues(4); });
    std::thread b([&second] { second = levelSeventyTwoValues(4); });
    a.join();
    b.join();
    EXPECT_EQ(first, alone);
    EXPECT_EQ(second, alone);
}

TEST(PatternFunctionsDeathTest, TheCounterOutsideABuildStateStopsTheProgram) {
    EXPECT_DEATH(ZQ::levelPatternFunctions(72)[0](0, 0), "boundCount != nullptr");
    EXPECT_DEATH(ZQ::makeOctagonSquarePattern(2, 2, ZQ::levelPatternFunctions(72)), "boundCount != nullptr");
}

TEST(PatternFunctionsDeathTest, AskingForALevelOutsideTheCatalogueStopsTheProgram) {
    EXPECT_DEATH(ZQ::levelPatternFunctions(76), "level >= 0 && level < kLevelCount");
    EXPECT_DEATH(ZQ::levelPatternFunctions(-1), "level >= 0 && level < kLevelCount");
}

} // namespace
