#include "engine/SpotAction.h"
#include "engine/EasingPresets.h"
#include "engine/Spot.h"

#include <gtest/gtest.h>

namespace {

using ZQ::Action;

int runsUntilSuccess(ZQ::Spot& spot) {
    int runs = 0;
    while (spot.getAction()->getState() != Action::Success && runs < 100) {
        spot.step();
        ++runs;
    }
    return runs;
}

TEST(SpotActionTest, FifteenFramesSucceedOnTheSixteenthRun) {
    // Fifteen float steps of 1/15 sum to exactly 1, which is not above 1.
    ZQ::Spot spot;
    spot.setAction(new ZQ::SpotAction(PVRTVec2(0.0f, 0.0f), 0.0f, ZQ::easeOutQuad(), 15));
    EXPECT_EQ(runsUntilSuccess(spot), 16);
}

TEST(SpotActionTest, TenFramesSucceedOnTheTenthRun) {
    // Ten float steps of 1/10 sum to slightly more than 1.
    ZQ::Spot spot;
    spot.setAction(new ZQ::SpotAction(PVRTVec2(0.0f, 0.0f), 0.0f, ZQ::easeOutQuad(), 10));
    EXPECT_EQ(runsUntilSuccess(spot), 10);
}

TEST(SpotActionTest, EasesAllThreeValuesFromWhereTheyStood) {
    ZQ::Spot spot;
    spot.pair = PVRTVec2(0.2f, 0.4f);
    spot.third = 0.6f;
    spot.setAction(new ZQ::SpotAction(PVRTVec2(1.0f, 0.8f), 0.5f, ZQ::easeSmooth(), 4));
    spot.step(); // ease(0)
    EXPECT_FLOAT_EQ(spot.pair.x, 0.2f);
    EXPECT_FLOAT_EQ(spot.third, 0.6f);
    spot.step(); // ease(0.25) = 0.296875
    const float e = 0.296875f;
    EXPECT_FLOAT_EQ(spot.pair.x, 0.2f + 0.8f * e);
    EXPECT_FLOAT_EQ(spot.pair.y, 0.4f + 0.4f * e);
    EXPECT_FLOAT_EQ(spot.third, 0.6f - 0.1f * e);
    runsUntilSuccess(spot);
    EXPECT_FLOAT_EQ(spot.pair.x, 1.0f);
    EXPECT_FLOAT_EQ(spot.pair.y, 0.8f);
    EXPECT_FLOAT_EQ(spot.third, 0.5f);
}

TEST(SpotActionDeathTest, RefusesAnItemThatIsNotASpot) {
    ZQ::Cloudlet item;
    item.setAction(new ZQ::SpotAction(PVRTVec2(1.0f, 1.0f), 1.0f, ZQ::easeOutQuad(), 15));
    EXPECT_DEATH(item.step(), "spot != nullptr");
}

} // namespace
