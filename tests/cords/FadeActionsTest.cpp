#include "cords/CordFades.h"

#include "cords/CordModel.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ZQ::Action;

// The tube radius at full size: one world unit in pixels.
class FadeActionsTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        full = 1.0f / ZQ::gGlobals.worldScale;
    }

    ZQ::CordInstance cord;
    float full = 0.0f;
};

TEST_F(FadeActionsTest, TheTubeGrowsElasticallyAndSucceedsOnThe62ndRun) {
    auto* grow = new ZQ::CordFadeInAction();
    cord.setAction(grow);
    cord.step();
    // First run: progress 1/60 on the out-elastic curve, alpha 1.2 times it.
    const float e1 = ZQ::easeOutElastic()->ease(0.016666668f);
    EXPECT_FLOAT_EQ(cord.radius, full * e1);
    EXPECT_FLOAT_EQ(cord.layout.alpha, std::min(1.2f * e1, 1.0f));
    float largest = cord.radius;
    int runs = 1;
    while (grow->getState() == Action::Running && runs < 100) {
        cord.step();
        ++runs;
        largest = std::max(largest, cord.radius);
        ASSERT_GE(cord.layout.alpha, 0.0f);
        ASSERT_LE(cord.layout.alpha, 1.0f);
    }
    EXPECT_EQ(runs, 62) << "sixty additions of 1/60 stay just below 1";
    EXPECT_EQ(grow->getState(), Action::Success);
    EXPECT_GT(largest, full) << "the elastic curve overshoots";
    EXPECT_EQ(cord.radius, full);
    EXPECT_EQ(cord.layout.alpha, 1.0f);
}

TEST_F(FadeActionsTest, TheTubeShrinksToNothingAndKeepsItsLastAlpha) {
    cord.radius = full;
    cord.layout.alpha = 1.0f;
    auto* shrink = new ZQ::CordFadeOutAction();
    cord.setAction(shrink);
    float progress = 0.0f;
    float lastAlpha = 1.0f;
    int runs = 0;
    while (!shrink->isFinished() && runs < 100) {
        cord.step();
        ++runs;
        if (shrink->getState() == Action::Running) {
            progress += 0.016666668f;
            const float e = ZQ::easeInElastic()->ease(progress);
            ASSERT_FLOAT_EQ(cord.radius, full - full * e) << runs;
            lastAlpha = 1.0f - e;
        }
    }
    EXPECT_EQ(runs, 62);
    EXPECT_EQ(cord.radius, 0.0f);
    EXPECT_EQ(cord.layout.alpha, lastAlpha);
}

} // namespace
