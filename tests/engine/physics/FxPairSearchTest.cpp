#include "support/SeededRandom.h"
#include "support/VectorChecks.h"

#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace ZQ::Fx;

float uniformIn(float lo, float hi) {
    return lo + (hi - lo) * float(ZQ::arc4random_uniform(1u << 24)) / float(1u << 24);
}

// Mostly random points in a box of random size, salted with what breaks a
// careless grid: exact duplicates, points on and a hair off cell borders,
// pairs exactly 2.0 apart, far-away and non-finite coordinates.
// The smallest box is crowded enough to overflow the temporary forces of a
// world stepping it, so worlds start at the second size.
std::vector<PVRTVec3> randomConfiguration(int32_t count, uint32_t firstSize = 0) {
    const float sizes[] = {3.0f, 12.0f, 24.0f, 60.0f};
    const float half = sizes[firstSize + ZQ::arc4random_uniform(4 - firstSize)] * 0.5f;
    std::vector<PVRTVec3> p;
    for (int32_t n = 0; n < count; ++n) {
        const uint32_t kind = ZQ::arc4random_uniform(20);
        if (kind == 0 && !p.empty()) {
            p.push_back(p[ZQ::arc4random_uniform(uint32_t(p.size()))]);
        } else if (kind == 1) {
            const float border = 2.0f * float(int(ZQ::arc4random_uniform(9)) - 4);
            p.emplace_back(std::nextafter(border, -10.0f), border, std::nextafter(border, 10.0f));
        } else if (kind == 2 && !p.empty()) {
            const PVRTVec3 base = p[ZQ::arc4random_uniform(uint32_t(p.size()))];
            p.emplace_back(base.x + 2.0f, base.y, base.z);
        } else if (kind == 3) {
            const float wild[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  3.0e38f,
                                  -1.0e30f,
                                  1.0e-40f};
            p.emplace_back(wild[ZQ::arc4random_uniform(6)], uniformIn(-half, half), 0.0f);
        } else {
            p.emplace_back(uniformIn(-half, half), uniformIn(-half, half), uniformIn(-half, half));
        }
    }
    return p;
}

class PairSearchTest : public SeededRandomTest {};

TEST_F(PairSearchTest, GridFindsThePlainPartnersInThePlainOrder) {
    PairGrid grid(PARTICLE_ARRAY_SIZE);
    std::vector<int32_t> plain(PARTICLE_ARRAY_SIZE);
    int64_t pairs = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int32_t count = 2 + int32_t(ZQ::arc4random_uniform(PARTICLE_ARRAY_SIZE - 1));
        const std::vector<PVRTVec3> p = randomConfiguration(count);
        grid.build(p.data(), count);
        for (int32_t i = 0; i < count - 1; ++i) {
            const int32_t n = findClosePartnersPlain(p.data(), count, i, plain.data());
            const std::span<const int32_t> fast = grid.partnersOf(i);
            ASSERT_EQ(std::vector<int32_t>(fast.begin(), fast.end()),
                      std::vector<int32_t>(plain.begin(), plain.begin() + n))
                << "trial " << trial << " i " << i;
            pairs += n;
        }
    }
    EXPECT_GT(pairs, 10000); // the configurations really are crowded
}

TEST_F(PairSearchTest, PlainPartnersAreTheCloseOnesTwoOrMoreAhead) {
    const PVRTVec3 p[5] = {{0, 0, 0}, {0.5f, 0, 0}, {1.999f, 0, 0}, {2.0f, 0, 0}, {0, 0, -1.0f}};
    int32_t found[5];
    ASSERT_EQ(findClosePartnersPlain(p, 5, 0, found), 2);
    EXPECT_EQ(found[0], 2);
    EXPECT_EQ(found[1], 4);
    ASSERT_EQ(findClosePartnersPlain(p, 5, 1, found), 2);
    EXPECT_EQ(found[0], 3);
    EXPECT_EQ(found[1], 4);
}

// Two copies of one world must stay bit for bit equal: the reference runs
// the plain pair loop and the constraint passes in table order, the other
// the grid and the planned passes. Same forces and corrections in the same
// order give the same float sums. Constraints added while the worlds run
// make the plan start over.
TEST_F(PairSearchTest, FastAndReferenceWorldsStayBitIdenticalFrameAfterFrame) {
    std::vector<int32_t> partners(PARTICLE_ARRAY_SIZE);
    int64_t contacts = 0;
    for (int trial = 0; trial < 24; ++trial) {
        const WorldConfig config = trial % 3 == 0 ? kMainWorld : (trial % 3 == 1 ? kFlowWorld : kBraidWorld);
        ParticleSystem reference(config);
        ParticleSystem fast(config);
        reference.setPairSearch(PairSearch::Plain);
        reference.setPassOrder(PassOrder::Table);
        reference.setUp();
        fast.setUp();

        const int32_t count = 2 + int32_t(ZQ::arc4random_uniform(PARTICLE_ARRAY_SIZE - 1));
        const std::vector<PVRTVec3> start = randomConfiguration(count, 1);
        const bool bounded = ZQ::arc4random_uniform(2) == 0;
        const auto box = BoundConstraint::boxCorners(PVRTVec3(-15, -12, -9), PVRTVec3(15, 12, 9));
        for (ParticleSystem* world : {&reference, &fast}) {
            for (int32_t n = 0; n < count; ++n) {
                world->addParticle(start[n]);
                if (n > 0 && n % 50 != 0) {
                    world->addConstaint(new LinkConstraint(n - 1, n, 2.0f));
                }
                if (n > 1 && n % 3 == 0) {
                    world->addConstaint(new DistanceConstraint(n - 2, n, 3.0f));
                }
                if (bounded) {
                    world->addConstaint(new BoundConstraint(n, box));
                }
            }
        }
        for (int frame = 0; frame < 20; ++frame) {
            for (int push = 0; push < 4; ++push) {
                const int32_t i = int32_t(ZQ::arc4random_uniform(uint32_t(count)));
                const PVRTVec3 f(uniformIn(-200, 200), uniformIn(-200, 200), uniformIn(-200, 200));
                reference.addTmpForce(new ConstantForce(i, f));
                fast.addTmpForce(new ConstantForce(i, f));
            }
            const int32_t held = int32_t(ZQ::arc4random_uniform(uint32_t(count)));
            // Along its own string: a link across strings would spread the
            // NaN of a wild start, and the boxes pile NaN particles into a
            // corner where their contacts overflow the force table.
            const int32_t tied = std::min(held + 2, count - 1);
            const PVRTVec3 hold(uniformIn(-5, 5), uniformIn(-5, 5), uniformIn(-5, 5));
            for (ParticleSystem* world : {&reference, &fast}) {
                world->addTmpConstaint(new FixConstraint(held, hold));
                if (frame % 5 == 2) {
                    world->addConstaint(new LinkConstraint(held, tied, 4.0f));
                }
            }
            for (int32_t i = 0; i < count - 1; ++i) {
                contacts += findClosePartnersPlain(reference.getPositions(), count, i, partners.data());
            }
            reference.doStep();
            fast.doStep();
            ASSERT_TRUE(sameFloats(fast.getPositions(), reference.getPositions(), size_t(count)))
                << "trial " << trial << " frame " << frame;
        }
        reference.tearDown();
        fast.tearDown();
    }
    EXPECT_GT(contacts, 1000);
}

// The grid compares squared distances with 4 where the plain loop compares
// distances with 2. The two agree on every float, which pairs whose squared
// distance walks across 4 in steps of one unit in the last place check.
TEST_F(PairSearchTest, GridAgreesWithThePlainTestAtTheVeryEdgeOfTouching) {
    for (float s = 3.99f; s <= 4.01f; s = std::nextafter(s, 5.0f)) {
        ASSERT_EQ(std::sqrt(s) < 2.0f, s < 4.0f) << s;
    }

    // Triples: a particle, a far one to keep the indices two apart, and a
    // partner just inside or just outside 2.
    std::vector<PVRTVec3> p;
    int32_t touchingPairs = 0;
    for (int32_t k = -24; k <= 24; ++k) {
        for (const float y : {0.0f, 1.0e-4f, 3.0e-4f, 1.0e-3f}) {
            const float x = 2.0f + float(k) * 2.4e-7f;
            const PVRTVec3 base(0.0f, 10.0f * float(p.size()), 0.0f);
            const PVRTVec3 partner = base + PVRTVec3(x, y, 0.0f);
            touchingPairs += (partner - base).length() < 2.0f ? 1 : 0;
            p.push_back(base);
            p.emplace_back(1000.0f, 10.0f * float(p.size()), 0.0f);
            p.push_back(partner);
        }
    }
    ASSERT_GT(touchingPairs, 10);
    ASSERT_LT(touchingPairs, int32_t(p.size() / 3) - 10);

    PairGrid grid(int32_t(p.size()));
    grid.build(p.data(), int32_t(p.size()));
    std::vector<int32_t> plain(p.size());
    for (int32_t i = 0; i + 1 < int32_t(p.size()); ++i) {
        const int32_t n = findClosePartnersPlain(p.data(), int32_t(p.size()), i, plain.data());
        const std::span<const int32_t> fast = grid.partnersOf(i);
        ASSERT_EQ(std::vector<int32_t>(fast.begin(), fast.end()),
                  std::vector<int32_t>(plain.begin(), plain.begin() + n))
            << "i " << i;
    }
}

} // namespace
