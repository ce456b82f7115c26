#include "cords/CordModel.h"

#include "engine/Assert.h"
#include "engine/Log.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// What a particle that no string holds belongs to: last equals first, and
// index -1 tells the caller.
const CordModel::Segment kNoSegment{0, 0, -1};

// Direction vectors longer than one unit are shortened to one; shorter ones
// are kept as they are.
PVRTVec3 capAtUnit(const PVRTVec3& d) {
    const float length = d.length();
    return length > 1.0f ? d / length : d;
}

} // namespace

// The range checks keep their exact spelling: the assertion message quotes it.
// clang-format off
PVRTVec3 CordModel::getParticlePos(int i) const {
    ZQ_ASSERT(i>=0 && i<count);
    return positions[i];
}

PVRTVec3& CordModel::getParticleRef(int i) {
    ZQ_ASSERT(i>=0 && i<count);
    return positions[i];
}

int CordModel::getSegmentIndexForParticle(int p_index) const {
    ZQ_ASSERT(p_index>=0 && p_index<count);
    for (size_t k = 0; k < segments.size(); ++k) {
        if (segments[k].first <= p_index && p_index <= segments[k].last) {
            return static_cast<int>(k);
        }
    }
    return -1;
}
// clang-format on

const CordModel::Segment& CordModel::getSegmentForParticle(int p_index) const {
    const int k = getSegmentIndexForParticle(p_index);
    if (k < 0) {
        platformLog("p_index out of cord");
        return kNoSegment;
    }
    return segments[k];
}

float CordModel::getSegmentPercentualeForParticle(int p_index) const {
    const int k = getSegmentIndexForParticle(p_index);
    if (k < 0) {
        return -1.0f;
    }
    const Segment& s = segments[k];
    if (s.last == s.first) {
        return 0.0f; // a one-particle string: its only particle is its start
    }
    return static_cast<float>(p_index - s.first) / static_cast<float>(s.last - s.first);
}

PVRTVec3 CordModel::getParticleDir(int p_index) const {
    const Segment& s = getSegmentForParticle(p_index);
    int q = std::min(s.last, p_index + 1);
    if (q == p_index) {
        q = p_index - 1;
    }
    // Particle 0 alone in its string (or in none) has no neighbour to point at.
    if (q < 0) {
        return PVRTVec3();
    }
    return capAtUnit(positions[q] - positions[p_index]);
}

PVRTVec2 CordModel::getParticleAngle(int p_index) const {
    const Segment& s = getSegmentForParticle(p_index);
    const PVRTVec3 d =
        capAtUnit(positions[std::min(s.last, p_index + 1)] - positions[std::max(s.first, p_index - 1)]);
    const float length = d.length();
    // Clamped: rounding may put |d.z| / |d| a hair above 1, and a zero vector
    // (a string of one particle) lies in the xy plane rather than yield NaN.
    const float cosPolar = length > 0.0f ? std::clamp(d.z / length, -1.0f, 1.0f) : 0.0f;
    return PVRTVec2(std::atan2(d.y, d.x), std::acos(cosPolar));
}

} // namespace ZQ
