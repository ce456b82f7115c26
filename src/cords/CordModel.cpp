#include "cords/CordModel.h"

#include "cords/Cord.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/SceneCamera.h"
#include "engine/physics/FxConstraint.h"
#include "engine/physics/FxParticleSystem.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// Particles are laid every 2 world units of arc, the rest length of a link;
// particles two apart are kept at least 3 units apart, which keeps a string
// from folding back on itself.
constexpr float kLinkLength = 2.0f;
constexpr float kDistanceMinimum = 3.0f;
constexpr int kSettleSteps = 10;

// The pair weight of the energies and the centre: (link length / distance)²,
// large for particles in contact, small for those far apart.
inline float pairWeight(const PVRTVec3& a, const PVRTVec3& b) {
    return 4.0f / (a - b).lenSqr();
}

inline bool holds(const CordModel::Segment& s, int32_t i) {
    return s.first <= i && i <= s.last;
}

// A divisor of at least 1: a string too short for any pair (cords never have
// one) then measures 0 instead of dividing by zero.
inline float atLeastOne(int32_t n) {
    return static_cast<float>(std::max(n, 1));
}

// How much string `over` touches string `with`: the pair weights of every
// particle of one with every particle of the other, per link of `over`.
float contact(const CordModel::Segment& over, const CordModel::Segment& with, const PVRTVec3* p) {
    float sum = 0.0f;
    for (int32_t i = over.first; i <= over.last; ++i) {
        for (int32_t j = with.first; j <= with.last; ++j) {
            sum += pairWeight(p[i], p[j]);
        }
    }
    return sum / atLeastOne(over.last - over.first);
}

Fx::ParticleSystem& mainWorld() {
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    return *gGlobals.particleSystem1;
}

// The box the cord's particles are bound to, in world units: 3 screens wide,
// 1.4 high and 1.1 deep, the room the cord hangs in.
Fx::BoundConstraint::Corners cordBox() {
    const float s = gGlobals.worldScale;
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    return Fx::BoundConstraint::boxCorners(PVRTVec3(-1.5f * w * s, -0.7f * h * s, -0.55f * h * s),
                                           PVRTVec3(1.5f * w * s, 0.7f * h * s, 0.55f * h * s));
}

void fillCorners(PVRTVec3 (&corners)[8], const PVRTVec3& lo, const PVRTVec3& hi) {
    for (int k = 0; k < 8; ++k) {
        corners[k] = PVRTVec3((k & 4) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 1) ? hi.z : lo.z);
    }
}

// Σ w[i] / S · positions[i] blended into the old centre with weight `keep`.
// With no weight at all (too few particles to form a pair) the centre stays.
PVRTVec3 blendCentre(const PVRTVec3& centre, const float* w, const PVRTVec3* positions, int32_t count,
                     float keep, float scale) {
    float total = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        total += w[i];
    }
    if (!(total > 0.0f) || !std::isfinite(total)) {
        return centre;
    }
    PVRTVec3 target;
    for (int32_t i = 0; i < count; ++i) {
        target += positions[i] * (w[i] / total);
    }
    return (target + centre * keep) * scale;
}

} // namespace

CordModel::CordModel() : instance(new CordInstance()) {}

CordModel::CordModel(Fx::ParticleSystem& world) : instance(new CordInstance()), ownWorld(&world) {}

Fx::ParticleSystem& CordModel::world() const {
    return ownWorld != nullptr ? *ownWorld : mainWorld();
}

CordModel::~CordModel() {
    delete instance;
}

void CordModel::setUp() {
    instance->radius = 0.0f;
    instance->layout.alpha = 0.0f;
}

void CordModel::loadCord(Cord& cord, const CordSettings& cordSettings) {
    Fx::ParticleSystem& world = this->world();
    settings = cordSettings;
    if (ownWorld != nullptr) {
        ownWorld->setFrictionCoefficient(settings.friction);
    } else {
        for (Fx::ParticleSystem* each :
             {gGlobals.particleSystem1, gGlobals.particleSystem2, gGlobals.particleSystem3}) {
            if (each != nullptr) {
                each->setFrictionCoefficient(settings.friction);
            }
        }
    }
    ZQ_ASSERT(cord.strings >= 1 && cord.strings <= MAX_CORD_STRINGS);
    const Fx::BoundConstraint::Corners box = cordBox();

    // One particle every link length along the curve, arc 0 included.
    const int32_t base = world.getParticleCount();
    if (cord.totalLength > 0.0f) {
        for (float arc = 0.0f; arc < cord.totalLength; arc += kLinkLength) {
            const int32_t p = world.addParticle(cord.pointAtLength(arc));
            world.addConstaint(new Fx::BoundConstraint(p, box));
        }
    }
    const int32_t n = world.getParticleCount() - base;

    // The chain is cut into equal strings; the last one takes the remainder.
    const int32_t strings = cord.strings;
    const int32_t k = n / strings;
    const size_t firstNew = segments.size();
    for (int32_t i = 0; i < strings - 1; ++i) {
        segments.push_back({base + i * k, base + (i + 1) * k - 1, i});
    }
    segments.push_back({base + (strings - 1) * k, base + n - 1, strings - 1});

    for (size_t s = firstNew; s < segments.size(); ++s) {
        const Segment& seg = segments[s];
        for (int32_t j = seg.first; j < seg.last; ++j) {
            world.addConstaint(new Fx::LinkConstraint(j, j + 1, kLinkLength));
        }
        for (int32_t j = seg.first; j <= seg.last - 2; ++j) {
            world.addConstaint(new Fx::DistanceConstraint(j, j + 2, kDistanceMinimum));
        }
    }
    count = world.getParticleCount();

    if (cord.settle) {
        for (int i = 0; i < kSettleSteps; ++i) {
            world.step(false);
        }
    }

    for (int32_t i = 0; i < strings; ++i) {
        energy.push_back(kLoadEnergy);
        startEnergy.push_back(kLoadEnergy);
    }
    energyFlag = false;
}

void CordModel::unload() {
    Fx::ParticleSystem& world = this->world();
    world.tearDown();
    world.setUp();
    segments.clear();
    energy.clear();
    startEnergy.clear();
    count = 0;
}

void CordModel::measureEnergies() {
    energyFlag = true;
    updateEnergies();
    startEnergy = energy;
}

void CordModel::doStep() {
    if (paused) {
        return;
    }
    mirrorParticles();
    if (count == 0) {
        const PVRTVec2& screen = gGlobals.screenSize;
        fillCorners(corners, PVRTVec3(), PVRTVec3(screen.x, screen.y, screen.y));
        centre = PVRTVec3();
        return;
    }
    updateBoundingBox();
    updateCentre();
    updateEnergies();
    applySolvedRules();
    instance->step();
}

void CordModel::mirrorParticles() {
    const Fx::ParticleSystem& world = this->world();
    count = world.getParticleCount();
    ZQ_ASSERT(count <= kMaxParticles);
    const PVRTVec3* p = world.getPositions();
    const float scale = gGlobals.worldScale;
    for (int32_t i = 0; i < count; ++i) {
        positions[i] = p[i] / scale;
    }

    if (count == 0) {
        return;
    }
    ZQ_ASSERT(gGlobals.sceneCamera != nullptr);
    const PVRTMat4 view = gGlobals.sceneCamera->viewMatrix();
    const PVRTVec2& screen = gGlobals.screenSize;
    for (int32_t i = 0; i < count; ++i) {
        const PVRTVec2 ndc = projectPoint(view, positions[i], false);
        screenPositions[i] = PVRTVec2((ndc.x * 0.5f + 0.5f) * screen.x, (ndc.y * 0.5f + 0.5f) * screen.y);
    }
}

void CordModel::updateBoundingBox() {
    // Seeded with the first particle, so "lower replaces the minimum, else
    // higher replaces the maximum" can never miss a maximum the way it would
    // from a box of ±infinity.
    PVRTVec3 lo = positions[0];
    PVRTVec3 hi = positions[0];
    for (int32_t i = 1; i < count; ++i) {
        const PVRTVec3& p = positions[i];
        if (p.x < lo.x) {
            lo.x = p.x;
        } else if (p.x > hi.x) {
            hi.x = p.x;
        }
        if (p.y < lo.y) {
            lo.y = p.y;
        } else if (p.y > hi.y) {
            hi.y = p.y;
        }
        if (p.z < lo.z) {
            lo.z = p.z;
        } else if (p.z > hi.z) {
            hi.z = p.z;
        }
    }
    fillCorners(corners, lo, hi);
}

void CordModel::updateCentre() {
    const size_t n = segments.size();
    if (n == 0) {
        const PVRTVec2& screen = gGlobals.screenSize;
        centre = PVRTVec3(0.5f * screen.x, 0.5f * screen.y, 0.5f * screen.y);
        return;
    }
    const PVRTVec3* p = world().getPositions();
    float w[kMaxParticles] = {};

    if (n == 1) {
        // Each inner particle weighs how crowded it is by every particle that
        // is not its neighbour: the centre drifts toward the knotted part.
        for (int32_t i = 1; i < count - 1; ++i) {
            float sum = 0.0f;
            for (int32_t j = 0; j < count; ++j) {
                if (j < i - 1 || j > i + 1) {
                    sum += pairWeight(p[i], p[j]);
                }
            }
            w[i] = sum;
        }
        centre = blendCentre(centre, w, positions, count, 29.0f, 0.033333335f);
        return;
    }

    // Several strings: the camera looks at the two strings in most contact.
    // P[a][b] sums the pair weights of strings a and b over a's span; ties go
    // to the first pair scanned.
    int32_t bestA = -1;
    int32_t bestB = -1;
    float best = 0.0f;
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = 0; b < n; ++b) {
            if (a == b) {
                continue;
            }
            const float value = contact(segments[a], segments[b], p);
            if (bestA < 0 || value > best) {
                best = value;
                bestA = static_cast<int32_t>(a);
                bestB = static_cast<int32_t>(b);
            }
        }
    }
    const Segment& sa = segments[bestA];
    const Segment& sb = segments[bestB];
    for (int32_t i = 0; i < count - 1; ++i) {
        if (!holds(sa, i) && !holds(sb, i)) {
            continue;
        }
        float sum = 0.0f;
        for (int32_t j = i + 1; j < count; ++j) {
            if (holds(sa, j) || holds(sb, j)) {
                sum += pairWeight(p[i], p[j]);
            }
        }
        w[i] = sum;
    }
    centre = blendCentre(centre, w, positions, count, 59.0f, 0.016666668f);
}

void CordModel::updateEnergies() {
    if (!energyFlag) {
        return;
    }
    const size_t n = segments.size();
    ZQ_ASSERT(energy.size() == n);
    const PVRTVec3* p = world().getPositions();

    if (n == 1) {
        // The mean over the string of how crowded each particle is by the
        // particles beyond its neighbour.
        const Segment& s = segments[0];
        float total = 0.0f;
        for (int32_t a = s.first; a <= s.last - 2; ++a) {
            float sum = 0.0f;
            for (int32_t b = a + 2; b <= s.last; ++b) {
                sum += pairWeight(p[a], p[b]);
            }
            total += sum;
        }
        energy[0] = total / atLeastOne(s.last - s.first - 1);
        return;
    }

    // Each string takes the worst of its contacts with the other strings; a
    // pair's contact is normalised by the later string's span.
    std::fill(energy.begin(), energy.end(), 0.0f);
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b < n; ++b) {
            const float value = contact(segments[b], segments[a], p);
            energy[a] = std::max(energy[a], value);
            energy[b] = std::max(energy[b], value);
        }
    }
}

void CordModel::applySolvedRules() {
    const size_t n = segments.size();
    if (n == 0) {
        solved = false;
        return;
    }
    if (n == 1) {
        const float e = energy[0];
        if (e >= kSingleSolved && e < kSingleAlmost) {
            notify(&EventListener::onAlmostSolved);
        }
        solved = e < kSingleSolved;
        if (solved) {
            notify(&EventListener::onSolved);
        }
        return;
    }
    // The last string is not consulted: every pair value it takes is also
    // taken by the other string of the pair, so it never exceeds the others.
    bool almost = true;
    bool allBelow = true;
    for (size_t i = 0; i + 1 < n; ++i) {
        almost = almost && energy[i] >= kMultiSolved && energy[i] <= kMultiAlmost;
        allBelow = allBelow && energy[i] < kMultiSolved;
    }
    if (almost) {
        notify(&EventListener::onAlmostSolved);
    }
    solved = allBelow;
    if (solved) {
        notify(&EventListener::onSolved);
    }
}

} // namespace ZQ
