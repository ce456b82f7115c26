#pragma once

#include "engine/physics/FxConstraint.h"

#include <cstdint>
#include <vector>

namespace ZQ::Fx {

// VELMORA_NO_SIMD compiles the plain kernels that a processor without SSE2
// gets. A test links such a copy beside the usual one, under names of its
// own, to check that both give the same floats.
#if defined(VELMORA_NO_SIMD)
inline namespace scalar {
#endif

// The constraint classes a pass runs directly, inlined; anything else goes
// through the virtual call.
enum class ConstraintKind : uint8_t { Link, Distance, Bound, Fix, Other };

ConstraintKind constraintKindOf(const Constraint* constraint);

// Runs the constraints once each, in table order.
void satisfyInOrder(Constraint* const* table, const ConstraintKind* kinds, int32_t count, PVRTVec3* positions,
                    int32_t particleCount);

// Repeated in-order passes over a constraint table, rearranged so that the
// processor can overlap them, with the same floats as a result.
//
// Along a cord, every link and distance correction reads what the one before
// it wrote, so in table order the passes are one long chain of square roots
// and divisions, each waiting for the last. Yet a correction only reads and
// writes its own one or two particles: two corrections that share no particle
// give the same floats in either order. The plan keeps, for every particle,
// the order in which the passes touch it, and lays the corrections out in
// waves of mutually independent ones: the other strings of the cord, and the
// next pass a few particles behind the last, fill the wait of one chain. The
// links and distances of a wave then run eight at a time in vector lanes.
//
// "The same floats" holds for every number. A coordinate that is NaN may
// come out as another NaN: which of two NaN operands an operation returns
// depends on the order the compiler put them in, and nothing reads it.
//
// A constraint of a kind it does not know may touch any particle: it is a
// barrier, run after everything before it and before everything after it.
class ConstraintSchedule {
public:
    explicit ConstraintSchedule(int32_t particleCapacity) : lastWave(size_t(particleCapacity)) {}

    // Plans `passes` passes over the first `count` constraints of the table.
    // The plan copies what the built-in kinds hold (it never changes after
    // construction) and keeps pointers to the others: plan again when the
    // table changes.
    void plan(Constraint* const* table, const ConstraintKind* kinds, int32_t count, int32_t passes);
    void clear();

    // The planned passes, with the same result as running them in order.
    void run(PVRTVec3* positions, int32_t particleCount) const;

    int32_t waveCount() const { return waves; }

private:
    struct Entry {
        int32_t wave;
        int32_t source; // index into the table
        ConstraintKind kind;
    };
    enum class RunKind : uint8_t { Pairs, Bounds, Fixes, Calls };
    static RunKind runKindOf(ConstraintKind kind);

    // Consecutive steps of one kind in one wave: no two share a particle.
    // Pairs are the wave's links, then its distances.
    struct Run {
        RunKind kind;
        int32_t begin; // into the steps of its kind
        int32_t end;
        int32_t links;
    };
    struct PairStep {
        int32_t i;
        int32_t j;
        float length; // a link's rest length, a distance's minimum
    };
    struct BoundStep {
        int32_t i;
        PVRTVec3 lo; // inset by the margin
        PVRTVec3 hi;
    };

    void addStep(Constraint* constraint, ConstraintKind kind);

    std::vector<int32_t> lastWave; // per particle, while planning
    std::vector<Entry> entries;
    std::vector<int32_t> bucketStart;
    std::vector<Run> runs;
    std::vector<PairStep> pairSteps;
    std::vector<BoundStep> boundSteps;
    std::vector<Constraint*> calls; // fixes and barriers
    int32_t waves = 0;
};

#if defined(VELMORA_NO_SIMD)
} // namespace scalar
#endif

} // namespace ZQ::Fx
