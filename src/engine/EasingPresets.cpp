#include "engine/EasingPresets.h"

namespace ZQ {

namespace {

// The two inner control points of a Bezier preset.
struct BezierPreset {
    PVRTVec2 p1;
    PVRTVec2 p2;
};

// clang-format off
//                                                 p1                 p2
constexpr BezierPreset kEaseInOutCirc  = {{0.785f, 0.135f}, {0.15f,  0.86f}};
constexpr BezierPreset kEaseInOutQuint = {{0.86f,  0.0f},   {0.07f,  1.0f}};
constexpr BezierPreset kEaseOutCubic   = {{0.215f, 0.61f},  {0.355f, 1.0f}};
constexpr BezierPreset kEaseInCubic    = {{0.55f,  0.055f}, {0.675f, 0.19f}};
constexpr BezierPreset kEaseSmooth     = {{0.5f,   0.5f},   {0.5f,   0.5f}};
constexpr BezierPreset kEaseOutCirc    = {{0.075f, 0.82f},  {0.165f, 1.0f}};
constexpr BezierPreset kEaseOutQuart   = {{0.165f, 0.84f},  {0.44f,  1.0f}};
constexpr BezierPreset kEaseInCirc     = {{0.6f,   0.04f},  {0.98f,  0.335f}};
constexpr BezierPreset kEaseInQuart    = {{0.895f, 0.03f},  {0.685f, 0.22f}};
constexpr BezierPreset kEaseInOutQuart = {{0.77f,  0.0f},   {0.175f, 1.0f}};
constexpr BezierPreset kEaseOutExpo    = {{0.19f,  1.0f},   {0.22f,  1.0f}};
constexpr BezierPreset kEaseInExpo     = {{0.95f,  0.05f},  {0.795f, 0.035f}};
constexpr BezierPreset kEaseOutQuad    = {{0.25f,  0.46f},  {0.45f,  0.94f}};
// clang-format on

template <const BezierPreset& preset> const Easing* bezierPreset() {
    static const EasingBezierCubic curve({0.0f, 0.0f}, preset.p1, preset.p2, {1.0f, 1.0f});
    return &curve;
}

} // namespace

const Easing* easeInOutCirc() {
    return bezierPreset<kEaseInOutCirc>();
}
const Easing* easeInOutQuint() {
    return bezierPreset<kEaseInOutQuint>();
}
const Easing* easeOutCubic() {
    return bezierPreset<kEaseOutCubic>();
}
const Easing* easeInCubic() {
    return bezierPreset<kEaseInCubic>();
}
const Easing* easeSmooth() {
    return bezierPreset<kEaseSmooth>();
}
const Easing* easeOutCirc() {
    return bezierPreset<kEaseOutCirc>();
}
const Easing* easeOutQuart() {
    return bezierPreset<kEaseOutQuart>();
}
const Easing* easeInCirc() {
    return bezierPreset<kEaseInCirc>();
}
const Easing* easeInQuart() {
    return bezierPreset<kEaseInQuart>();
}
const Easing* easeInOutQuart() {
    return bezierPreset<kEaseInOutQuart>();
}
const Easing* easeOutExpo() {
    return bezierPreset<kEaseOutExpo>();
}
const Easing* easeInExpo() {
    return bezierPreset<kEaseInExpo>();
}
const Easing* easeOutQuad() {
    return bezierPreset<kEaseOutQuad>();
}

const Easing* easeOutElastic() {
    static const EasingOutElastic curve;
    return &curve;
}

const Easing* easeInElastic() {
    static const EasingInElastic curve;
    return &curve;
}

} // namespace ZQ
