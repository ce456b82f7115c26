#pragma once

#include "engine/Action.h"
#include "engine/SoundGateway.h"

namespace ZQ {

// Plays one positioned effect of the process-wide sound gateway at the bound
// item's position when it starts, leaves the returned handle on the item
// (which then moves the sound with it every step) and succeeds at once, for
// example new SoundAction(&ISoundGateway::playStringOut).
class SoundAction : public Action {
public:
    // play must not be null.
    explicit SoundAction(PositionedSound play);

    State start() override;

private:
    PositionedSound play = nullptr;
};

} // namespace ZQ
