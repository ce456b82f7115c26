#include "engine/Composite.h"
#include "ProbeAction.h"
#include "engine/Cloudlet.h"
#include "engine/LeafActions.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ZQ::Action;
using Journal = std::vector<std::string>;
using Children = std::vector<Action*>;

// A child whose tick answers "not started": its run hands back state 0.
Action* brokenChild() {
    return new ProbeAction(Action::Running, {Action::NotStarted});
}

ProbeAction* probe(Journal& journal, const char* name, Action::State runResult = Action::Success) {
    return new ProbeAction(Action::Running, {runResult}, &journal, name);
}

TEST(SequenceTest, InstantChildrenFinishInOneTickInOrder) {
    Journal journal;
    ZQ::Sequence seq({probe(journal, "a"), new ZQ::TauAction(Action::Success), probe(journal, "b")});
    EXPECT_EQ(seq.tick(), Action::Success);
    EXPECT_EQ(journal, (Journal{"a.start", "a.run", "b.start", "b.run"}));
    // A finished sequence does no more work.
    EXPECT_EQ(seq.tick(), Action::Success);
    EXPECT_EQ(journal.size(), 4u);
}

TEST(SequenceTest, WaitsForARunningChildAndStopsAtAFailure) {
    int calls = 0;
    ZQ::Sequence seq({new ZQ::WaitAction(2), new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++calls; })});
    EXPECT_EQ(seq.tick(), Action::Running);
    EXPECT_EQ(seq.tick(), Action::Running);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(seq.tick(), Action::Success); // the wait ends and the lambda follows in the same tick
    EXPECT_EQ(calls, 1);

    Journal journal;
    ZQ::Sequence failing({new ZQ::TauAction(Action::Failure), probe(journal, "late")});
    EXPECT_EQ(failing.tick(), Action::Failure);
    EXPECT_TRUE(journal.empty());
}

TEST(SequenceTest, ResetStartsOverFromTheFirstChild) {
    Journal journal;
    ZQ::Sequence seq({probe(journal, "a"), probe(journal, "b", Action::Running)});
    seq.tick();
    EXPECT_EQ(seq.getCurrent(), 1);
    journal.clear();
    seq.reset();
    EXPECT_EQ(seq.getState(), Action::NotStarted);
    EXPECT_EQ(seq.getCurrent(), 0);
    EXPECT_EQ(seq.tick(), Action::Running);
    EXPECT_EQ(journal, (Journal{"a.reset", "b.reset", "a.start", "a.run", "b.start", "b.run"}));
}

TEST(CompositeTest, EmptyCompositesFinishAtOnce) {
    ZQ::Sequence seq(Children{});
    EXPECT_EQ(seq.tick(), Action::Success);
    ZQ::Selector sel(Children{});
    EXPECT_EQ(sel.tick(), Action::Failure);
    ZQ::Parallel par(Children{});
    EXPECT_EQ(par.tick(), Action::Success);
}

TEST(CompositeTest, DeletesItsChildrenAndBindsThemAll) {
    Journal journal;
    auto* seq = new ZQ::Sequence({probe(journal, "a"), new ZQ::Parallel({probe(journal, "b")})});
    ZQ::Cloudlet item;
    seq->setCloudlet(&item);
    EXPECT_EQ(journal, (Journal{"a.bind", "b.bind"}));
    EXPECT_EQ(seq->getChildren()[1]->getCloudlet(), &item);
    journal.clear();
    delete seq;
    EXPECT_EQ(journal, (Journal{"a.deleted", "b.deleted"}));
}

TEST(SelectorTest, StopsAtTheFirstChildThatDoesNotFail) {
    EXPECT_EQ(ZQ::Selector({new ZQ::TauAction(Action::Failure), new ZQ::TauAction(Action::Failure)}).tick(),
              Action::Failure);

    Journal journal;
    ZQ::Selector sel({new ZQ::TauAction(Action::Failure), new ZQ::WaitAction(1), probe(journal, "never")});
    EXPECT_EQ(sel.tick(), Action::Running);
    EXPECT_EQ(sel.tick(), Action::Success);
    EXPECT_TRUE(journal.empty());
}

TEST(ParallelTest, SucceedsWhenAllHaveSucceeded) {
    ZQ::Parallel par({new ZQ::WaitAction(1), new ZQ::WaitAction(3)});
    EXPECT_EQ(par.tick(), Action::Running);
    EXPECT_EQ(par.tick(), Action::Running);
    EXPECT_EQ(par.tick(), Action::Running);
    EXPECT_EQ(par.tick(), Action::Success);
}

TEST(ParallelTest, FirstFailureSkipsLaterChildrenAndFinishedChildrenCostNothing) {
    Journal journal;
    ZQ::Parallel par({probe(journal, "done"), new ZQ::WaitAction(1), probe(journal, "later")});
    EXPECT_EQ(par.tick(), Action::Running);
    EXPECT_EQ(par.tick(), Action::Success);
    // "done" finished on the first tick and was not run again.
    EXPECT_EQ(journal, (Journal{"done.start", "done.run", "later.start", "later.run"}));

    journal.clear();
    ZQ::Parallel failing(
        {new ZQ::NopAction(), new ZQ::TauAction(Action::Failure), probe(journal, "skipped")});
    EXPECT_EQ(failing.tick(), Action::Failure);
    EXPECT_TRUE(journal.empty());
}

TEST(LoopTest, RestartsItsChildrenForEverUntilOneFails) {
    int calls = 0;
    ZQ::Loop loop({new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++calls; }), new ZQ::WaitAction(2)});
    // The wait of 2 lives 3 ticks, so the lambda runs on ticks 1, 3, 5 and 7.
    for (int tick = 1; tick <= 7; ++tick) {
        ASSERT_EQ(loop.tick(), Action::Running) << "tick " << tick;
    }
    EXPECT_EQ(calls, 4);

    int checks = 0;
    ZQ::Loop ending({new ZQ::WaitAction(0), new ZQ::LambdaCondition([&](ZQ::Cloudlet*) {
                         return ++checks < 3 ? Action::Success : Action::Failure;
                     }),
                     new ZQ::WaitAction(1)});
    // Tick 1 passes the first check, tick 2 the second after the wait, and
    // tick 3 fails on the third.
    EXPECT_EQ(ending.tick(), Action::Running);
    EXPECT_EQ(ending.tick(), Action::Running);
    EXPECT_EQ(ending.tick(), Action::Failure);
    EXPECT_EQ(checks, 3);
}

TEST(LoopTest, OneChildRestartsInTheTickItSucceeded) {
    Journal journal;
    ZQ::Loop loop({new ProbeAction(Action::Running, {Action::Running, Action::Success, Action::Running},
                                   &journal, "c")});
    loop.tick();
    loop.tick();
    EXPECT_EQ(journal, (Journal{"c.start", "c.run", "c.run", "c.reset", "c.start", "c.run"}));
}

TEST(LoopTest, AWholeInstantPassAfterAWaitIsAllowed) {
    int calls = 0;
    auto count = [&](ZQ::Cloudlet*) { ++calls; };
    // When the wait ends, both lambdas run and the wait starts again: three
    // successes in one tick, but the loop reaches a child that waits.
    ZQ::Loop loop({new ZQ::WaitAction(1), new ZQ::LambdaAction(count), new ZQ::LambdaAction(count)});
    EXPECT_EQ(loop.tick(), Action::Running);
    EXPECT_EQ(loop.tick(), Action::Running);
    EXPECT_EQ(calls, 2);
}

TEST(LoopTest, AnInstantPassEndsTheTickAndTheLoopGoesOnNextTick) {
    int a = 0;
    int b = 0;
    ZQ::Loop loop({new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++a; }),
                   new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++b; })});
    EXPECT_EQ(loop.tick(), Action::Running);
    EXPECT_EQ(a + b, 3); // a, b and a again: every child had a fresh life
    EXPECT_EQ(loop.tick(), Action::Running);
    EXPECT_EQ(a + b, 6); // the next tick goes on with b
    EXPECT_EQ(a, 3);

    // A single instant child runs twice a tick (start, run and reset, twice);
    // a zero wait is as instant.
    Journal journal;
    ZQ::Loop single({probe(journal, "c")});
    for (int tick = 1; tick <= 3; ++tick) {
        ASSERT_EQ(single.tick(), Action::Running) << "tick " << tick;
        ASSERT_EQ(journal.size(), 6u * static_cast<size_t>(tick)) << "tick " << tick;
    }
    int calls = 0;
    ZQ::Loop zeroWait({new ZQ::WaitAction(0), new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++calls; })});
    EXPECT_EQ(zeroWait.tick(), Action::Running);
    EXPECT_EQ(zeroWait.tick(), Action::Running);
    EXPECT_EQ(calls, 3);
}

// A random wait that tells what it drew.
class RecordedWait : public ZQ::RandomWaitAction {
public:
    RecordedWait(int32_t minFrames, int32_t maxFrames, std::vector<int32_t>& draws)
        : RandomWaitAction(minFrames, maxFrames), draws(draws) {}
    State start() override {
        const State s = RandomWaitAction::start();
        draws.push_back(frames);
        return s;
    }

private:
    std::vector<int32_t>& draws;
};

using LoopRandomTest = SeededRandomTest;

TEST_F(LoopRandomTest, AWaitThatSometimesDrawsZeroNeitherSpinsNorStops) {
    std::vector<int32_t> draws;
    int calls = 0;
    // Waits of 0 to 2 frames: some passes are instant, most are not.
    ZQ::Loop loop({new RecordedWait(0, 1, draws), new ZQ::LambdaAction([&](ZQ::Cloudlet*) { ++calls; })});
    int busiest = 0;
    for (int tick = 1; tick <= 300; ++tick) {
        const int before = calls;
        ASSERT_EQ(loop.tick(), Action::Running) << "tick " << tick;
        busiest = std::max(busiest, calls - before);
    }
    // The lambda has followed every wait but the last one drawn, which is
    // running or has just ended the tick with an instant pass.
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(calls, static_cast<int>(draws.size()) - 1);
    // Zero draws did happen, and no tick ran more than one wait and one
    // instant pass.
    EXPECT_GT(std::count(draws.begin(), draws.end(), 0), 10);
    EXPECT_LE(busiest, 2);
}

TEST(CompositeDeathTest, ChildAnsweringNotStartedStopsTheProgram) {
    EXPECT_DEATH(ZQ::Sequence({brokenChild()}).tick(), "check failed: result != NotStarted");
    EXPECT_DEATH(ZQ::Selector({brokenChild()}).tick(), "check failed: result != NotStarted");
    EXPECT_DEATH(ZQ::Loop({brokenChild()}).tick(), "check failed: result != NotStarted");
}

TEST(CompositeDeathTest, LoopWithoutChildrenStops) {
    EXPECT_DEATH(ZQ::Loop(Children{}).tick(), "check failed: !children.empty\\(\\)");
}

TEST(CompositeDeathTest, NullChildIsRefusedWhenBuilt) {
    EXPECT_DEATH(ZQ::Sequence({nullptr}), "child != nullptr");
}

} // namespace
