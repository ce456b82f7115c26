#include "engine/Assert.h"

#include <gtest/gtest.h>

namespace {

void overflowingPush(int count) {
    ZQ_ASSERT(count < 4);
}

TEST(AssertDeathTest, NamesFileFunctionAndExpression) {
    EXPECT_DEATH(overflowingPush(4),
                 "Assertion failed: \\(count < 4\\), function overflowingPush, file AssertTest\\.cpp");
}

TEST(AssertTest, PassingAssertionDoesNothing) {
    overflowingPush(3);
    SUCCEED();
}

} // namespace
