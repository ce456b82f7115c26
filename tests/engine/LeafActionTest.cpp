#include "engine/Cloudlet.h"
#include "engine/LeafActions.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using ZQ::Action;

// Ticks a fresh start of `a` to its end; returns how many ticks reported
// running before it finished.
int runningTicks(Action& a) {
    a.reset();
    int running = 0;
    while (a.tick() == Action::Running) {
        ++running;
        if (running > 100000) {
            ADD_FAILURE() << "never finishes";
            break;
        }
    }
    return running;
}

TEST(TauActionTest, FixedResultsInTheFirstTick) {
    EXPECT_EQ(ZQ::TauAction(Action::Success).tick(), Action::Success);
    EXPECT_EQ(ZQ::TauAction(Action::Failure).tick(), Action::Failure);
    // Running goes on to the default run, which succeeds.
    EXPECT_EQ(ZQ::TauAction(Action::Running).tick(), Action::Success);
}

TEST(TauActionDeathTest, NotStartedWouldRestartForEver) {
    EXPECT_DEATH(ZQ::TauAction{Action::NotStarted}, "value != NotStarted");
}

TEST(NopActionTest, NeverFinishes) {
    ZQ::NopAction nop;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(nop.tick(), Action::Running);
    }
}

TEST(WaitActionTest, ThirtyFrameWaitSucceedsOnTick31) {
    ZQ::WaitAction wait(30);
    for (int tick = 1; tick <= 30; ++tick) {
        ASSERT_EQ(wait.tick(), Action::Running) << "tick " << tick;
    }
    EXPECT_EQ(wait.tick(), Action::Success);
    EXPECT_EQ(wait.tick(), Action::Success);
    // A reset wait counts from the start again.
    EXPECT_EQ(runningTicks(wait), 30);
    ZQ::WaitAction none(0);
    EXPECT_EQ(none.tick(), Action::Success);
}

class RandomWaitActionTest : public SeededRandomTest {};

TEST_F(RandomWaitActionTest, TenToTwentyCoversTenToTwentyOne) {
    ZQ::RandomWaitAction wait(10, 20);
    std::map<int, int> seen;
    for (int i = 0; i < 3000; ++i) {
        ++seen[runningTicks(wait)];
    }
    EXPECT_EQ(seen.begin()->first, 10);
    EXPECT_EQ(seen.rbegin()->first, 21);
    EXPECT_EQ(seen.size(), 12u);
}

TEST_F(RandomWaitActionTest, SameSeedSameWaits) {
    ZQ::RandomWaitAction wait(0, 100);
    std::vector<int> first;
    for (int i = 0; i < 20; ++i) {
        first.push_back(runningTicks(wait));
    }
    ZQ::seedRandom(kTestSeed);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(runningTicks(wait), first[i]);
    }
}

TEST_F(RandomWaitActionTest, RangesTooShortToDrawFromWaitMin) {
    ZQ::RandomWaitAction one(10, 9);      // span 1: always min
    ZQ::RandomWaitAction zero(10, 8);     // span 0: would divide by zero
    ZQ::RandomWaitAction reversed(10, 3); // would wrap to billions of frames
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(runningTicks(one), 10);
        EXPECT_EQ(runningTicks(zero), 10);
        EXPECT_EQ(runningTicks(reversed), 10);
    }
}

TEST(LambdaActionTest, CallsOnceWithTheBoundItemAndSucceeds) {
    ZQ::Cloudlet item;
    std::vector<ZQ::Cloudlet*> seen;
    ZQ::LambdaAction action([&](ZQ::Cloudlet* c) { seen.push_back(c); });
    action.setCloudlet(&item);
    EXPECT_EQ(action.tick(), Action::Success);
    EXPECT_EQ(action.tick(), Action::Success);
    EXPECT_EQ(seen, std::vector<ZQ::Cloudlet*>{&item});
}

TEST(LambdaConditionTest, AnswersTheFunctionEveryFrame) {
    ZQ::Cloudlet item;
    item.layout.alpha = 0.5f;
    ZQ::LambdaCondition cond(
        [](ZQ::Cloudlet* c) { return c->layout.alpha < 1.0f ? Action::Running : Action::Failure; });
    cond.setCloudlet(&item);
    EXPECT_EQ(cond.tick(), Action::Running);
    EXPECT_EQ(cond.tick(), Action::Running);
    item.layout.alpha = 1.0f;
    EXPECT_EQ(cond.tick(), Action::Failure);
}

TEST(DynamicLayoutActionTest, CopiesTheComputedPoseEveryFrameForEver) {
    ZQ::Cloudlet item;
    float x = 0.0f;
    ZQ::DynamicLayoutAction action([&] {
        ZQ::Layout l;
        l.position.x = x;
        l.alpha = 0.25f;
        return l;
    });
    action.setCloudlet(&item);
    for (int frame = 1; frame <= 3; ++frame) {
        x = float(frame);
        ASSERT_EQ(action.tick(), Action::Running);
        EXPECT_EQ(item.layout.position.x, float(frame));
        EXPECT_EQ(item.layout.alpha, 0.25f);
    }
}

TEST(LambdaActionDeathTest, EmptyFunctionsAreRefusedWhenBuilt) {
    EXPECT_DEATH(ZQ::LambdaAction(nullptr), "function != nullptr");
    EXPECT_DEATH(ZQ::LambdaCondition(nullptr), "function != nullptr");
    EXPECT_DEATH(ZQ::DynamicLayoutAction(nullptr), "function != nullptr");
}

} // namespace
