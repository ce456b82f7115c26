#include "cords/SlideAction.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"

#include <algorithm>
#include <utility>

namespace ZQ {

SlideAction::SlideAction(std::set<int> pathParticles, int32_t pathSign, int32_t duration)
    : particles(std::move(pathParticles)), sign(pathSign), frames(duration) {}

Action::State SlideAction::start() {
    // A duration below one frame still shows the marker once.
    step = 1.0f / static_cast<float>(std::max(frames, 1));
    t = 0.0f;
    return Running;
}

Action::State SlideAction::run() {
    if (t >= 1.0f) {
        return Success;
    }
    ZQ_ASSERT(target != nullptr);
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    const CordModel& cord = *gGlobals.cordModel;

    path.assign(particles.begin(), particles.end());
    if (sign < 0) {
        std::reverse(path.begin(), path.end());
    }
    const size_t n = path.size();
    if (n == 1) {
        target->layout.position = cord.getParticlePos(path[0]);
    } else if (n > 1) {
        // Particle j sits at parameter j / (n - 1); t falls between two of
        // them (the first parameter is 0 and t < 1 here), found by bisection.
        const float last = static_cast<float>(n - 1);
        size_t lo = 0;
        size_t hi = n - 1;
        while (hi - lo > 1) {
            const size_t mid = (lo + hi) / 2;
            if (static_cast<float>(mid) / last <= t) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        const float t0 = static_cast<float>(lo) / last;
        const float t1 = static_cast<float>(hi) / last;
        const float f = (t - t0) / (t1 - t0);
        const PVRTVec3 a = cord.getParticlePos(path[lo]);
        const PVRTVec3 b = cord.getParticlePos(path[hi]);
        target->layout.position = a + (b - a) * f;
    }
    t += step;
    return Running;
}

} // namespace ZQ
