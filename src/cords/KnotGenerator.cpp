#include "cords/KnotGenerator.h"

#include "engine/Assert.h"

#include <cmath>

// Every product below is written in the order of the curve's formula: with
// contraction off and single precision, the order of the operations decides
// the last bits of each point, and the cords are laid from these points.

namespace ZQ {

void KnotGenerator::reserveFor(std::vector<PVRTVec3>& points) {
    if (points.capacity() < static_cast<std::size_t>(kPointCount)) {
        points.reserve(kPointCount);
    }
}

void TorusKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepFirst(points, t0, [this](float t) {
        const float r = R + a * std::sin(q * t);
        const float pt = p * t;
        return PVRTVec3(r * std::sin(pt), r * std::cos(pt), a * std::cos(q * t));
    });
}

void ToriKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepFirst(points, t0, [this](float t) {
        const float qt = q * t;
        const float pt = p * t;
        const float r = R + a * std::sin(qt);
        return PVRTVec3(r * std::sin(pt) + b * std::sin(pt + phi), r * std::cos(pt) + b * std::cos(pt + phi),
                        a * std::cos(qt) + b * std::cos(qt + phi));
    });
}

void TorusInterlacedKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepAfter(points, t0, [this](float t) {
        const float r = 1.0f + a1 * std::cos(f1 * t) + a2 * std::cos(f2 * t);
        const float pt = p * t;
        return PVRTVec3(r * std::cos(pt), r * std::sin(pt), c * std::sin(g * t));
    });
}

BurkeTorusKnot::BurkeTorusKnot(int32_t p, int32_t q) : p(p), q(q) {
    // p divides the second angle; 0 would make every point NaN.
    ZQ_ASSERT(p != 0);
}

void BurkeTorusKnot::generate(std::vector<PVRTVec3>& points) {
    reserveFor(points);
    const float fp = static_cast<float>(p);
    const float fq = static_cast<float>(q);
    // The angle step is formed once; φ is index times step, not a running sum.
    const float step = 0.006283186f * fp;
    for (int i = 0; i < kPointCount; ++i) {
        const float phi = static_cast<float>(i) * step;
        const float psi = phi * fq / fp;
        const float r = 1.0f + 0.5f * std::cos(psi);
        points.push_back(PVRTVec3(r * std::cos(phi), r * std::sin(phi), 0.5f * std::sin(psi)));
    }
}

void TorusEightKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepAfter(points, t0, [this](float t) {
        const float egt = e * std::cos(g * t);
        const float ft = f * t;
        const float r1 = 1.0f + egt + c * std::cos(ft);
        const float r2 = 1.0f + egt + d * std::cos(ft);
        const float at = a * t;
        return PVRTVec3(r1 * b * std::cos(at), r2 * std::sin(at), h * std::sin(k * t));
    });
}

void ConicalHelix::generate(std::vector<PVRTVec3>& points) {
    appendStepFirst(points, t0, [this](float t) {
        return PVRTVec3(a * std::cos(a * t), b * std::sin(b * t), t * (c * d));
    });
}

void CompoundKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepAfter(points, t0, [this](float t) {
        return PVRTVec3(A1 * std::cos(F1 * t) + A2 * std::cos(F2 * t) + A3 * std::cos(F3 * t),
                        A4 * std::sin(F4 * t) + A5 * std::sin(F5 * t) + A6 * std::sin(F6 * t),
                        A7 * std::sin(F7 * t) + A8 * std::sin(F8 * t));
    });
}

void DecorativeKnot::generate(std::vector<PVRTVec3>& points) {
    appendStepFirst(points, t0, [this](float t) {
        const float t1 = f1 * t;
        const float t2 = f2 * t;
        return PVRTVec3(a * std::cos(t1) + b * std::cos(t2), a * std::sin(t1) + b * std::sin(t2),
                        c * std::sin(f3 * t));
    });
}

} // namespace ZQ
