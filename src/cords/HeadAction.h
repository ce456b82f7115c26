#pragma once

#include "cords/HeadInstance.h"
#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/Random.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

// Base of the actions of a head's behaviour tree: they act on the head the
// tree is bound to. In the formulas of these actions P is the head's position
// and T its target's, both world units, and "push" adds one temporary force
// on the head particle.
class HeadAction : public Action {
protected:
    HeadInstance& head() const {
        ZQ_ASSERT(target != nullptr);
        return static_cast<HeadInstance&>(*target);
    }
    // The head's target; the trees guard every action that reads it.
    HeadInstance& enemy() const {
        HeadInstance* other = head().target;
        ZQ_ASSERT(other != nullptr);
        return *other;
    }
};

// An action that runs a phase from 0 to 1 at a fixed rate per run. Whether a
// run advances before or after it tests for the end decides how many pushes
// the action makes, so each run says which it does.
class HeadPhasedAction : public HeadAction {
protected:
    void startPhase(float perRun) {
        phase = 0.0f;
        rate = perRun;
    }
    void advance() { phase += rate; }
    bool phaseDone() const { return phase >= 1.0f; }

    float phase = 0.0f;
    float rate = 0.0f;
};

// v cut to unit length when longer, times its length capped at `cap`: a pull
// that grows with the distance but never flings the head.
inline PVRTVec3 cappedPull(const PVRTVec3& v, float cap) {
    const float length = v.length();
    return (length > 1.0f ? v / length : v) * std::min(length, cap);
}

// arc4random() x 2^-32, computed in single precision.
inline float randomFraction() {
    return std::ldexp(static_cast<float>(arc4random()), -32);
}

} // namespace ZQ
