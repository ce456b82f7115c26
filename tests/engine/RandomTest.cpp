#include "engine/Random.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::vector<uint32_t> draw(int n) {
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i) {
        v.push_back(ZQ::arc4random());
    }
    return v;
}

TEST(RandomTest, SeedMakesTheSequenceReproducible) {
    ZQ::seedRandom(7);
    const auto a = draw(16);
    ZQ::seedRandom(7);
    EXPECT_EQ(draw(16), a);
    ZQ::seedRandom(8);
    EXPECT_NE(draw(16), a);
}

TEST(RandomTest, UniformStaysBelowItsBoundAndCoversIt) {
    ZQ::seedRandom(1);
    std::set<uint32_t> seen;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t r = ZQ::arc4random_uniform(6);
        ASSERT_LT(r, 6u);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(ZQ::arc4random_uniform(0), 0u);
    EXPECT_EQ(ZQ::arc4random_uniform(1), 0u);
}

} // namespace
