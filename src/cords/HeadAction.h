#pragma once

#include "cords/HeadInstance.h"
#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/Random.h"

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

// arc4random() x 2^-32, computed in single precision.
inline float randomFraction() {
    return std::ldexp(static_cast<float>(arc4random()), -32);
}

} // namespace ZQ
