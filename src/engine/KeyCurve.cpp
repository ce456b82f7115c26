#include "engine/KeyCurve.h"

#include <cmath>
#include <cstddef>

#include "engine/Assert.h"

namespace ZQ {

float KeyCurve::evaluate(const Keys& keys, float t) {
    ZQ_ASSERT(!keys.empty());
    const std::size_t n = keys.size();
    const PVRTVec2& first = keys.front();
    const PVRTVec2& last = keys.back();
    if (t < first.x) {
        return first.y;
    }
    if (t > last.x || (t == last.x && t > first.x)) {
        return last.y;
    }

    // Largest k with x_k <= t (x_n taken as beyond every t).
    std::size_t k = 0;
    if (t != first.x) {
        std::size_t lo = 0;
        std::size_t hi = n;
        while (hi > lo + 1) {
            const std::size_t mid = (lo + hi) / 2;
            if (keys[mid].x > t) {
                hi = mid;
            } else {
                lo = mid;
            }
        }
        k = lo;
    }
    if (k == n - 1) {
        return last.y;
    }

    const PVRTVec2& a = keys[k];
    const PVRTVec2& b = keys[k + 1];
    const float span = b.x - a.x;
    if (span == 0.0f) {
        return a.y;
    }
    const float u = (t - a.x) / span;
    const float w = 0.5f - 0.5f * std::cos(static_cast<float>(M_PI * static_cast<double>(u)));
    return a.y * (1.0f - w) + b.y * w;
}

} // namespace ZQ
