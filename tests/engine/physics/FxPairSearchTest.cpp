#include "support/SeededRandom.h"

#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace ZQ::Fx;

float uniform(float lo, float hi) {
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
            p.emplace_back(wild[ZQ::arc4random_uniform(6)], uniform(-half, half), 0.0f);
        } else {
            p.emplace_back(uniform(-half, half), uniform(-half, half), uniform(-half, half));
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

// Two copies of one world, one per pair test, must stay bit for bit equal:
// same forces in the same order give the same float sums.
TEST_F(PairSearchTest, GridAndPlainWorldsStayBitIdenticalFrameAfterFrame) {
    std::vector<int32_t> partners(PARTICLE_ARRAY_SIZE);
    int64_t contacts = 0;
    for (int trial = 0; trial < 24; ++trial) {
        const WorldConfig config = trial % 3 == 0 ? MAIN_WORLD : (trial % 3 == 1 ? FLOW_WORLD : BRAID_WORLD);
        ParticleSystem plain(config);
        ParticleSystem fast(config);
        plain.setPairSearch(PairSearch::Plain);
        fast.setPairSearch(PairSearch::Grid);
        plain.setUp();
        fast.setUp();

        const int32_t count = 2 + int32_t(ZQ::arc4random_uniform(PARTICLE_ARRAY_SIZE - 1));
        const std::vector<PVRTVec3> start = randomConfiguration(count, 1);
        const bool bounded = ZQ::arc4random_uniform(2) == 0;
        const auto box = BoundConstraint::boxCorners(PVRTVec3(-15, -12, -9), PVRTVec3(15, 12, 9));
        for (ParticleSystem* world : {&plain, &fast}) {
            for (int32_t n = 0; n < count; ++n) {
                world->addParticle(start[n]);
                if (n > 0 && n % 50 != 0) {
                    world->addConstaint(new LinkConstraint(n - 1, n, 2.0f));
                }
                if (bounded) {
                    world->addConstaint(new BoundConstraint(n, box));
                }
            }
        }
        for (int frame = 0; frame < 20; ++frame) {
            for (int push = 0; push < 4; ++push) {
                const int32_t i = int32_t(ZQ::arc4random_uniform(uint32_t(count)));
                const PVRTVec3 f(uniform(-200, 200), uniform(-200, 200), uniform(-200, 200));
                plain.addTmpForce(new ConstantForce(i, f));
                fast.addTmpForce(new ConstantForce(i, f));
            }
            for (int32_t i = 0; i < count - 1; ++i) {
                contacts += findClosePartnersPlain(plain.getPositions(), count, i, partners.data());
            }
            plain.doStep();
            fast.doStep();
            ASSERT_EQ(
                std::memcmp(plain.getPositions(), fast.getPositions(), sizeof(PVRTVec3) * size_t(count)), 0)
                << "trial " << trial << " frame " << frame;
        }
        plain.tearDown();
        fast.tearDown();
    }
    EXPECT_GT(contacts, 1000);
}

} // namespace
