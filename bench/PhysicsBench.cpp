#include "engine/Random.h"
#include "engine/physics/FxParticleSystem.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

// Each benchmark reports a `budget_%`: the time of one game frame as a share
// of the 33.3 ms frame at 30 frames per second. `grid` 0 runs the reference
// pair loop, 1 the grid; `planned` 0 runs the constraint passes in table
// order, 1 as planned. All give the same floats: grid:0/planned:0 is the
// reference world, grid:1/planned:1 the one the game runs.

namespace {

using namespace ZQ::Fx;

// Wall time of the timed loop, reported as a share of the 33.3 ms frame.
// `perFrame` is how many loop iterations one game frame needs.
class FrameBudget {
public:
    void report(benchmark::State& state, double perFrame = 1.0) const {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const double frame = elapsed.count() / double(state.iterations()) * perFrame;
        state.counters["budget_%"] = frame / (1.0 / 30.0) * 100.0;
    }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

PairSearch searchOf(const benchmark::State& state) {
    return state.range(0) == 0 ? PairSearch::Plain : PairSearch::Grid;
}

PassOrder orderOf(const benchmark::State& state) {
    return state.range(1) == 0 ? PassOrder::Table : PassOrder::Planned;
}

// The reference, the reference pair loop alone, and the fast world, each
// stepping the very same frames from the same start.
template <int64_t FRAMES> void worldVariants(benchmark::internal::Benchmark* b) {
    b->ArgNames({"grid", "planned"})->Args({0, 0})->Args({0, 1})->Args({1, 1});
    b->Iterations(FRAMES)->Unit(benchmark::kMicrosecond);
}

float uniform(float lo, float hi) {
    return lo + (hi - lo) * float(ZQ::arc4random_uniform(1u << 24)) / float(1u << 24);
}

// 1024 particles as 8 cords of 128, laid as random walks and settled in a box
// that holds them at about touching density: every particle presses on a few
// others, as in a tightly knotted cord.
void layTightWorld(ParticleSystem& world) {
    ZQ::seedRandom(7);
    const auto box =
        BoundConstraint::boxCorners(PVRTVec3(-13.5f, -11.5f, -11.5f), PVRTVec3(13.5f, 11.5f, 11.5f));
    constexpr int32_t CORDS = 8;
    constexpr int32_t LENGTH = PARTICLE_ARRAY_SIZE / CORDS;
    for (int32_t c = 0; c < CORDS; ++c) {
        PVRTVec3 at(uniform(-10, 10), uniform(-8, 8), uniform(-8, 8));
        for (int32_t k = 0; k < LENGTH; ++k) {
            const int32_t n = world.addParticle(at);
            world.addConstaint(new BoundConstraint(n, box));
            if (k > 0) {
                world.addConstaint(new LinkConstraint(n - 1, n, 2.0f));
            }
            if (k > 1) {
                world.addConstaint(new DistanceConstraint(n - 2, n, 3.0f));
            }
            at += PVRTVec3(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)).normalized() * 2.0f;
        }
    }
    // Settled with the grid whatever the benchmark measures: both searches
    // give the same frames, and the settled state is the same for both.
    world.setPairSearch(PairSearch::Grid);
    for (int frame = 0; frame < 300; ++frame) {
        world.doStep();
    }
}

int64_t countPairs(const ParticleSystem& world) {
    std::vector<int32_t> partners(PARTICLE_ARRAY_SIZE);
    int64_t pairs = 0;
    for (int32_t i = 0; i + 1 < world.getParticleCount(); ++i) {
        pairs += findClosePartnersPlain(world.getPositions(), world.getParticleCount(), i, partners.data());
    }
    return pairs;
}

// Times several jobs inside each iteration, one after another, so that their
// ratio is measured under the same load on the machine.
template <size_t JOBS> class SideBySide {
public:
    explicit SideBySide(int32_t repeats = 1) : repeats(repeats) {}

    // Runs the job `repeats` times in a row: long enough to warm the caches
    // for it, as when it is measured alone.
    template <class Job> void time(size_t k, Job&& job) {
        const auto start = std::chrono::steady_clock::now();
        for (int32_t r = 0; r < repeats; ++r) {
            job();
        }
        elapsed[k] += std::chrono::steady_clock::now() - start;
    }
    // The time of one run of job k.
    double microseconds(size_t k, const benchmark::State& state) const {
        return elapsed[k].count() * 1e6 / double(state.iterations() * repeats);
    }

private:
    const int32_t repeats;
    std::array<std::chrono::duration<double>, JOBS> elapsed{};
};

double budgetPercent(double microseconds) {
    return microseconds / (1e6 / 30.0) * 100.0;
}

// The pair test alone on a snapshot of the tight world, the plain loop and
// the grid side by side: what a substep pays to find its contacts, without
// making the forces.
void BM_Physics_PairTest(benchmark::State& state) {
    ParticleSystem world(kMainWorld);
    world.setUp();
    layTightWorld(world);
    const std::vector<PVRTVec3> p(world.getPositions(), world.getPositions() + world.getParticleCount());
    const int32_t count = int32_t(p.size());
    std::vector<int32_t> partners(PARTICLE_ARRAY_SIZE);
    PairGrid grid(PARTICLE_ARRAY_SIZE);
    SideBySide<2> clock;
    for (auto _ : state) {
        int64_t plainFound = 0;
        int64_t gridFound = 0;
        clock.time(0, [&] {
            for (int32_t i = 0; i + 1 < count; ++i) {
                plainFound += findClosePartnersPlain(p.data(), count, i, partners.data());
            }
        });
        clock.time(1, [&] {
            grid.build(p.data(), count);
            for (int32_t i = 0; i + 1 < count; ++i) {
                gridFound += int64_t(grid.partnersOf(i).size());
            }
        });
        if (plainFound != gridFound) {
            state.SkipWithError("the grid found other pairs");
            break;
        }
        benchmark::DoNotOptimize(gridFound);
    }
    const double plain = clock.microseconds(0, state);
    const double fast = clock.microseconds(1, state);
    state.counters["plain_us"] = plain;
    state.counters["grid_us"] = fast;
    state.counters["ratio"] = plain / fast;
    state.counters["grid_budget_%"] = budgetPercent(fast * kMainWorld.substeps);
    state.counters["pairs"] = double(countPairs(world));
    world.tearDown();
}
BENCHMARK(BM_Physics_PairTest)->Unit(benchmark::kMicrosecond);

// Whole main-world frames of the tight world, three substeps each with the
// pair test, about two thousand contact forces, integration and 4 x 3 passes
// over about three thousand constraints. Three copies step the same frames
// side by side: the reference (plain pair loop, passes in table order), the
// plain pair loop with planned passes, and the world the game runs, ten
// frames at a time. They must end bit for bit equal.
void BM_Physics_TightMainFrame(benchmark::State& state) {
    ParticleSystem reference(kMainWorld);
    ParticleSystem plainLoop(kMainWorld);
    ParticleSystem fast(kMainWorld);
    for (ParticleSystem* world : {&reference, &plainLoop, &fast}) {
        world->setUp();
        layTightWorld(*world);
    }
    reference.setPairSearch(PairSearch::Plain);
    reference.setPassOrder(PassOrder::Table);
    plainLoop.setPairSearch(PairSearch::Plain);
    SideBySide<3> clock(10);
    for (auto _ : state) {
        clock.time(0, [&] { reference.doStep(); });
        clock.time(1, [&] { plainLoop.doStep(); });
        clock.time(2, [&] { fast.doStep(); });
    }
    const size_t bytes = sizeof(PVRTVec3) * size_t(fast.getParticleCount());
    if (std::memcmp(reference.getPositions(), fast.getPositions(), bytes) != 0 ||
        std::memcmp(plainLoop.getPositions(), fast.getPositions(), bytes) != 0) {
        state.SkipWithError("the worlds parted");
    }
    const double fastFrame = clock.microseconds(2, state);
    state.counters["reference_us"] = clock.microseconds(0, state);
    state.counters["plain_loop_us"] = clock.microseconds(1, state);
    state.counters["fast_us"] = fastFrame;
    state.counters["ratio_to_reference"] = clock.microseconds(0, state) / fastFrame;
    state.counters["ratio_to_plain_loop"] = clock.microseconds(1, state) / fastFrame;
    state.counters["fast_budget_%"] = budgetPercent(fastFrame);
    state.counters["pairs"] = double(countPairs(fast));
    for (ParticleSystem* world : {&reference, &plainLoop, &fast}) {
        world->tearDown();
    }
}
BENCHMARK(BM_Physics_TightMainFrame)->Iterations(30)->Unit(benchmark::kMicrosecond);

// The heaviest catalogue cord: four strings, 122 particles, laid as four
// intertwined helices and pulled by one grasp each frame.
void BM_Physics_CordFrame(benchmark::State& state) {
    ParticleSystem world(kMainWorld);
    world.setPairSearch(searchOf(state));
    world.setPassOrder(orderOf(state));
    world.setUp();
    const auto box = BoundConstraint::boxCorners(PVRTVec3(-15, -12, -9), PVRTVec3(15, 12, 9));
    const int32_t lengths[4] = {31, 31, 30, 30};
    for (int32_t s = 0; s < 4; ++s) {
        const int32_t first = world.getParticleCount();
        for (int32_t k = 0; k < lengths[s]; ++k) {
            const float turn = float(k) * 0.6f + float(s) * 1.5707964f;
            const int32_t n = world.addParticle(
                PVRTVec3(float(k) * 0.9f - 13.0f, 2.5f * std::cos(turn), 2.5f * std::sin(turn)));
            world.addConstaint(new BoundConstraint(n, box));
        }
        for (int32_t j = first; j + 1 < first + lengths[s]; ++j) {
            world.addConstaint(new LinkConstraint(j, j + 1, 2.0f));
        }
        for (int32_t j = first; j + 2 < first + lengths[s]; ++j) {
            world.addConstaint(new DistanceConstraint(j, j + 2, 3.0f));
        }
    }
    for (int settle = 0; settle < 10; ++settle) {
        world.step(false);
    }
    int32_t frame = 0;
    const FrameBudget budget;
    for (auto _ : state) {
        const float angle = float(frame) * 0.05f;
        world.addTmpForce(
            new ConstantForce(frame % 122, PVRTVec3(40.0f * std::cos(angle), 40.0f * std::sin(angle), 0)));
        world.doStep();
        ++frame;
    }
    budget.report(state);
    state.counters["pairs"] = double(countPairs(world));
    world.tearDown();
}
BENCHMARK(BM_Physics_CordFrame)->Apply(worldVariants<3000>);

// 1024 flowing letters: 64 words of 16 letters, each letter with gravity and a
// link of 1.0 to its predecessor, each word held by its first letter.
void BM_Physics_FlowFrame(benchmark::State& state) {
    ParticleSystem world(kFlowWorld);
    world.setPairSearch(searchOf(state));
    world.setPassOrder(orderOf(state));
    world.setUp();
    constexpr int32_t WORDS = 64;
    constexpr int32_t LETTERS = PARTICLE_ARRAY_SIZE / WORDS;
    std::vector<PVRTVec3> heads;
    for (int32_t w = 0; w < WORDS; ++w) {
        const PVRTVec3 head(-14.0f + 4.0f * float(w % 8), 10.0f, -14.0f + 4.0f * float(w / 8));
        heads.push_back(head);
        for (int32_t k = 0; k < LETTERS; ++k) {
            const int32_t n = world.addParticle(head + PVRTVec3(float(k) * 1.0f, 0, 0));
            world.addForce(new GravityForce(n));
            if (k > 0) {
                world.addConstaint(new LinkConstraint(n - 1, n, 1.0f));
            }
        }
    }
    const auto hold = [&] {
        for (int32_t w = 0; w < WORDS; ++w) {
            world.addTmpConstaint(new FixConstraint(w * LETTERS, heads[size_t(w)]));
        }
    };
    for (int frame = 0; frame < 30; ++frame) {
        hold();
        world.doStep();
    }
    const FrameBudget budget;
    for (auto _ : state) {
        hold();
        world.doStep();
    }
    budget.report(state);
    state.counters["pairs"] = double(countPairs(world));
    world.tearDown();
}
BENCHMARK(BM_Physics_FlowFrame)->Apply(worldVariants<1000>);

} // namespace
