#include "engine/SoundGateway.h"

namespace ZQ {

namespace {

// Lives until the process ends: sound may still be asked for while other
// statics are torn down.
SoundGateway* builtInGateway() {
    static SoundGateway* const gateway = new SoundGateway();
    return gateway;
}

ISoundGateway* gCurrent = nullptr;
bool gMusicMuted = false;

} // namespace

bool isMusicMuted() {
    return gMusicMuted;
}

void setMusicMuted(bool muted) {
    gMusicMuted = muted;
}

ISoundGateway* SoundGateway::instance() {
    if (gCurrent == nullptr) {
        gCurrent = builtInGateway();
    }
    return gCurrent;
}

ISoundGateway* SoundGateway::setInstance(ISoundGateway* gateway) {
    ISoundGateway* previous = instance();
    gCurrent = gateway != nullptr ? gateway : builtInGateway();
    return previous;
}

} // namespace ZQ
