#pragma once

#include "engine/PVRTVector.h"

#include <AL/al.h>

#include <cstdint>

class ZQSoundBuffer;

// One of the effects player's sixteen OpenAL sources. A source is busy
// exactly while it holds a buffer; it may follow a point of the scene, which
// is projected to the screen at every step so the sound pans with where its
// object shows (left-right and up-down on the plane z = -0.5 in front of the
// listener; no attenuation with distance).
//
// Ownership: the effects model owns its sixteen sources for its whole life;
// the source points at the buffer it plays (owned by the model) and at the
// caller's point, which must outlive the sound.
// Threads: main thread, with the model's OpenAL context current.
class ZQSoundSource {
public:
    void setUp();
    void tearDown();
    bool isBusy() const { return soundBuffer != nullptr; }

    void play(ZQSoundBuffer* buffer, bool loop, float gain, float x, float y, float z,
              const PVRTVec3* reference, bool orthographic);
    void stop();
    void movePosition(float x, float y, float z);
    // Hands gain, looping, pitch and the projected position to OpenAL; stops
    // (and so frees) the source when OpenAL reports its sample ended.
    void doStep();

    // Normalised device coordinates of a world point: where the sound pans.
    // (0, 0), the centre, while there is no camera or screen yet.
    static PVRTVec2 screenPlace(const PVRTVec3& world, bool orthographic);

    ALuint sourceId = 0;
    float pitchShift = 1.0f;
    int8_t looping = 0;
    float gainLevel = 1.0f;
    bool ortho = false;
    PVRTVec3 position{0.0f, 0.0f, 0.0f};
    const PVRTVec3* positionRef = nullptr;
    PVRTVec3 direction{0.0f, 0.0f, 1.0f};
    float coneInnerAngle = 360.0f;
    float coneOuterAngle = 360.0f;
    float coneOuterGain = 0.5f;
    ZQSoundBuffer* soundBuffer = nullptr;

private:
    void applySettings();
};

// The listener at the origin, looking along -z with +y up; nothing changes it.
class ZQSoundListener {
public:
    void doStep() const;

    float gainLevel = 1.0f;
};
