#include "engine/SoundAction.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"

namespace ZQ {

SoundAction::SoundAction(PositionedSound operation) : play(operation) {
    ZQ_ASSERT(play != nullptr);
}

Action::State SoundAction::start() {
    ZQ_ASSERT(target != nullptr);
    const PVRTVec3 p = target->layout.position;
    target->sound = (SoundGateway::instance()->*play)(p.x, p.y, p.z);
    return Success;
}

} // namespace ZQ
