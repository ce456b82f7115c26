#include "platform/ZQAudioSession.h"

#include "engine/SoundGateway.h"
#include "platform/ZQMusicPlayerModel.h"
#include "platform/ZQSoundEffectsModel.h"

ZQAudioSession::ZQAudioSession(ZQMusicPlayerModel* music, ZQSoundEffectsModel* fx) : fx(fx), music(music) {}

void ZQAudioSession::setUp() {
    initAudioSession();
}

void ZQAudioSession::tearDown() {}

void ZQAudioSession::initAudioSession() {
    if (isOtherAudioPlaying()) {
        ZQ::setMusicMuted(true);
    }
    // No piece is loaded yet: this only settles whether the first one sounds.
    if (music->isMuteMusic()) {
        music->turnOff();
    } else {
        music->turnOn();
    }
}

void ZQAudioSession::handleInterruption(int type) {
    if (type == InterruptionBegan) {
        fx->suspendContext();
    } else if (type == InterruptionEnded) {
        fx->resumeContext();
        // The music player resumes by itself once the interruption ends.
        music->play();
    }
}
