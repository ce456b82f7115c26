#include "engine/Cloudlet.h"

#include "engine/Action.h"
#include "engine/SoundGateway.h"

namespace ZQ {

Cloudlet::~Cloudlet() {
    delete action;
}

void Cloudlet::step() {
    if (action != nullptr) {
        action->tick();
    }
    if (sound != 0) {
        const PVRTVec3 p = layout.position;
        SoundGateway::instance()->moveSource(sound, p.x, p.y, p.z);
    }
}

void Cloudlet::setAction(Action* root) {
    if (root != action) {
        delete action;
        action = root;
    }
    if (action != nullptr) {
        action->setCloudlet(this);
        action->reset();
    }
}

} // namespace ZQ
