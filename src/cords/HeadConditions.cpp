#include "cords/HeadConditions.h"

#include "cords/CordModel.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"

#include <cstdlib>

namespace ZQ {

namespace {

const CordModel& cordModel() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    return *gGlobals.cordModel;
}

} // namespace

Action::State HeadCheckFear::run() {
    return head().fear ? Running : Success;
}

Action::State HeadCheckEnemy::run() {
    return enemy().segmentIndex == head().segmentIndex ? Success : Failure;
}

Action::State HeadHasTarget::start() {
    const HeadInstance* other = head().target;
    return other == nullptr || other->calm ? Failure : Success;
}

Action::State HeadStuckCheck::start() {
    // Far from anywhere: the first run never counts as standing still.
    lastPosition = PVRTVec3(-10000.0f, -10000.0f, -10000.0f);
    count = 0;
    return Running;
}

Action::State HeadStuckCheck::run() {
    const PVRTVec3 p = head().getPosition();
    if ((lastPosition - p).length() < 0.01f) {
        ++count;
    }
    if (count < 4) {
        lastPosition = p;
        return Running;
    }
    return Failure;
}

Action::State HeadChooseTarget::run() {
    HeadInstance& self = head();
    self.target = nullptr;
    ZQ_ASSERT(gGlobals.headModel != nullptr);
    const HeadModel& heads = *gGlobals.headModel;
    // The head's place in the list: 2 x string + side while the list holds
    // one pair per string, and still the right row when a second call of
    // createHeads appended more.
    int32_t own = -1;
    for (size_t k = 0; k < heads.heads.size(); ++k) {
        if (heads.heads[k] == &self) {
            own = static_cast<int32_t>(k);
            break;
        }
    }
    if (own < 0) {
        return Running;
    }
    for (int32_t k = 0; k < static_cast<int32_t>(heads.heads.size()); ++k) {
        if (k != own && heads.sight(own, k)) {
            self.target = heads.heads[k];
            return Failure;
        }
    }
    return Running;
}

Action::State HeadChooseDestination::start() {
    const CordModel& cord = cordModel();
    const float r = randomFraction();
    const float scale = gGlobals.worldScale;
    const PVRTVec3& lo = cord.boxMin();
    const PVRTVec3& hi = cord.boxMax();
    head().destination.position =
        PVRTVec3((lo.x + r * (hi.x - lo.x)) * scale, (lo.y + r * (hi.y - lo.y)) * scale,
                 (lo.z + r * (hi.z - lo.z)) * scale);
    return Success;
}

Action::State HeadChooseParticle::run() {
    HeadInstance& self = head();
    self.target = nullptr;
    const CordModel& cord = cordModel();
    const float reach = 0.25f * gGlobals.screenSize.x;
    const int32_t h = self.headParticle;
    const PVRTVec3 at = cord.getParticlePos(h);

    int32_t best = -1;
    float bestDistance = 0.0f;
    if (cord.stringCount() >= 2) {
        // The nearest particle of any other string; ties keep the first.
        for (const CordModel::Segment& s : cord.segments) {
            if (s.first <= h && h <= s.last) {
                continue;
            }
            for (int32_t p = s.first; p <= s.last; ++p) {
                const float d = (cord.positions[p] - at).length();
                if (best < 0 || d < bestDistance) {
                    best = p;
                    bestDistance = d;
                }
            }
        }
    } else if (cord.stringCount() == 1) {
        // Within reach, the farthest along the string; ties keep the first.
        const CordModel::Segment& s = cord.segments[0];
        int32_t bestSpan = -1;
        for (int32_t p = s.first; p <= s.last; ++p) {
            const float d = (cord.positions[p] - at).length();
            if (d < reach && std::abs(p - h) > bestSpan) {
                best = p;
                bestDistance = d;
                bestSpan = std::abs(p - h);
            }
        }
    }
    if (best >= 0 && bestDistance < reach) {
        self.chosenParticle = best;
        return Success;
    }
    return Running;
}

} // namespace ZQ
