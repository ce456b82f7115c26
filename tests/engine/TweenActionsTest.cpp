#include "engine/TweenActions.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using ZQ::Action;
using ZQ::Layout;

Layout at(float x, float alpha = 1.0f) {
    Layout l;
    l.position = {x, 2.0f * x, -x};
    l.scale = 1.0f + x;
    l.alpha = alpha;
    return l;
}

// Binds `action` to `item` as a model does and ticks until it finishes;
// returns the run on which it succeeded, 0 if it had not after 1000.
int runsToSuccess(ZQ::Cloudlet& item, Action* action, std::vector<Layout>* poses = nullptr) {
    item.setAction(action);
    for (int run = 1; run <= 1000; ++run) {
        item.step();
        if (poses != nullptr) {
            poses->push_back(item.layout);
        }
        if (action->getState() == Action::Success) {
            return run;
        }
        EXPECT_EQ(action->getState(), Action::Running);
    }
    return 0;
}

TEST(EasingActionTest, FifteenFramesShowEaseOfEachStepAndLandOnTheTargetOnRun15) {
    ZQ::Cloudlet item;
    item.layout = at(0.0f, 0.0f);
    const Layout to = at(10.0f, 1.0f);
    std::vector<Layout> poses;
    EXPECT_EQ(runsToSuccess(item, new ZQ::EasingAction(to, ZQ::easeSmooth(), 15), &poses), 15);
    for (int k = 0; k < 14; ++k) {
        EXPECT_NEAR(poses[k].alpha, ZQ::easeSmooth()->ease(k / 15.0f), 1e-6f) << "run " << k + 1;
        EXPECT_NEAR(poses[k].position.x, 10.0f * ZQ::easeSmooth()->ease(k / 15.0f), 1e-5f);
    }
    EXPECT_EQ(poses[0].position.x, 0.0f); // the first run shows ease(0)
    EXPECT_EQ(poses.back(), to);
}

TEST(EasingActionTest, RunCountFollowsTheFloatSumOfTheSteps) {
    // 10 and 30 steps of 1/N overshoot 1, 15 land on it, 60 fall short by a
    // hair and need one more.
    const std::pair<int, int> expected[] = {{1, 1}, {10, 10}, {15, 15}, {30, 30}, {60, 61}};
    for (auto [frames, runs] : expected) {
        ZQ::Cloudlet item;
        EXPECT_EQ(runsToSuccess(item, new ZQ::EasingAction(at(1.0f), ZQ::easeSmooth(), frames)), runs)
            << frames << " frames";
        EXPECT_EQ(item.layout, at(1.0f));
    }
}

TEST(EasingActionTest, ResetCapturesTheStartPoseAgain) {
    ZQ::Cloudlet item;
    item.layout = at(0.0f);
    auto* action = new ZQ::EasingAction(at(4.0f), ZQ::easeSmooth(), 2);
    item.setAction(action);
    item.step();
    item.step();
    ASSERT_EQ(item.layout, at(4.0f));
    item.layout = at(2.0f);
    action->reset();
    item.step(); // shows ease(0) of the new start
    EXPECT_EQ(item.layout.position.x, 2.0f);
    item.step();
    EXPECT_EQ(item.layout, at(4.0f));
}

TEST(EasingStaticActionTest, StartsFromItsOwnPoseNotTheItems) {
    ZQ::Cloudlet item;
    item.layout = at(100.0f);
    std::vector<Layout> poses;
    EXPECT_EQ(runsToSuccess(item, new ZQ::EasingStaticAction(at(0.0f, 0.0f), at(3.0f), ZQ::easeSmooth(), 15),
                            &poses),
              15);
    EXPECT_EQ(poses[0].position.x, 0.0f);
    EXPECT_EQ(poses[0].alpha, 0.0f);
    EXPECT_EQ(poses.back(), at(3.0f));
}

TEST(EasingLerpActionTest, SucceedsOnRun16AndLeavesTheOrientationUntilTheEnd) {
    ZQ::Cloudlet item;
    item.layout = at(0.0f);
    item.layout.angles = {0.1f, 0.0f, 0.0f};
    item.layout.orientation = {0.0f, 0.6f, 0.0f, 0.8f};
    Layout to = at(5.0f);
    to.angles = {6.2f, 0.0f, 0.0f};
    std::vector<Layout> poses;
    EXPECT_EQ(runsToSuccess(item, new ZQ::EasingLerpAction(to, ZQ::easeSmooth(), 15), &poses), 16);
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(poses[k].orientation, PVRTQuaternion(0.0f, 0.6f, 0.0f, 0.8f)) << "run " << k + 1;
    }
    // Angles are blended the long way round, unlike the interpolation.
    EXPECT_NEAR(poses[7].angles.x, 0.1f + 6.1f * ZQ::easeSmooth()->ease(7 / 15.0f), 1e-5f);
    EXPECT_NEAR(poses[14].position.x, 5.0f * ZQ::easeSmooth()->ease(14 / 15.0f), 1e-5f);
    EXPECT_EQ(poses.back(), to);
}

TEST(EasingLambdaActionTest, FollowsMovingEndsAndEndsOnceTExceedsOne) {
    ZQ::Cloudlet item;
    float drift = 0.0f;
    auto* action = new ZQ::EasingLambdaAction([&] { return at(drift); }, [&] { return at(drift + 10.0f); },
                                              ZQ::easeSmooth(), 15);
    item.setAction(action);
    int runs = 0;
    while (action->getState() != Action::Success && runs < 100) {
        drift = 100.0f * float(runs);
        item.step();
        EXPECT_NEAR(item.layout.position.x, drift + 10.0f * ZQ::easeSmooth()->ease(runs / 15.0f), 1e-3f)
            << "run " << runs + 1;
        ++runs;
    }
    // 15 steps make exactly 1, which is not above 1: a 16th run, no snap.
    EXPECT_EQ(runs, 16);
    EXPECT_EQ(item.layout.position.x, drift + 10.0f);

    ZQ::Cloudlet other;
    EXPECT_EQ(runsToSuccess(other, new ZQ::EasingLambdaAction([] { return at(0.0f); },
                                                              [] { return at(1.0f); }, ZQ::easeSmooth(), 10)),
              10);
}

TEST(FadeActionTest, TenFrameFadeOutReachesZeroOnRun11) {
    ZQ::Cloudlet item;
    item.layout.alpha = 0.8f;
    std::vector<Layout> poses;
    EXPECT_EQ(runsToSuccess(item, new ZQ::FadeOutAction(ZQ::easeSmooth(), 10), &poses), 11);
    EXPECT_NEAR(poses[0].alpha, 0.8f - 0.8f * ZQ::easeSmooth()->ease(0.1f), 1e-6f);
    EXPECT_GT(poses[8].alpha, 0.0f);
    EXPECT_EQ(poses.back().alpha, 0.0f);
}

TEST(FadeActionTest, FadesSucceedOnTheRunAfterTReachesOne) {
    const std::pair<int, int> expected[] = {{1, 2}, {10, 11}, {15, 16}, {30, 31}, {60, 62}};
    for (auto [frames, runs] : expected) {
        ZQ::Cloudlet in, out;
        in.layout.alpha = 0.0f;
        EXPECT_EQ(runsToSuccess(in, new ZQ::FadeInAction(ZQ::easeSmooth(), frames, 0.9f)), runs) << frames;
        EXPECT_EQ(in.layout.alpha, 0.9f);
        EXPECT_EQ(runsToSuccess(out, new ZQ::FadeOutAction(ZQ::easeSmooth(), frames)), runs) << frames;
        EXPECT_EQ(out.layout.alpha, 0.0f);
    }
}

TEST(FadeActionTest, FadeInEndsOnItsAlphaExactlyWhateverTheCurve) {
    ZQ::Cloudlet item;
    item.layout.alpha = 0.0f;
    std::vector<Layout> poses;
    EXPECT_EQ(runsToSuccess(item, new ZQ::FadeInAction(ZQ::easeOutElastic(), 15, 1.0f), &poses), 16);
    // The first frame already shows ease(1/15); the elastic curve overshoots
    // 1 at the last step, and the final run writes exactly 1.
    EXPECT_NEAR(poses[0].alpha, ZQ::easeOutElastic()->ease(1.0f / 15.0f), 1e-6f);
    EXPECT_GT(poses[14].alpha, 1.0f);
    EXPECT_EQ(poses.back().alpha, 1.0f);

    ZQ::Cloudlet half;
    EXPECT_EQ(runsToSuccess(half, new ZQ::FadeInAction(ZQ::easeSmooth(), 10, 0.5f)), 11);
    EXPECT_EQ(half.layout.alpha, 0.5f);
}

TEST(TweenTest, ZeroOrNegativeFramesFinishAtTheFirstTickOnTheTarget) {
    for (int frames : {0, -3}) {
        ZQ::Cloudlet a, b, c, d, e, f;
        a.layout = b.layout = c.layout = d.layout = at(1.0f, 0.5f);
        EXPECT_EQ(runsToSuccess(a, new ZQ::EasingAction(at(7.0f), ZQ::easeOutElastic(), frames)), 1);
        EXPECT_EQ(a.layout, at(7.0f));
        EXPECT_EQ(runsToSuccess(b, new ZQ::EasingStaticAction(at(2.0f), at(7.0f), ZQ::easeSmooth(), frames)),
                  1);
        EXPECT_EQ(b.layout, at(7.0f));
        EXPECT_EQ(runsToSuccess(c, new ZQ::EasingLerpAction(at(7.0f), ZQ::easeSmooth(), frames)), 1);
        EXPECT_EQ(c.layout, at(7.0f));
        EXPECT_EQ(
            runsToSuccess(d, new ZQ::EasingLambdaAction([] { return at(2.0f); }, [] { return at(7.0f); },
                                                        ZQ::easeInElastic(), frames)),
            1);
        EXPECT_EQ(d.layout, at(7.0f));
        EXPECT_EQ(runsToSuccess(e, new ZQ::FadeInAction(ZQ::easeOutElastic(), frames, 0.75f)), 1);
        EXPECT_EQ(e.layout.alpha, 0.75f);
        f.layout.alpha = 0.6f;
        EXPECT_EQ(runsToSuccess(f, new ZQ::FadeOutAction(ZQ::easeInElastic(), frames)), 1);
        EXPECT_EQ(f.layout.alpha, 0.0f);
    }
}

} // namespace
