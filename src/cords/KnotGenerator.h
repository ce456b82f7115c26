#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ {

// A closed space curve sampled at kPointCount points. Generators are plain
// parameter records: the constructors store the parameters unchanged and
// generate is a pure function of them.
//
// All arithmetic is single precision and t is advanced by adding the step,
// never recomputed from the point index: the accumulated rounding is part of
// the shape every level was tuned with.
class KnotGenerator {
public:
    static constexpr int kPointCount = 1000;

    virtual ~KnotGenerator() = default;

    // Appends kPointCount points after whatever `points` already holds. A
    // vector with room for fewer than kPointCount points first gets exactly
    // that much, so the usual empty vector is allocated once.
    virtual void generate(std::vector<PVRTVec3>& points) = 0;

protected:
    // 2π/1000: the step-first kinds add it before each point, so their points
    // lie at t0 + h .. t0 + 1000h and never at t0 itself.
    static constexpr float kStepFirst = 0.0062831854f;
    // 2π/999: the step-after kinds add it after each point, so their points lie
    // at t0 .. t0 + 999h and the ends meet for whole frequencies.
    static constexpr float kStepAfter = 0.006289475f;

    static void reserveFor(std::vector<PVRTVec3>& points);

    template <class Curve> static void appendStepFirst(std::vector<PVRTVec3>& points, float t0, Curve curve) {
        reserveFor(points);
        float t = t0;
        for (int i = 0; i < kPointCount; ++i) {
            t += kStepFirst;
            points.push_back(curve(t));
        }
    }

    template <class Curve> static void appendStepAfter(std::vector<PVRTVec3>& points, float t0, Curve curve) {
        reserveFor(points);
        float t = t0;
        for (int i = 0; i < kPointCount; ++i) {
            points.push_back(curve(t));
            t += kStepAfter;
        }
    }
};

// Windings round a torus: r = R + a sin(qt); (r sin pt, r cos pt, a cos qt). Step first.
class TorusKnot : public KnotGenerator {
public:
    TorusKnot(float a, float R, float p, float q, float t0) : a(a), R(R), p(p), q(q), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float a, R, p, q, t0;
};

// A torus knot with a second winding of radius b, shifted by phi. Step first.
class ToriKnot : public KnotGenerator {
public:
    ToriKnot(float a, float b, float R, float phi, float p, float q, float t0)
        : a(a), b(b), R(R), phi(phi), p(p), q(q), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float a, b, R, phi, p, q, t0;
};

// A torus winding whose radius breathes with two frequencies. Step after.
class TorusInterlacedKnot : public KnotGenerator {
public:
    TorusInterlacedKnot(float p, float f1, float f2, float a1, float a2, float c, float g, float t0)
        : p(p), f1(f1), f2(f2), a1(a1), a2(a2), c(c), g(g), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float p, f1, f2, a1, a2, c, g, t0;
};

// The (p, q) torus knot on a torus of radii 1 and 0.5, sampled by point index.
// p must not be 0.
class BurkeTorusKnot : public KnotGenerator {
public:
    BurkeTorusKnot(int32_t p, int32_t q);
    void generate(std::vector<PVRTVec3>& points) override;

    int32_t p, q;
};

// A figure-eight torus winding with separate x and y radii. u1 and u2 are kept
// for the parameter order of the catalogue tables; the curve does not use them.
// Step after.
class TorusEightKnot : public KnotGenerator {
public:
    TorusEightKnot(float a, float f, float g, float u1, float b, float c, float e, float u2, float d, float h,
                   float k, float t0)
        : a(a), f(f), g(g), u1(u1), b(b), c(c), e(e), u2(u2), d(d), h(h), k(k), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float a, f, g, u1, b, c, e, u2, d, h, k, t0;
};

// (a cos at, b sin bt, t c d): a helix rising along z. Step first.
class ConicalHelix : public KnotGenerator {
public:
    ConicalHelix(float a, float b, float c, float d, float t0) : a(a), b(b), c(c), d(d), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float a, b, c, d, t0;
};

// A sum of harmonics: three on x, three on y, two on z. Step after.
class CompoundKnot : public KnotGenerator {
public:
    CompoundKnot(float A1, float F1, float A2, float F2, float A3, float F3, float A4, float F4, float A5,
                 float F5, float A6, float F6, float A7, float F7, float A8, float F8, float t0)
        : A1(A1), F1(F1), A2(A2), F2(F2), A3(A3), F3(F3), A4(A4), F4(F4), A5(A5), F5(F5), A6(A6), F6(F6),
          A7(A7), F7(F7), A8(A8), F8(F8), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float A1, F1, A2, F2, A3, F3, A4, F4, A5, F5, A6, F6, A7, F7, A8, F8, t0;
};

// Two circles of radii a and b turning at f1 and f2, lifted by c sin f3t. Step first.
class DecorativeKnot : public KnotGenerator {
public:
    DecorativeKnot(float a, float f1, float b, float f2, float c, float f3, float t0)
        : a(a), f1(f1), b(b), f2(f2), c(c), f3(f3), t0(t0) {}
    void generate(std::vector<PVRTVec3>& points) override;

    float a, f1, b, f2, c, f3, t0;
};

} // namespace ZQ
