#include "HeadFixture.h"
#include "cords/HeadConditions.h"
#include "cords/HeadMoves.h"
#include "engine/Random.h"

#include <cmath>

namespace {

using ZQ::Action;

// One action bound to one head, ticked once a frame without physics: the
// heads stay put and every push stays queued.
class HeadActionsTest : public HeadFixture {
protected:
    void SetUp() override {
        HeadFixture::SetUp();
        ZQ::seedRandom(99);
    }
};

TEST_F(HeadActionsTest, ConditionsReadTheHeadsFlagsAndTarget) {
    placeHeadedLines(2);
    auto* fear = bind(head(0), new ZQ::HeadCheckFear());
    EXPECT_EQ(fear->tick(), Action::Success);
    head(0).fear = true;
    fear->reset();
    EXPECT_EQ(fear->tick(), Action::Running);

    auto* has = bind(head(0), new ZQ::HeadHasTarget());
    EXPECT_EQ(has->tick(), Action::Failure);
    head(0).target = &head(2);
    has->reset();
    EXPECT_EQ(has->tick(), Action::Success);
    head(2).calm = true;
    has->reset();
    EXPECT_EQ(has->tick(), Action::Failure);

    auto* enemy = bind(head(0), new ZQ::HeadCheckEnemy());
    EXPECT_EQ(enemy->tick(), Action::Failure); // string 1 is not its own
    head(0).target = &head(1);
    enemy->reset();
    EXPECT_EQ(enemy->tick(), Action::Success);
}

TEST_F(HeadActionsTest, TheStuckCheckFailsOnTheFourthSlowRunEvenWithFastRunsBetween) {
    placeHeadedLines(1);
    auto* check = bind(head(0), new ZQ::HeadStuckCheck());
    // Run 1 never counts: the start position is far away.
    EXPECT_EQ(check->tick(), Action::Running);
    auto fastRun = [&] {
        world->addTmpForce(new ZQ::Fx::ConstantForce(0, PVRTVec3(0.0f, 900.0f, 0.0f)));
        world->step(true);
        return check->tick();
    };
    EXPECT_EQ(check->tick(), Action::Running); // slow 1
    EXPECT_EQ(fastRun(), Action::Running);
    EXPECT_EQ(check->tick(), Action::Running); // slow 2
    EXPECT_EQ(fastRun(), Action::Running);
    EXPECT_EQ(check->tick(), Action::Running); // slow 3
    EXPECT_EQ(fastRun(), Action::Running);
    EXPECT_EQ(check->tick(), Action::Failure); // slow 4
}

TEST_F(HeadActionsTest, ChooseTargetTakesTheLowestSeenHeadButNeverItselfAndFailsOnSuccess) {
    placeHeadedLines(2);
    heads.sight.clear(4);
    auto* choose = bind(head(1), new ZQ::HeadChooseTarget());
    head(1).target = &head(3);
    EXPECT_EQ(choose->tick(), Action::Running); // nobody seen: the target is cleared
    EXPECT_EQ(head(1).target, nullptr);

    heads.sight.setPair(1, 1, true);
    heads.sight.setPair(1, 3, true);
    heads.sight.setPair(1, 2, true);
    choose->reset();
    EXPECT_EQ(choose->tick(), Action::Failure);
    EXPECT_EQ(head(1).target, &head(2));
}

TEST_F(HeadActionsTest, ChooseDestinationSucceedsAtStartOnTheBoxDiagonal) {
    placeHeadedLines(2);
    auto* choose = bind(head(0), new ZQ::HeadChooseDestination());
    for (int k = 0; k < 5; ++k) {
        choose->reset();
        EXPECT_EQ(choose->tick(), Action::Success);
        const PVRTVec3 d = head(0).destination.position / ZQ::gGlobals.worldScale;
        const PVRTVec3 lo = cord->boxMin();
        const PVRTVec3 hi = cord->boxMax();
        const float rx = (d.x - lo.x) / (hi.x - lo.x);
        const float ry = (d.y - lo.y) / (hi.y - lo.y);
        EXPECT_GE(rx, 0.0f);
        EXPECT_LE(rx, 1.0f);
        EXPECT_NEAR(rx, ry, 1e-4f);
        EXPECT_NEAR(d.z, lo.z, 1e-4f); // a flat cord: no depth to spread over
    }
}

TEST_F(HeadActionsTest, ChooseParticleOnOneStringTakesTheFarthestWithinReach) {
    placeHeadedLines(1); // 2 units = 64 pixels apart; reach 160 pixels
    auto* choose = bind(head(1), new ZQ::HeadChooseParticle());
    head(1).target = &head(0);
    EXPECT_EQ(choose->tick(), Action::Success);
    EXPECT_EQ(head(1).chosenParticle, 17); // 19 - 2: 128 pixels away
    EXPECT_EQ(head(1).target, nullptr);
}

TEST_F(HeadActionsTest, ChooseParticleAmongStringsTakesTheNearestOfAnotherAndWaitsForReach) {
    // String 1 lies 10 units (320 pixels) up: nothing within reach.
    placeHeadedLines(2);
    auto* choose = bind(head(0), new ZQ::HeadChooseParticle());
    head(0).chosenParticle = 7;
    EXPECT_EQ(choose->tick(), Action::Running);
    EXPECT_EQ(choose->tick(), Action::Running);
    EXPECT_EQ(head(0).chosenParticle, 7);

    // Bring string 1 within 4 units, its particle 25 nearest to head 0.
    heads.clearHeads();
    std::vector<PVRTVec3> points;
    std::vector<ZQ::CordModel::Segment> segments;
    appendLine(points, segments, 20, PVRTVec3());
    appendLine(points, segments, 20, PVRTVec3(-10.0f, 4.0f, 0.0f));
    placeStrings(points, segments, kTangled, kTangled);
    heads.createHeads();
    choose = bind(head(0), new ZQ::HeadChooseParticle());
    EXPECT_EQ(choose->tick(), Action::Success);
    EXPECT_EQ(head(0).chosenParticle, 25); // at (0, 4, 0)
}

TEST_F(HeadActionsTest, TheGrabbedActionKicksWithStrengthTenUntilReleased) {
    placeHeadedLines(1);
    head(0).grabbed = true;
    auto* grabbed = bind(head(0), new ZQ::HeadGrabbedAction());
    for (int t = 0; t < 20; ++t) {
        EXPECT_EQ(grabbed->tick(), Action::Running);
    }
    const auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 20u);
    for (const auto& push : queued) {
        EXPECT_EQ(push.first, 0);
        EXPECT_NEAR(push.second.length(), 10.0f, 1e-4f);
    }
    EXPECT_FALSE(queued[0].second == queued[1].second);
    head(0).grabbed = false;
    EXPECT_EQ(grabbed->tick(), Action::Success);
    EXPECT_EQ(queuedForces().size(), 20u);
}

TEST_F(HeadActionsTest, TheIdleSwayPushes121TimesAndSucceedsOnThe122ndRun) {
    placeHeadedLines(1);
    auto* idle = bind(head(0), new ZQ::HeadIdleAction());
    EXPECT_EQ(ticksToFinish(idle, 500), 122);
    const auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 121u);
    // Along the head direction (-1, 0, 0), 2 sin(2 pi phase), phase k / 120.
    float phase = 0.0f;
    for (const auto& push : queued) {
        phase += 0.008333334f;
        expectNear(push.second, PVRTVec3(-2.0f * std::sin(6.2831855f * phase), 0.0f, 0.0f), 1e-5f);
    }
}

TEST_F(HeadActionsTest, ScansHoldTheHeadBesideWhereItsNeckStarted) {
    placeHeadedLines(1);
    auto* first = bind(head(0), new ZQ::HeadScanAction(-1.5707964f, 60));
    EXPECT_EQ(ticksToFinish(first, 500), 62);
    ASSERT_EQ(queuedForces().size(), 61u);
    // N - P + 2 (cos theta, sin theta, 0), theta = angle / frames; N = (2, 0, 0).
    const float theta = -1.5707964f / 60.0f;
    expectNear(queuedForces()[0].second,
               PVRTVec3(2.0f + 2.0f * std::cos(theta), 2.0f * std::sin(theta), 0.0f));

    auto* second = bind(head(0), new ZQ::HeadScanAction(3.1415927f, 120));
    const size_t before = queuedForces().size();
    EXPECT_EQ(ticksToFinish(second, 500), 122);
    EXPECT_EQ(queuedForces().size() - before, 121u);
}

TEST_F(HeadActionsTest, PointingFromNineUnitsPushesOnlyToTurn) {
    // A neck exactly 9 units from the target: no pull along the line.
    std::vector<PVRTVec3> points = {PVRTVec3(0, 1, 0), PVRTVec3(0, 0, 0), PVRTVec3(9, 0, 0),
                                    PVRTVec3(11, 0, 0)};
    placeStrings(points, {{0, 1, 0}, {2, 3, 1}}, kTangled, kTangled);
    heads.createHeads();
    auto* point = bind(head(0), new ZQ::HeadPointAction());
    head(0).target = &head(2);
    point->tick();
    // -f + u: f = (0, 1, 0), u = capAtUnit((9, -1, 0)).
    const PVRTVec3 u = PVRTVec3(9, -1, 0) / std::sqrt(82.0f);
    const PVRTVec3 w = PVRTVec3(0, -1, 0) + u;
    const float l = w.length();
    expectNear(queuedForces().back().second, (l > 1.0f ? w / l : w) * std::min(l, 10.0f));

    // 19 units away: the pull toward 9 is capped with the facing terms at 10.
    heads.clearHeads();
    points[2] = PVRTVec3(19, 0, 0);
    points[3] = PVRTVec3(21, 0, 0);
    placeStrings(points, {{0, 1, 0}, {2, 3, 1}}, kTangled, kTangled);
    heads.createHeads();
    point = bind(head(0), new ZQ::HeadPointAction());
    head(0).target = &head(2);
    point->tick();
    EXPECT_NEAR(queuedForces().back().second.length(), 10.0f, 1e-4f);
    EXPECT_GT(queuedForces().back().second.x, 9.0f);
}

TEST_F(HeadActionsTest, ReachingStopsWithinThreeOfTheTargetsNeck) {
    std::vector<PVRTVec3> points = {PVRTVec3(0, 0, 0), PVRTVec3(-2, 0, 0), PVRTVec3(2.5f, 0, 0),
                                    PVRTVec3(2.5f, 2, 0)};
    placeStrings(points, {{0, 1, 0}, {2, 3, 1}}, kTangled, kTangled);
    heads.createHeads();
    auto* reach = bind(head(0), new ZQ::HeadReachAction());
    EXPECT_EQ(reach->tick(), Action::Failure); // no target
    head(0).target = &head(3);                 // its neck is particle 2, 2.5 units away
    reach->reset();
    EXPECT_EQ(reach->tick(), Action::Success);
    EXPECT_EQ(world->getTmpForceCount(), 0);

    // From string 1's other head: head 1's neck (the origin) is 3.2 units off.
    auto* far = bind(head(3), new ZQ::HeadReachAction());
    head(3).target = &head(1);
    EXPECT_EQ(far->tick(), Action::Running);
    // v = target neck (0, 0, 0) - own neck (2.5, 0, 0); |v| 2.5 < d: pushed by
    // the unit vector times 2.5.
    expectNear(queuedForces().back().second, PVRTVec3(-2.5f, 0.0f, 0.0f));
}

} // namespace
