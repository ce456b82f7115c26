#include "levels/PatternFunctions.h"
#include "levels/PatternGenerators.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
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

// The counter of level 72 octagons: values of the octagon triangles (tile
// classes 0) of one build, in tile order.
std::vector<int> octagonValues(const std::vector<PatternFunction>& functions) {
    const std::unique_ptr<ZQ::PatternGraph> graph(ZQ::makeOctagonSquarePattern(15, 15, functions));
    std::vector<int> values;
    for (std::size_t t = 0; t < graph->tiles.size(); ++t) {
        // Per cell: eight octagon triangles, then the square's two.
        if (t % 10 < 8) {
            values.push_back(graph->tiles[t]->value);
        }
    }
    return values;
}

TEST(PatternFunctionsTest, LevelSeventyTwoCountsOnAcrossBuildsAndCopies) {
    const std::vector<PatternFunction> functions = ZQ::levelPatternFunctions(72);
    const std::vector<int> first = octagonValues(functions);
    ASSERT_EQ(first.size(), 15u * 15u * 8u);
    for (std::size_t k = 1; k < first.size(); ++k) {
        ASSERT_EQ(first[k], (first[k - 1] + 1) % 3) << k;
    }
    // A separate copy of the list shares the one count: one extra call moves
    // the next build on by one.
    const std::vector<PatternFunction> copy = ZQ::levelPatternFunctions(72);
    EXPECT_EQ(copy[0](99, 99), (first.back() + 1) % 3);
    const std::vector<int> second = octagonValues(functions);
    EXPECT_EQ(second.front(), (first.back() + 2) % 3);
}

// Exits with 0 when the first eight calls of the level-72 counter give
// 0, 1, 2, 0, 1, 2, 0, 1 whatever the cells.
[[noreturn]] void exitWithFirstCounts() {
    const PatternFunction counter = ZQ::levelPatternFunctions(72)[0];
    const int expected[] = {0, 1, 2, 0, 1, 2, 0, 1};
    bool ok = true;
    for (int k = 0; k < 8; ++k) {
        ok = ok && counter(k * 5, 7 - k) == expected[k];
    }
    std::exit(ok ? 0 : 1);
}

TEST(PatternFunctionsDeathTest, LevelSeventyTwoStartsCountingAtZeroInEveryProcess) {
    // Run in a freshly started process, where no other test has moved the count.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitWithFirstCounts(), ::testing::ExitedWithCode(0), "");
}

TEST(PatternFunctionsDeathTest, AskingForALevelOutsideTheCatalogueStopsTheProgram) {
    EXPECT_DEATH(ZQ::levelPatternFunctions(76), "level >= 0 && level < kLevelCount");
    EXPECT_DEATH(ZQ::levelPatternFunctions(-1), "level >= 0 && level < kLevelCount");
}

} // namespace
