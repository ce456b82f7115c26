#include "cords/HeadHelix.h"
#include "HeadFixture.h"
#include "engine/Random.h"

#include <cmath>

namespace {

using ZQ::Action;
using ZQ::HeadFrame;
using ZQ::HeadInstance;

constexpr float kTwoPi = 6.2831855f;

PVRTVec3 column(const HeadFrame& m, int c) {
    auto pick = [c](const PVRTVec3& row) { return c == 0 ? row.x : (c == 1 ? row.y : row.z); };
    return PVRTVec3(pick(m.rows[0]), pick(m.rows[1]), pick(m.rows[2]));
}

// M^T v: a world vector in the frame's local axes.
PVRTVec3 toLocal(const HeadFrame& m, const PVRTVec3& v) {
    return PVRTVec3(column(m, 0).dot(v), column(m, 1).dot(v), column(m, 2).dot(v));
}

class HeadHelixTest : public HeadFixture {
protected:
    // Head 0 at `a` facing +x (its neck 2 units behind); head 2 at `b`
    // facing +x as well.
    void placePair(const PVRTVec3& a, const PVRTVec3& b) {
        placeStrings({a, a - PVRTVec3(2, 0, 0), b, b - PVRTVec3(2, 0, 0)}, {{0, 1, 0}, {2, 3, 1}}, kTangled,
                     kTangled);
        heads.createHeads();
    }
};

TEST(HeadFrameTest, TheThirdColumnIsTheDirectionAndTheFrameIsARotation) {
    ZQ::seedRandom(5);
    std::vector<PVRTVec3> directions = {PVRTVec3(1, 0, 0), PVRTVec3(0, 0, 1), PVRTVec3(0, 0, -3),
                                        PVRTVec3(-2, 5, 0.5f)};
    for (int k = 0; k < 20; ++k) {
        auto c = [] { return static_cast<float>(ZQ::arc4random_uniform(2001)) * 0.01f - 10.0f; };
        directions.emplace_back(c(), c(), c());
    }
    for (const PVRTVec3& d : directions) {
        if (d.length() == 0.0f) {
            continue;
        }
        const HeadFrame m = ZQ::frameFromDirection(d);
        expectNear(column(m, 2), d / d.length(), 1e-5f);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                EXPECT_NEAR(m.rows[i].dot(m.rows[j]), i == j ? 1.0f : 0.0f, 1e-5f);
            }
        }
    }
    // No direction at all: the identity, never not-a-number.
    const HeadFrame zero = ZQ::frameFromDirection(PVRTVec3());
    expectNear(zero * PVRTVec3(1, 2, 3), PVRTVec3(1, 2, 3), 0.0f);
}

TEST_F(HeadHelixTest, HelixAndAmbushWithinFourUnitsEndInTheirFirstRunWithoutPushing) {
    placePair(PVRTVec3(0, 0, 0), PVRTVec3(3, 1, 0));
    head(0).destination.position = PVRTVec3(0, 3.9f, 0);
    auto* helix = bind(head(0), new ZQ::HeadHelixAction());
    EXPECT_EQ(helix->tick(), Action::Success);

    auto* ambush = bind(head(0), new ZQ::HeadAmbushAction());
    EXPECT_EQ(ambush->tick(), Action::Failure); // no target yet
    head(0).target = &head(2);
    ambush->reset();
    EXPECT_EQ(ambush->tick(), Action::Success);
    EXPECT_EQ(world->getTmpForceCount(), 0);
}

TEST_F(HeadHelixTest, AFarHelixAdvancesTowardItsGoalUntilThePhaseEnds) {
    placePair(PVRTVec3(0, 0, 0), PVRTVec3(0, 30, 0));
    const PVRTVec3 goal(0, 0, 30);
    head(0).destination.position = goal;
    auto* helix = bind(head(0), new ZQ::HeadHelixAction());
    EXPECT_EQ(ticksToFinish(helix, 500), 180); // 179 pushes, the phase reaches 1 on run 180
    const auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 179u);
    // Each push is 30 times the step between helix points p0 and p1 in the
    // frame along the line to the goal: radius 8 - 6p, advance 2 per radian.
    float p0 = 0.0f;
    for (const auto& push : queued) {
        const float p1 = p0 + 0.0055555557f;
        const float a0 = kTwoPi * p0;
        const float a1 = kTwoPi * p1;
        const PVRTVec3 step((8 - 6 * p1) * std::cos(a1) - (8 - 6 * p0) * std::cos(a0),
                            (8 - 6 * p1) * std::sin(a1) - (8 - 6 * p0) * std::sin(a0), 2 * (a1 - a0));
        EXPECT_NEAR(push.second.length(), 30.0f * step.length(), 1e-2f);
        EXPECT_NEAR(push.second.z, 30.0f * step.z, 1e-2f); // the advance is along the line, +z
        p0 = p1;
    }

    head(0).target = &head(2);
    auto* ambush = bind(head(0), new ZQ::HeadAmbushAction());
    EXPECT_EQ(ticksToFinish(ambush, 500), 90);
    EXPECT_EQ(queuedForces().size() - queued.size(), 89u);
}

TEST_F(HeadHelixTest, AttackGainsDependOnDistanceAndNoPushExceeds200) {
    // Far: the head stands 30 units from the origin, so the first push (from
    // its own position to the unit helix) is clamped hardest.
    placePair(PVRTVec3(30, 0, 0), PVRTVec3(30, 10, 0));
    head(0).target = &head(2);
    auto* attack = bind(head(0), new ZQ::HeadAttackAction());
    EXPECT_EQ(ticksToFinish(attack, 500), 61);
    auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 60u);
    // One helix step: (cos a1 - cos a0, sin a1 - sin a0, 2 (a1 - a0)).
    const float a1 = kTwoPi * 0.016666668f;
    const float a2 = kTwoPi * (0.016666668f + 0.016666668f);
    const float stepLength =
        PVRTVec3(std::cos(a2) - std::cos(a1), std::sin(a2) - std::sin(a1), 2 * (a2 - a1)).length();
    EXPECT_NEAR(queued[0].second.length(), 200.0f, 1e-3f);
    EXPECT_NEAR(queued[1].second.length(), std::min(900.0f * stepLength, 200.0f), 1e-3f);
    for (const auto& push : queued) {
        EXPECT_LE(push.second.length(), 200.0f + 1e-3f);
    }

    // Near: within 4 units the gain is 30.
    heads.clearHeads();
    placePair(PVRTVec3(0, 0, 0), PVRTVec3(0, 3, 0));
    head(0).target = &head(2);
    attack = bind(head(0), new ZQ::HeadAttackAction());
    attack->tick();
    attack->tick();
    queued = queuedForces();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_NEAR(queued[1].second.length(), 30.0f * stepLength, 1e-3f);
}

TEST_F(HeadHelixTest, WrapsTurnOppositeWaysOnEvenAndOddStrings) {
    placePair(PVRTVec3(0, 0, 0), PVRTVec3(5, 5, 5));
    // A twin of head 0 on the same particles but counted on string 1.
    HeadInstance odd(1, head(0).headParticle, head(0).neckParticle, 0);
    head(0).target = &head(2);
    odd.target = &head(2);
    auto* even = bind(head(0), new ZQ::HeadWrapAction());
    auto* oddWrap = bind(odd, new ZQ::HeadWrapAction());
    EXPECT_EQ(even->tick(), Action::Running);
    EXPECT_EQ(oddWrap->tick(), Action::Running);
    const auto queued = queuedForces();
    ASSERT_EQ(queued.size(), 2u);

    const HeadFrame m = ZQ::frameFromDirection(head(2).getHeadDirection());
    const PVRTVec3 offset = head(2).getPosition() - head(0).getPosition();
    const PVRTVec3 evenLocal = toLocal(m, queued[0].second / 4.0f - offset);
    const PVRTVec3 oddLocal = toLocal(m, queued[1].second / 4.0f - offset);
    const float phase = 0.011111111f;
    const float a = kTwoPi * phase;
    const float r = 8.0f - 6.0f * phase;
    expectNear(evenLocal, PVRTVec3(-r * std::sin(a), -r * std::cos(a), -2.0f * phase));
    expectNear(oddLocal, PVRTVec3(r * std::sin(a), r * std::cos(a), -2.0f * phase));

    EXPECT_EQ(ticksToFinish(even, 500), 89); // 89 pushes in all, the 90th run succeeds
    EXPECT_EQ(even->getState(), Action::Success);
    odd.setAction(nullptr);
}

TEST_F(HeadHelixTest, AGripAtAStringsEndTakesTheCordTowardThePreviousParticle) {
    // String 1 ends at particle 4, 1.7 units from head 0; the next particle
    // (string 2's first) lies elsewhere and must not count.
    placeStrings({PVRTVec3(0, 0, 0), PVRTVec3(-2, 0, 0), PVRTVec3(0, -6, 0), PVRTVec3(1, 1, 3),
                  PVRTVec3(1, 1, 1), PVRTVec3(5, 5, 5), PVRTVec3(7, 5, 5)},
                 {{0, 1, 0}, {2, 4, 1}, {5, 6, 2}}, kTangled, kTangled);
    heads.createHeads();
    HeadInstance& h = head(0);
    auto* grip = bind(h, new ZQ::HeadGripAction());
    EXPECT_EQ(grip->tick(), Action::Failure); // nothing chosen

    h.chosenParticle = 4;
    grip->reset();
    EXPECT_EQ(grip->tick(), Action::Running);
    // t = (0, 0, 1) toward particle 3; b = f x t = (1, 0, 0) x (0, 0, 1) =
    // (0, -1, 0). The particle is closer than 4: the radius starts at 4.
    const float phase = 0.011111111f;
    const float a = kTwoPi * phase;
    const float r = 4.0f + (2.0f - 4.0f) * phase;
    const HeadFrame m = ZQ::frameFromDirection(PVRTVec3(0, -1, 0));
    const PVRTVec3 goal = PVRTVec3(1, 1, 1) + m * PVRTVec3(std::sin(a), r * std::cos(a), -2.0f * phase);
    expectNear(queuedForces().back().second, (goal - h.getPosition()) * 4.0f);
    EXPECT_EQ(ticksToFinish(grip, 500), 89);
    EXPECT_EQ(queuedForces().size(), 89u);
}

} // namespace
