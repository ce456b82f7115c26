#include "ProbeAction.h"
#include "engine/Cloudlet.h"
#include "engine/Decorators.h"
#include "engine/LeafActions.h"

#include <gtest/gtest.h>

namespace {

using ZQ::Action;
using Journal = std::vector<std::string>;

TEST(DecorateTest, DrivesTheChildDirectlySoTheChildKeepsStateZero) {
    auto* child = new ProbeAction(Action::Running, {Action::Running, Action::Failure});
    ZQ::Decorate deco(child);
    EXPECT_EQ(deco.tick(), Action::Running);
    EXPECT_EQ(deco.tick(), Action::Failure);
    EXPECT_EQ(child->getState(), Action::NotStarted);
    EXPECT_EQ(child->starts, 1);
    EXPECT_EQ(child->runs, 2);
    deco.reset();
    EXPECT_EQ(child->resets, 1);
    EXPECT_EQ(deco.getState(), Action::NotStarted);
}

TEST(LimitTest, LimitZeroStartsTheChildButNeverRunsIt) {
    auto* child = new ProbeAction(Action::Running, {Action::Running});
    ZQ::Limit limit(0, child);
    EXPECT_EQ(limit.tick(), Action::Success);
    EXPECT_EQ(child->starts, 1);
    EXPECT_EQ(child->runs, 0);
}

TEST(LimitTest, RunsTheChildLimitTimesThenSucceedsAndResetRearmsIt) {
    auto* child = new ProbeAction(Action::Running, {Action::Running});
    ZQ::Limit limit(3, child);
    EXPECT_EQ(limit.tick(), Action::Running);
    EXPECT_EQ(limit.tick(), Action::Running);
    EXPECT_EQ(limit.tick(), Action::Running);
    EXPECT_EQ(limit.tick(), Action::Success);
    EXPECT_EQ(child->runs, 3);

    limit.reset();
    EXPECT_EQ(limit.tick(), Action::Running);
    EXPECT_EQ(child->runs, 4);
    EXPECT_EQ(child->starts, 2);
}

TEST(LimitTest, ChildFinishingEarlyEndsTheLimitWithItsResult) {
    ZQ::Limit limit(5, new ProbeAction(Action::Running, {Action::Running, Action::Failure}));
    EXPECT_EQ(limit.tick(), Action::Running);
    EXPECT_EQ(limit.tick(), Action::Failure);
}

TEST(ConditionalTest, FailingConditionSucceedsWithoutRunningTheChild) {
    auto* child = new ProbeAction(Action::Running, {Action::Running});
    ZQ::Conditional cond(new ZQ::TauAction(Action::Failure), child);
    EXPECT_EQ(cond.tick(), Action::Success);
    EXPECT_EQ(child->starts, 1); // started with the conditional, whatever the condition
    EXPECT_EQ(child->runs, 0);
}

TEST(ConditionalTest, ConditionIsEvaluatedAfreshEveryFrame) {
    int checks = 0;
    auto* condition = new ZQ::LambdaCondition([&](ZQ::Cloudlet*) {
        ++checks;
        return checks == 1 ? Action::Running : (checks == 2 ? Action::Success : Action::Failure);
    });
    auto* child = new ProbeAction(Action::Running, {Action::Running});
    ZQ::Conditional cond(condition, child);
    EXPECT_EQ(cond.tick(), Action::Running); // condition running lets the child run
    EXPECT_EQ(cond.tick(), Action::Running); // so does success; a stale result would not be rechecked
    EXPECT_EQ(cond.tick(), Action::Success);
    EXPECT_EQ(checks, 3);
    EXPECT_EQ(child->runs, 2);
}

TEST(ConditionalTest, BindsChildThenConditionAndDeletesConditionFirst) {
    Journal journal;
    auto* cond = new ZQ::Conditional(new ProbeAction(Action::Running, {Action::Success}, &journal, "cond"),
                                     new ProbeAction(Action::Running, {Action::Success}, &journal, "child"));
    ZQ::Cloudlet item;
    cond->setCloudlet(&item);
    cond->reset();
    delete cond;
    EXPECT_EQ(journal, (Journal{"child.bind", "cond.bind", "child.reset", "cond.reset", "cond.deleted",
                                "child.deleted"}));
}

TEST(InvertTest, SwapsSuccessAndFailureOfStartAndRun) {
    // start answers running, run answers success: running from the start,
    // failure from the run, both within the first tick.
    auto* child = new ProbeAction(Action::Running, {Action::Success});
    ZQ::Invert inv(child);
    EXPECT_EQ(inv.start(), Action::Running);
    EXPECT_EQ(inv.run(), Action::Failure);
    ZQ::Invert ticked(new ProbeAction(Action::Running, {Action::Success}));
    EXPECT_EQ(ticked.tick(), Action::Failure);

    EXPECT_EQ(ZQ::Invert(new ZQ::TauAction(Action::Success)).tick(), Action::Failure);
    EXPECT_EQ(ZQ::Invert(new ZQ::TauAction(Action::Failure)).tick(), Action::Success);
    EXPECT_EQ(ZQ::Invert(new ProbeAction(Action::Running, {Action::Failure})).tick(), Action::Success);
    EXPECT_EQ(ZQ::Invert(new ZQ::NopAction()).tick(), Action::Running);
}

TEST(DecoratorDeathTest, NullChildOrConditionIsRefusedWhenBuilt) {
    EXPECT_DEATH(ZQ::Limit(1, nullptr), "child != nullptr");
    EXPECT_DEATH(ZQ::Conditional(nullptr, new ZQ::NopAction()), "condition != nullptr");
}

} // namespace
