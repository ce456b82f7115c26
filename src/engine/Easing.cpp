#include "engine/Easing.h"

#include <cmath>

namespace ZQ {

float EasingBezierCubic::ease(float t) const {
    const float u = 1.0f - t;
    return (u * u * u) * p0.y + (3.0f * u * u * t) * p1.y + (3.0f * u * t * t) * p2.y + (t * t * t) * p3.y;
}

namespace {

// 2π / 0.3, π / 2 and 43π / 6 as the nearest floats (the π / 2 one is one
// unit in the last place above the float nearest to π / 2).
constexpr float kElasticFrequency = 20.943951f;
constexpr float kQuarterTurn = 1.5707965f;
constexpr float kInElasticPhase = 22.514748f;

} // namespace

float EasingOutElastic::ease(float t) const {
    return 1.0f + std::pow(2.0f, -10.0f * t) * std::sin(kElasticFrequency * t - kQuarterTurn);
}

float EasingInElastic::ease(float t) const {
    return std::pow(2.0f, 10.0f * t - 10.0f) * std::sin(kInElasticPhase - kElasticFrequency * t);
}

} // namespace ZQ
