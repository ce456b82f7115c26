#include "game/GameServiceGateway.h"

namespace ZQ {

namespace {

// Lives until the process ends: a report may come while statics go.
GameServiceGateway* builtInGateway() {
    static GameServiceGateway* const gateway = new GameServiceGateway();
    return gateway;
}

IGameServiceGateway* gCurrent = nullptr;

} // namespace

IGameServiceGateway* GameServiceGateway::instance() {
    if (gCurrent == nullptr) {
        gCurrent = builtInGateway();
    }
    return gCurrent;
}

IGameServiceGateway* GameServiceGateway::setInstance(IGameServiceGateway* gateway) {
    IGameServiceGateway* previous = instance();
    gCurrent = gateway != nullptr ? gateway : builtInGateway();
    return previous;
}

} // namespace ZQ
