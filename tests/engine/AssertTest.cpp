#include "engine/Assert.h"

#include <gtest/gtest.h>

namespace {

void overflowingPush(int count) {
    ZQ_ASSERT(count < 4);
}

TEST(AssertDeathTest, NamesTheCheckThenWhereItFailed) {
    EXPECT_DEATH(overflowingPush(4),
                 "check failed: count < 4\n    in overflowingPush, [A-Za-z]+\\.cpp:[0-9]+");
}

TEST(AssertTest, PassingAssertionDoesNothing) {
    overflowingPush(3);
    SUCCEED();
}

} // namespace
