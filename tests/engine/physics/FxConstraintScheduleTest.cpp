#include "support/SeededRandom.h"
#include "support/VectorChecks.h"

#include "engine/physics/FxConstraintSchedule.h"
#include "scalar/ScheduleWithoutSimd.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

using namespace ZQ::Fx;

constexpr int32_t CAPACITY = 256;

float uniform(float lo, float hi) {
    return lo + (hi - lo) * float(ZQ::arc4random_uniform(1u << 24)) / float(1u << 24);
}

int32_t anyOf(int32_t count) {
    return int32_t(ZQ::arc4random_uniform(uint32_t(count)));
}

// A constraint of a kind the schedule does not know, whose result depends on
// every particle and on the order it runs in: any constraint moved across it
// changes the floats.
class Swirl final : public Constraint {
public:
    void satisfy(PVRTVec3* positions, int count) override {
        for (int m = 0; m < count; ++m) {
            positions[m].x = positions[m].x * 0.75f + positions[(m + 1) % count].y * 0.25f;
        }
    }
};

// A constraint table and what the passes run on, made to reach every path:
// all kinds in random order, runs of every length, coincident particles,
// a link of a particle with itself, narrow and inverted boxes, and the odd
// coordinate that is not finite.
struct Table {
    std::vector<std::unique_ptr<Constraint>> owned;
    std::vector<Constraint*> constraints;
    std::vector<ConstraintKind> kinds;

    void add(Constraint* constraint) {
        owned.emplace_back(constraint);
        constraints.push_back(constraint);
        kinds.push_back(constraintKindOf(constraint));
    }
    int32_t size() const { return int32_t(constraints.size()); }
};

std::vector<PVRTVec3> randomPositions(int32_t count) {
    std::vector<PVRTVec3> p;
    for (int32_t n = 0; n < count; ++n) {
        const uint32_t kind = ZQ::arc4random_uniform(40);
        if (kind == 0 && n > 0) {
            p.push_back(p[size_t(anyOf(n))]);
        } else if (kind == 1) {
            const float wild[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(), -3.0e38f};
            p.emplace_back(wild[ZQ::arc4random_uniform(3)], uniform(-5, 5), uniform(-5, 5));
        } else {
            p.emplace_back(uniform(-12, 12), uniform(-12, 12), uniform(-12, 12));
        }
    }
    return p;
}

Table randomTable(int32_t particles, int32_t count, bool barriers) {
    Table table;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t i = anyOf(particles);
        const int32_t j = ZQ::arc4random_uniform(30) == 0 ? i : anyOf(particles);
        switch (ZQ::arc4random_uniform(barriers ? 9 : 8)) {
        case 0:
        case 1:
        case 2:
            table.add(new LinkConstraint(i, j, uniform(0.5f, 3.0f)));
            break;
        case 3:
        case 4:
            table.add(new DistanceConstraint(i, j, uniform(0.5f, 6.0f)));
            break;
        case 5:
        case 6: {
            const PVRTVec3 lo(uniform(-12, 0), uniform(-12, 0), uniform(-12, 0));
            const PVRTVec3 size(uniform(0, 20), uniform(0, 20), uniform(0, 20));
            table.add(new BoundConstraint(i, BoundConstraint::boxCorners(lo, lo + size)));
            break;
        }
        case 7:
            table.add(new FixConstraint(i, PVRTVec3(uniform(-5, 5), uniform(-5, 5), uniform(-5, 5))));
            break;
        default:
            table.add(new Swirl());
            break;
        }
    }
    return table;
}

class ConstraintScheduleTest : public SeededRandomTest {};

TEST_F(ConstraintScheduleTest, PlannedPassesGiveTheFloatsOfTablePasses) {
    ConstraintSchedule schedule(CAPACITY);
    for (int trial = 0; trial < 400; ++trial) {
        const int32_t particles = 1 + anyOf(CAPACITY);
        const int32_t passes = 1 + anyOf(4);
        const Table table = randomTable(particles, anyOf(3 * particles + 2), trial % 4 == 3);
        const std::vector<PVRTVec3> start = randomPositions(particles);

        std::vector<PVRTVec3> inOrder = start;
        for (int pass = 0; pass < passes; ++pass) {
            satisfyInOrder(table.constraints.data(), table.kinds.data(), table.size(), inOrder.data(),
                           particles);
        }
        schedule.plan(table.constraints.data(), table.kinds.data(), table.size(), passes);
        std::vector<PVRTVec3> planned = start;
        schedule.run(planned.data(), particles);

        ASSERT_TRUE(sameFloats(planned.data(), inOrder.data(), start.size()))
            << "trial " << trial << ": " << table.size() << " constraints over " << particles
            << " particles, " << passes << " passes";
    }
}

// The plain kernels of a processor without SSE2 against the vector lanes
// this one runs: the same plans, so the same floats.
TEST_F(ConstraintScheduleTest, KernelsWithoutSimdGiveTheFloatsOfTheSimdKernels) {
    ConstraintSchedule schedule(CAPACITY);
    for (int trial = 0; trial < 400; ++trial) {
        const int32_t particles = 1 + anyOf(CAPACITY);
        const int32_t passes = 1 + anyOf(4);
        const Table table = randomTable(particles, anyOf(3 * particles + 2), trial % 4 == 3);
        const std::vector<PVRTVec3> start = randomPositions(particles);

        schedule.plan(table.constraints.data(), table.kinds.data(), table.size(), passes);
        std::vector<PVRTVec3> simd = start;
        schedule.run(simd.data(), particles);
        std::vector<PVRTVec3> plain = start;
        runScheduleWithoutSimd(table.constraints.data(), table.size(), passes, plain.data(), particles);

        ASSERT_TRUE(sameFloats(plain.data(), simd.data(), start.size()))
            << "trial " << trial << ": " << table.size() << " constraints over " << particles
            << " particles, " << passes << " passes";
    }
}

// The point of the plan: on four separate strings, the four passes run side
// by side, each a few corrections behind the one before, instead of one
// after another.
TEST_F(ConstraintScheduleTest, PassesAndStringsOverlap) {
    Table table;
    constexpr int32_t STRINGS = 4;
    constexpr int32_t LENGTH = 30;
    for (int32_t s = 0; s < STRINGS; ++s) {
        for (int32_t k = 1; k < LENGTH; ++k) {
            table.add(new LinkConstraint(s * LENGTH + k - 1, s * LENGTH + k, 2.0f));
        }
    }
    ConstraintSchedule schedule(CAPACITY);
    schedule.plan(table.constraints.data(), table.kinds.data(), table.size(), 4);
    // One string alone, one pass: LENGTH - 1 links in a chain.
    EXPECT_LT(schedule.waveCount(), (LENGTH - 1) + 10);

    table.add(new Swirl());
    schedule.plan(table.constraints.data(), table.kinds.data(), table.size(), 4);
    EXPECT_GE(schedule.waveCount(), 4 * LENGTH) << "a barrier keeps every pass apart";
}

TEST_F(ConstraintScheduleTest, AnEmptyTableOrNoPassesRunNothing) {
    ConstraintSchedule schedule(CAPACITY);
    std::vector<PVRTVec3> p = {{1, 2, 3}};
    schedule.plan(nullptr, nullptr, 0, 4);
    schedule.run(p.data(), 1);
    Table table = randomTable(1, 5, true);
    schedule.plan(table.constraints.data(), table.kinds.data(), table.size(), 0);
    schedule.run(p.data(), 1);
    EXPECT_EQ(p[0], PVRTVec3(1, 2, 3));
    EXPECT_EQ(schedule.waveCount(), 0);
}

} // namespace
