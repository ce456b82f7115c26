#include "engine/SpotAction.h"

#include "engine/Assert.h"
#include "engine/Spot.h"

namespace ZQ {

SpotAction::SpotAction(const PVRTVec2& pair, float third, const Easing* easing, int32_t frameCount)
    : Tween(easing, frameCount), toPair(pair), toThird(third) {}

Action::State SpotAction::start() {
    const State s = Tween::start();
    const Spot* spot = dynamic_cast<const Spot*>(target);
    ZQ_ASSERT(spot != nullptr);
    fromPair = spot->pair;
    fromThird = spot->third;
    return s;
}

Action::State SpotAction::run() {
    Spot* spot = static_cast<Spot*>(target);
    const float e = curve->ease(t);
    spot->pair = fromPair + (toPair - fromPair) * e;
    spot->third = fromThird + (toThird - fromThird) * e;
    t += step;
    return t > 1.0f ? Success : Running;
}

} // namespace ZQ
