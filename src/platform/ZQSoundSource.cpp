#include "platform/ZQSoundSource.h"

#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "platform/ZQSoundBuffer.h"
#include "stage/CameraModel.h"

void ZQSoundSource::setUp() {
    alGenSources(1, &sourceId);
}

void ZQSoundSource::tearDown() {
    if (sourceId != 0) {
        alSourceStop(sourceId);
        alSourcei(sourceId, AL_BUFFER, 0);
        alDeleteSources(1, &sourceId);
        sourceId = 0;
    }
    soundBuffer = nullptr;
}

void ZQSoundSource::play(ZQSoundBuffer* buffer, bool loop, float gain, float x, float y, float z,
                         const PVRTVec3* reference, bool orthographic) {
    soundBuffer = buffer;
    position = PVRTVec3(x, y, z);
    looping = loop ? 1 : 0;
    gainLevel = gain;
    ortho = orthographic;
    positionRef = reference;
    if (positionRef != nullptr) {
        position = *positionRef;
    }
    alSourcei(sourceId, AL_BUFFER, static_cast<ALint>(buffer->dbo));
    // The source may have played another sound at another gain and place:
    // the new one starts with its own, not a frame later.
    applySettings();
    alSourcePlay(sourceId);
}

void ZQSoundSource::stop() {
    alSourceStop(sourceId);
    soundBuffer = nullptr;
    positionRef = nullptr;
    alSourcei(sourceId, AL_BUFFER, 0);
}

void ZQSoundSource::movePosition(float x, float y, float z) {
    position = PVRTVec3(x, y, z);
}

PVRTVec2 ZQSoundSource::screenPlace(const PVRTVec3& world, bool orthographic) {
    const ZQ::Globals& g = ZQ::gGlobals;
    if (g.cameraModel == nullptr || g.screenSize.x <= 0.0f || g.screenSize.y <= 0.0f) {
        return PVRTVec2(0.0f, 0.0f);
    }
    return ZQ::projectPoint(g.cameraModel->viewMatrix(), world, orthographic);
}

void ZQSoundSource::doStep() {
    ALint state = AL_STOPPED;
    alGetSourcei(sourceId, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
        stop();
        return;
    }
    applySettings();
}

void ZQSoundSource::applySettings() {
    alSourcef(sourceId, AL_GAIN, gainLevel);
    alSourcei(sourceId, AL_LOOPING, looping != 0 ? AL_TRUE : AL_FALSE);
    alSourcef(sourceId, AL_PITCH, pitchShift);
    alSourcei(sourceId, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(sourceId, AL_REFERENCE_DISTANCE, 2.0f);
    alSourcef(sourceId, AL_MAX_DISTANCE, 1.0f);
    if (positionRef != nullptr) {
        position = *positionRef;
    }
    const PVRTVec2 place = screenPlace(position, ortho);
    alSource3f(sourceId, AL_POSITION, place.x, place.y, -0.5f);
    alSource3f(sourceId, AL_DIRECTION, direction.x, direction.y, direction.z);
    alSource3f(sourceId, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSourcef(sourceId, AL_CONE_INNER_ANGLE, coneInnerAngle);
    alSourcef(sourceId, AL_CONE_OUTER_ANGLE, coneOuterAngle);
    alSourcef(sourceId, AL_CONE_OUTER_GAIN, coneOuterGain);
}

void ZQSoundListener::doStep() const {
    static const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListenerf(AL_GAIN, gainLevel);
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListenerfv(AL_ORIENTATION, orientation);
}
