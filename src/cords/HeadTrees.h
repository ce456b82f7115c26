#pragma once

#include "engine/Composite.h"

namespace ZQ {

// The roaming tree's loop of "pick a destination, move there". A pick that
// lands within 4 units of the head ends its helix at once, so a whole pass
// can finish in one tick; a plain Loop would then pick again and again in
// that same tick (or stop the program). This one ends the tick instead and
// carries on with the next pass in the next frame; otherwise it is a Loop.
class HeadRoamLoop : public Loop {
public:
    using Loop::Loop;
    State run() override;
};

} // namespace ZQ
