#include "engine/SocialGateway.h"

namespace ZQ {

namespace {

// Lives until the process ends, like the built-in sound gateway: a tile may
// still ask while other statics are torn down.
SocialGateway* builtInGateway() {
    static SocialGateway* const gateway = new SocialGateway();
    return gateway;
}

ISocialGateway* gCurrent = nullptr;

} // namespace

ISocialGateway* SocialGateway::instance() {
    if (gCurrent == nullptr) {
        gCurrent = builtInGateway();
    }
    return gCurrent;
}

ISocialGateway* SocialGateway::setInstance(ISocialGateway* gateway) {
    ISocialGateway* previous = instance();
    gCurrent = gateway != nullptr ? gateway : builtInGateway();
    return previous;
}

bool SocialGateway::isSharingEnabled() {
    ISocialGateway* gateway = instance();
    return gateway->isSnapshotTaken() &&
           (gateway->isTwAvailable() || gateway->isFbAvailable() || gateway->canSendEmail());
}

} // namespace ZQ
