#pragma once

#include "engine/Easing.h"

namespace ZQ {

// The shared easing curves. Each accessor returns one process-wide curve,
// made on first use (safe against concurrent first use) and alive until the
// process ends; tweens point at them and never own them. Every Bezier
// preset runs from (0, 0) to (1, 1).
const Easing* easeInOutCirc();
const Easing* easeInOutQuint();
const Easing* easeOutCubic();
const Easing* easeInCubic();
const Easing* easeSmooth(); // 1.5 t (1 - t) + t³, the common general curve
const Easing* easeOutCirc();
const Easing* easeOutQuart();
const Easing* easeInCirc();
const Easing* easeInQuart();
const Easing* easeInOutQuart();
const Easing* easeOutExpo();
const Easing* easeInExpo();
const Easing* easeOutQuad();
const Easing* easeOutElastic();
const Easing* easeInElastic();

} // namespace ZQ
