#include "cords/CordModel.h"
#include "cords/GraspFactory.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

namespace ZQ {

namespace {

// Thresholds of the stroke judgement, in multiples of the touch radius or as
// cosines between the stroke and the cord on screen.
constexpr float kReachRadii = 2.0f; // how close the stroke must pass the cord
constexpr float kEndAlong = 0.7f;   // a loose end must lie along the stroke
constexpr float kPathAlong = 0.5f;  // the path follows the cord while it keeps to the stroke
constexpr float kFarAway = 1e10f;   // start of the reach test's minimum

const CordModel& cordModel() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    return *gGlobals.cordModel;
}

// An anchor is an inner particle of its string, so both neighbours exist.
int clampIntoSegment(const CordModel& cord, int particle) {
    const CordModel::Segment& s = cord.getSegmentForParticle(particle);
    const float lo = static_cast<float>(s.first + 1);
    const float hi = static_cast<float>(s.last - 1);
    return static_cast<int>(std::trunc(std::min(std::max(static_cast<float>(particle), lo), hi)));
}

} // namespace

float SlideFactory::strokeDistance(const PVRTVec2& q) const {
    const PVRTVec2 d = endPoint - startPoint;
    const float lengthSqr = d.lenSqr();
    // A stroke of no length is a point: every t is 0.
    const float t = lengthSqr > 0.0f ? (q - startPoint).dot(d) / lengthSqr : 0.0f;
    if (t > 1.0f) {
        return (endPoint - q).length();
    }
    if (t < 0.0f) {
        return (startPoint - q).length();
    }
    return (q - (startPoint + d * t)).length();
}

int32_t SlideFactory::windowLength(float strokeLength) const {
    if (strokeLength < radius) {
        return 3;
    }
    if (strokeLength > 10.0f * radius) {
        return 5;
    }
    return static_cast<int32_t>(3.0f + 2.0f * (strokeLength - radius) / (9.0f * radius));
}

void SlideFactory::select() {
    const PVRTVec2 dn = capAtUnit(endPoint - startPoint);
    if (!selectAtEnd(dn)) {
        selectWindow();
    }
    if (anchor >= 0) {
        anchor = clampIntoSegment(cordModel(), anchor);
    }
}

// A stroke that starts or ends at a string's loose end and runs along it
// anchors there: the visible end particle closest to the stroke whose
// neighbour lies along the stroke's direction.
bool SlideFactory::selectAtEnd(const PVRTVec2& dn) {
    const CordModel& cord = cordModel();
    std::unordered_set<int> visible;
    CordModel::pickVisibleParticles(cord, visible, radius);
    const PVRTMat4 view = currentView();
    const float reach = kReachRadii * radius;

    bool found = false;
    float best = 0.0f;
    const auto test = [&](int x, int y) {
        const PVRTVec2 q = screenProjection(view, cord.getParticlePos(x));
        const PVRTVec2 u = capAtUnit(screenProjection(view, cord.getParticlePos(y)) - q);
        const float distance = strokeDistance(q);
        // On equal distance the end found last wins.
        if (distance < reach && std::fabs(u.dot(dn)) > kEndAlong && (!found || distance <= best)) {
            found = true;
            best = distance;
            anchor = x;
        }
    };
    for (const CordModel::Segment& s : cord.segments) {
        if (s.last <= s.first) {
            continue; // a string of one particle has no direction to run along
        }
        if (visible.count(s.first) != 0) {
            test(s.first, s.first + 1);
        }
        if (visible.count(s.last) != 0) {
            test(s.last, s.last - 1);
        }
    }
    return found;
}

// Otherwise the stroke anchors at the middle of the run of m visible
// particles that lies closest to it, m growing with the stroke's length.
void SlideFactory::selectWindow() {
    const CordModel& cord = cordModel();
    anchor = -1;

    float nearest = kFarAway;
    for (int i = 0; i < cord.count; ++i) {
        nearest = std::min(nearest, strokeDistance(cord.screenPositions[i]));
    }
    if (nearest > kReachRadii * radius) {
        return;
    }

    std::unordered_set<int> visible;
    CordModel::pickVisibleParticles(cord, visible, 2.0f * radius);
    const int32_t m = windowLength((endPoint - startPoint).length());

    bool kept = false;
    float keptCost = 0.0f;
    int keptFirst = 0;
    for (const CordModel::Segment& s : cord.segments) {
        for (int i = s.first + 1; i < s.last - m; ++i) {
            if (visible.count(i) == 0) {
                continue;
            }
            float cost = 0.0f;
            for (int j = i; j < i + m; ++j) {
                cost += strokeDistance(cord.screenPositions[j]);
            }
            // On equal cost the earlier window stays.
            if (!kept || cost < keptCost) {
                kept = true;
                keptCost = cost;
                keptFirst = i;
            }
        }
    }
    if (kept) {
        anchor = (keptFirst + keptFirst + m - 1) / 2;
    }
}

SlideGrasp* SlideFactory::make() {
    if (anchor < 0) {
        return nullptr;
    }
    const CordModel& cord = cordModel();
    const PVRTMat4 view = currentView();
    const auto screenOf = [&](int i) { return screenProjection(view, cord.getParticlePos(i)); };
    direction = capAtUnit(endPoint - startPoint);

    // The path runs toward the neighbour the stroke moved to.
    const PVRTVec2 a = screenOf(anchor - 1);
    const PVRTVec2 b = screenOf(anchor + 1);
    const float toB = (endPoint - b).length() + (startPoint - a).length();
    const float toA = (endPoint - a).length() + (startPoint - b).length();
    sign = toB < toA ? 1 : -1;

    const CordModel::Segment& s = cord.getSegmentForParticle(anchor);
    int k = clampIntoSegment(cord, anchor);
    std::set<int> sel = {k, k + sign, k - sign};
    // Onward from the anchor while the cord's screen direction stays within
    // the cone |cos| > 0.5 of the stroke, up to the string's end.
    while (s.first < k && k < s.last) {
        const int n = k + sign;
        const PVRTVec2 u = capAtUnit(screenOf(n) - screenOf(k));
        if (std::fabs(direction.dot(u)) <= kPathAlong) {
            break;
        }
        sel.insert(n);
        if (n <= s.first || n >= s.last) {
            break;
        }
        k = n;
    }
    ZQ_ASSERT(sel.size());

    std::vector<int> path(sel.begin(), sel.end());
    if (sign < 0) {
        std::reverse(path.begin(), path.end());
    }
    return new SlideGrasp(anchor, sign, direction, std::move(path));
}

} // namespace ZQ
