#include "stage/GaugeModel.h"
#include "engine/EasingPresets.h"
#include "engine/LeafActions.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

namespace {

// Points as the points screen would hold them.
struct FixedPoints : ZQ::GaugePoints {
    int32_t gaugeBasePoints() const override { return base; }
    int32_t gaugeScorePoints() const override { return score; }
    int32_t gaugeTimePoints() const override { return time; }
    int32_t base = 1100;
    int32_t score = 0;
    int32_t time = 0;
};

class GaugeModelTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.gaugeModel = &model;
    }

    ZQ::GaugeInstance* addGauge(ZQ::Action* action) {
        auto* gauge = new ZQ::GaugeInstance();
        gauge->setAction(action);
        model.addGauge(gauge);
        return gauge;
    }

    // Ticks until the action ends; the number of ticks.
    static int runOut(ZQ::Action& action) {
        int ticks = 0;
        while (!action.isFinished()) {
            action.tick();
            ++ticks;
        }
        return ticks;
    }

    ZQ::GaugeModel model;
};

TEST_F(GaugeModelTest, TheFillRunsToTheRatioOfThePointsNeverBelowTheFloor) {
    FixedPoints points;
    ZQ::GaugeInstance* gauge = addGauge(new ZQ::NopAction());
    const auto fillFor = [&](ZQ::Action* action) {
        gauge->fill = 0.5f;
        gauge->setAction(action);
        float previous = gauge->fill;
        bool monotone = true;
        int ticks = 0;
        while (gauge->getAction()->tick() == ZQ::Action::Running) {
            ++ticks;
            monotone = monotone && (gauge->fill - previous) * (gauge->fill - 0.5f) >= 0.0f;
            previous = gauge->fill;
        }
        EXPECT_TRUE(monotone);
        EXPECT_GE(ticks, 30);
        return gauge->fill;
    };
    EXPECT_EQ(fillFor(new ZQ::GaugePointsAction(30, ZQ::easeInOutQuint(), &points)), 0.002f) << "no points";
    points.score = 550;
    points.time = 1100;
    EXPECT_EQ(fillFor(new ZQ::GaugePointsAction(30, ZQ::easeInOutQuint(), &points)), 0.5f);
    EXPECT_EQ(fillFor(new ZQ::GaugePointsTimerAction(30, ZQ::easeInOutQuint(), &points)), 1.5f)
        << "more than the base points is not clamped";
    points.base = 0;
    EXPECT_EQ(fillFor(new ZQ::GaugePointsTimerAction(30, ZQ::easeInOutQuint(), &points)), 0.002f)
        << "no base points: the floor, not a division by zero";
}

TEST_F(GaugeModelTest, TheSpinWrapsItsAnglesAsTheGaugeDoes) {
    EXPECT_FLOAT_EQ(ZQ::GaugeRotateAction::wrap(-0.001f), 6.2821855f);
    EXPECT_FLOAT_EQ(ZQ::GaugeRotateAction::wrap(7.0f), 7.0f - 6.2831855f);
    ZQ::GaugeInstance* gauge = addGauge(nullptr);
    auto* spin = new ZQ::GaugeRotateAction(PVRTVec3(0.0f, 0.0f, -0.5f), 4);
    gauge->setAction(spin);
    const int ticks = runOut(*spin);
    EXPECT_EQ(ticks, 5) << "four steps of progress, then the run that finds it done";
    // The angles move on every run, the last included.
    EXPECT_FLOAT_EQ(gauge->layout.angles.z, ZQ::GaugeRotateAction::wrap(-2.5f));
}

TEST_F(GaugeModelTest, TheDepthTweenEndsExactlyOnItsTarget) {
    ZQ::GaugeInstance* gauge = addGauge(nullptr);
    auto* depth = new ZQ::GaugeDepthAction(ZQ::easeInOutQuint(), 1.0f, 10);
    gauge->setAction(depth);
    for (int i = 0; i < 30 && depth->tick() == ZQ::Action::Running; ++i) {
        EXPECT_GE(gauge->depth, 1.0f);
        EXPECT_LE(gauge->depth, 4.0f);
    }
    EXPECT_EQ(depth->getState(), ZQ::Action::Success);
    EXPECT_EQ(gauge->depth, 1.0f);
}

TEST_F(GaugeModelTest, TheLeaveAnimationTakesTheFirstGaugeAndTheModelLetsGoOfIt) {
    ZQ::GaugeModel::showAction(); // none listed: nothing
    EXPECT_TRUE(model.gauges.empty());

    ZQ::GaugeInstance* first = addGauge(new ZQ::NopAction());
    ZQ::GaugeInstance* second = addGauge(new ZQ::NopAction());
    first->state = 1;
    EXPECT_EQ(model.showing(), second);
    ZQ::GaugeModel::showAction();
    int frames = 0;
    while (std::find(model.gauges.begin(), model.gauges.end(), second) != model.gauges.end()) {
        if (frames == 60) {
            EXPECT_EQ(second->layout.alpha, 0.0f) << "faded by its 51st frame";
            EXPECT_EQ(second->depth, 0.01f);
        }
        model.doStep();
        ASSERT_LT(++frames, 400);
    }
    EXPECT_GE(frames, 156) << "the spin outlasts the fade";
    EXPECT_LE(frames, 158);
    ASSERT_EQ(model.gauges.size(), 1u);
    EXPECT_EQ(model.gauges.front(), first);

    // A gauge without an action goes at the next step.
    addGauge(nullptr);
    model.doStep();
    EXPECT_EQ(model.gauges.size(), 1u);
}

} // namespace
