#include "engine/physics/FxConstraintSchedule.h"

#include "engine/Assert.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__) && !defined(VELMORA_NO_SIMD)
#define VELMORA_SSE2_KERNELS
#include <emmintrin.h>
#endif

namespace ZQ::Fx {
#if defined(VELMORA_NO_SIMD)
inline namespace scalar {
#endif

namespace {

constexpr int32_t kKindCount = 5;

struct Particles {
    int32_t i;
    int32_t j;
};

// The particles a constraint of a known kind reads and writes; a one-particle
// constraint names its particle twice.
Particles particlesOf(const Constraint* constraint, ConstraintKind kind) {
    switch (kind) {
    case ConstraintKind::Link: {
        const auto* link = static_cast<const LinkConstraint*>(constraint);
        return {link->i, link->j};
    }
    case ConstraintKind::Distance: {
        const auto* distance = static_cast<const DistanceConstraint*>(constraint);
        return {distance->i, distance->j};
    }
    case ConstraintKind::Bound: {
        const int32_t i = static_cast<const BoundConstraint*>(constraint)->i;
        return {i, i};
    }
    case ConstraintKind::Fix: {
        const int32_t i = static_cast<const FixConstraint*>(constraint)->i;
        return {i, i};
    }
    case ConstraintKind::Other:
        break;
    }
    ZQ_ASSERT(!"a barrier has no particles of its own");
    return {0, 0};
}

#if defined(VELMORA_SSE2_KERNELS)

// Writes lanes 0 .. lanes - 1 of (x, y, z) back to the particles, x and y of
// each as one 8-byte store and z as one 4-byte store.
inline void storeLanes(PVRTVec3* p, const int32_t* index, int32_t lanes, __m128 x, __m128 y, __m128 z) {
    const __m128 xy01 = _mm_unpacklo_ps(x, y);
    const __m128 xy23 = _mm_unpackhi_ps(x, y);
    const auto put = [p](int32_t n, __m128 xyInLow, bool high, __m128 zInLane0) {
        auto* xy = reinterpret_cast<__m64*>(&p[n].x);
        if (high) {
            _mm_storeh_pi(xy, xyInLow);
        } else {
            _mm_storel_pi(xy, xyInLow);
        }
        _mm_store_ss(&p[n].z, zInLane0);
    };
    put(index[0], xy01, false, z);
    if (lanes > 1) {
        put(index[1], xy01, true, _mm_shuffle_ps(z, z, _MM_SHUFFLE(1, 1, 1, 1)));
    }
    if (lanes > 2) {
        put(index[2], xy23, false, _mm_movehl_ps(z, z));
    }
    if (lanes > 3) {
        put(index[3], xy23, true, _mm_shuffle_ps(z, z, _MM_SHUFFLE(3, 3, 3, 3)));
    }
}

// Four links or distances that share no particle, worked as one. Every lane
// does what detail::link or detail::keepApart does, operation for operation:
// SSE arithmetic rounds exactly as scalar arithmetic does, and the lanes that
// must not move keep their old values, so the floats are the same.
struct Four {
    int32_t lanes;
    int32_t i[4];
    int32_t j[4];
    __m128 ax, ay, az; // particles i
    __m128 bx, by, bz; // particles j
    __m128 target;
    __m128 isLink;
};

// The first `links` steps are links, the rest distances. The lanes are
// gathered one float at a time: a vector load from where narrower stores
// just wrote cannot take their values on the way and would wait for them to
// reach the cache. Spare lanes repeat the last step and are never stored.
template <class Step>
[[gnu::always_inline]] inline Four gatherFour(const PVRTVec3* p, const Step* steps, int32_t lanes,
                                              int32_t links) {
    alignas(16) static constexpr int32_t kLinkLanes[5][4] = {
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}, {-1, -1, -1, -1}};
    const Step& s0 = steps[0];
    const Step& s1 = steps[std::min(1, lanes - 1)];
    const Step& s2 = steps[std::min(2, lanes - 1)];
    const Step& s3 = steps[std::min(3, lanes - 1)];
    return {lanes,
            {s0.i, s1.i, s2.i, s3.i},
            {s0.j, s1.j, s2.j, s3.j},
            _mm_setr_ps(p[s0.i].x, p[s1.i].x, p[s2.i].x, p[s3.i].x),
            _mm_setr_ps(p[s0.i].y, p[s1.i].y, p[s2.i].y, p[s3.i].y),
            _mm_setr_ps(p[s0.i].z, p[s1.i].z, p[s2.i].z, p[s3.i].z),
            _mm_setr_ps(p[s0.j].x, p[s1.j].x, p[s2.j].x, p[s3.j].x),
            _mm_setr_ps(p[s0.j].y, p[s1.j].y, p[s2.j].y, p[s3.j].y),
            _mm_setr_ps(p[s0.j].z, p[s1.j].z, p[s2.j].z, p[s3.j].z),
            _mm_setr_ps(s0.length, s1.length, s2.length, s3.length),
            _mm_load_ps(reinterpret_cast<const float*>(kLinkLanes[std::clamp(links, 0, 4)]))};
}

// A link moves unless coincident; a distance only when also too close.
inline void solveFour(Four& f) {
    const __m128 dx = _mm_sub_ps(f.ax, f.bx), dy = _mm_sub_ps(f.ay, f.by), dz = _mm_sub_ps(f.az, f.bz);
    const __m128 d =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz)));
    const __m128 moves =
        _mm_and_ps(_mm_cmpneq_ps(d, _mm_setzero_ps()), _mm_or_ps(f.isLink, _mm_cmplt_ps(d, f.target)));
    const __m128 k = _mm_div_ps(_mm_mul_ps(_mm_sub_ps(d, f.target), _mm_set1_ps(0.5f)), d);
    const auto pick = [moves](__m128 moved, __m128 kept) {
        return _mm_or_ps(_mm_and_ps(moves, moved), _mm_andnot_ps(moves, kept));
    };
    const __m128 sx = _mm_mul_ps(dx, k), sy = _mm_mul_ps(dy, k), sz = _mm_mul_ps(dz, k);
    f.ax = pick(_mm_sub_ps(f.ax, sx), f.ax);
    f.ay = pick(_mm_sub_ps(f.ay, sy), f.ay);
    f.az = pick(_mm_sub_ps(f.az, sz), f.az);
    f.bx = pick(_mm_add_ps(f.bx, sx), f.bx);
    f.by = pick(_mm_add_ps(f.by, sy), f.by);
    f.bz = pick(_mm_add_ps(f.bz, sz), f.bz);
}

inline void scatterFour(PVRTVec3* p, const Four& f) {
    storeLanes(p, f.i, f.lanes, f.ax, f.ay, f.az);
    storeLanes(p, f.j, f.lanes, f.bx, f.by, f.bz);
}

// A run of links followed by distances, eight at a time: the square roots
// and divisions of two fours overlap.
template <class Step> void satisfyPairs(PVRTVec3* p, const Step* steps, int32_t count, int32_t links) {
    int32_t k = 0;
    for (; k + 4 < count; k += 8) {
        Four first = gatherFour(p, steps + k, 4, links - k);
        Four second = gatherFour(p, steps + k + 4, std::min(count - k - 4, 4), links - k - 4);
        solveFour(first);
        solveFour(second);
        scatterFour(p, first);
        scatterFour(p, second);
    }
    if (k < count) {
        Four last = gatherFour(p, steps + k, count - k, links - k);
        solveFour(last);
        scatterFour(p, last);
    }
}

#else

template <class Step> void satisfyPairs(PVRTVec3* p, const Step* steps, int32_t count, int32_t links) {
    for (int32_t k = 0; k < count; ++k) {
        if (k < links) {
            detail::link(p, steps[k].i, steps[k].j, steps[k].length);
        } else {
            detail::keepApart(p, steps[k].i, steps[k].j, steps[k].length);
        }
    }
}

#endif

} // namespace

ConstraintKind constraintKindOf(const Constraint* constraint) {
    if (dynamic_cast<const LinkConstraint*>(constraint) != nullptr) {
        return ConstraintKind::Link;
    }
    if (dynamic_cast<const DistanceConstraint*>(constraint) != nullptr) {
        return ConstraintKind::Distance;
    }
    if (dynamic_cast<const BoundConstraint*>(constraint) != nullptr) {
        return ConstraintKind::Bound;
    }
    if (dynamic_cast<const FixConstraint*>(constraint) != nullptr) {
        return ConstraintKind::Fix;
    }
    return ConstraintKind::Other;
}

// The classes are final, so these calls are direct and inlined.
void satisfyInOrder(Constraint* const* table, const ConstraintKind* kinds, int32_t count, PVRTVec3* positions,
                    int32_t particleCount) {
    for (int32_t k = 0; k < count; ++k) {
        Constraint* const c = table[k];
        switch (kinds[k]) {
        case ConstraintKind::Link:
            static_cast<LinkConstraint*>(c)->satisfy(positions, particleCount);
            break;
        case ConstraintKind::Distance:
            static_cast<DistanceConstraint*>(c)->satisfy(positions, particleCount);
            break;
        case ConstraintKind::Bound:
            static_cast<BoundConstraint*>(c)->satisfy(positions, particleCount);
            break;
        case ConstraintKind::Fix:
            static_cast<FixConstraint*>(c)->satisfy(positions, particleCount);
            break;
        case ConstraintKind::Other:
            c->satisfy(positions, particleCount);
            break;
        }
    }
}

void ConstraintSchedule::clear() {
    entries.clear();
    runs.clear();
    pairSteps.clear();
    boundSteps.clear();
    calls.clear();
    waves = 0;
}

// A constraint's wave is one past the last wave that touched either of its
// particles, so no two constraints of a wave share a particle and each runs
// after every earlier one that touched its particles.
void ConstraintSchedule::plan(Constraint* const* table, const ConstraintKind* kinds, int32_t count,
                              int32_t passes) {
    clear();
    std::fill(lastWave.begin(), lastWave.end(), 0);
    int32_t floor = 0; // the wave of the last barrier
    entries.reserve(size_t(count) * size_t(passes));
    for (int32_t pass = 0; pass < passes; ++pass) {
        for (int32_t k = 0; k < count; ++k) {
            int32_t wave = waves + 1;
            if (kinds[k] == ConstraintKind::Other) {
                floor = wave;
            } else {
                const Particles p = particlesOf(table[k], kinds[k]);
                const auto inRange = [this](int32_t n) { return n >= 0 && n < int32_t(lastWave.size()); };
                ZQ_ASSERT(inRange(p.i) && inRange(p.j));
                wave = std::max({floor, lastWave[size_t(p.i)], lastWave[size_t(p.j)]}) + 1;
                lastWave[size_t(p.i)] = wave;
                lastWave[size_t(p.j)] = wave;
            }
            waves = std::max(waves, wave);
            entries.push_back({wave, k, kinds[k]});
        }
    }

    // A counting sort by (wave, kind) into buckets; each bucket is one run.
    const auto bucket = [](const Entry& e) { return size_t(e.wave) * kKindCount + size_t(e.kind); };
    bucketStart.assign(size_t(waves + 1) * kKindCount + 1, 0);
    for (const Entry& e : entries) {
        bucketStart[bucket(e) + 1] += 1;
    }
    for (size_t b = 1; b < bucketStart.size(); ++b) {
        bucketStart[b] += bucketStart[b - 1];
    }
    std::vector<int32_t> sorted(entries.size());
    for (int32_t n = 0; n < int32_t(entries.size()); ++n) {
        sorted[size_t(bucketStart[bucket(entries[size_t(n)])]++)] = n;
    }
    int32_t lastWaveSeen = -1;
    for (const int32_t n : sorted) {
        const Entry& e = entries[size_t(n)];
        const RunKind kind = runKindOf(e.kind);
        if (e.wave != lastWaveSeen || kind != runs.back().kind) {
            lastWaveSeen = e.wave;
            const int32_t begin = kind == RunKind::Pairs    ? int32_t(pairSteps.size())
                                  : kind == RunKind::Bounds ? int32_t(boundSteps.size())
                                                            : int32_t(calls.size());
            runs.push_back({kind, begin, begin, 0});
        }
        addStep(table[e.source], e.kind);
        runs.back().end += 1;
        runs.back().links += e.kind == ConstraintKind::Link ? 1 : 0;
    }
}

// A wave's links and distances make one run, links first: the kinds sort
// in that order.
ConstraintSchedule::RunKind ConstraintSchedule::runKindOf(ConstraintKind kind) {
    switch (kind) {
    case ConstraintKind::Link:
    case ConstraintKind::Distance:
        return RunKind::Pairs;
    case ConstraintKind::Bound:
        return RunKind::Bounds;
    case ConstraintKind::Fix:
        return RunKind::Fixes;
    case ConstraintKind::Other:
        break;
    }
    return RunKind::Calls;
}

void ConstraintSchedule::addStep(Constraint* constraint, ConstraintKind kind) {
    switch (kind) {
    case ConstraintKind::Link: {
        const auto* link = static_cast<const LinkConstraint*>(constraint);
        pairSteps.push_back({link->i, link->j, link->rest});
        break;
    }
    case ConstraintKind::Distance: {
        const auto* distance = static_cast<const DistanceConstraint*>(constraint);
        pairSteps.push_back({distance->i, distance->j, distance->minimum});
        break;
    }
    case ConstraintKind::Bound: {
        const auto* bound = static_cast<const BoundConstraint*>(constraint);
        boundSteps.push_back({bound->i, bound->insetLow(), bound->insetHigh()});
        break;
    }
    case ConstraintKind::Fix:
    case ConstraintKind::Other:
        calls.push_back(constraint);
        break;
    }
}

void ConstraintSchedule::run(PVRTVec3* positions, int32_t particleCount) const {
    for (const Run& r : runs) {
        switch (r.kind) {
        case RunKind::Pairs:
            satisfyPairs(positions, pairSteps.data() + r.begin, r.end - r.begin, r.links);
            break;
        case RunKind::Bounds:
            for (int32_t k = r.begin; k < r.end; ++k) {
                const BoundStep& s = boundSteps[size_t(k)];
                detail::clampInto(positions[s.i], s.lo, s.hi);
            }
            break;
        case RunKind::Fixes:
            for (int32_t k = r.begin; k < r.end; ++k) {
                static_cast<FixConstraint*>(calls[size_t(k)])->satisfy(positions, particleCount);
            }
            break;
        case RunKind::Calls:
            for (int32_t k = r.begin; k < r.end; ++k) {
                calls[size_t(k)]->satisfy(positions, particleCount);
            }
            break;
        }
    }
}

#if defined(VELMORA_NO_SIMD)
} // namespace scalar
#endif
} // namespace ZQ::Fx
