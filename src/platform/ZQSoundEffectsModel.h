#pragma once

#include "engine/PVRTVector.h"
#include "platform/ZQSoundBuffer.h"
#include "platform/ZQSoundSource.h"

#include <AL/alc.h>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The effects player: short samples through OpenAL, a fixed pool of sixteen
// sources, a cache of decoded samples loaded from the bundle on first use,
// and the listener. When all sixteen sources are busy a new sound is dropped;
// nothing playing is cut off.
//
// With no audio device (a server, CI) set-up logs one line and every
// operation is a no-op: nothing plays, every play answers no source, every
// query reports stopped.
//
// Ownership: the model owns the device and context it opens (or is handed,
// see useDevice), its sixteen sources and every buffer in soundMap; sources
// are torn down before buffers, and a buffer is unloaded only while no
// source plays it.
// Threads: main thread. OpenAL mixes on threads of its own from the copies
// of the samples it was given.
class ZQSoundEffectsModel {
public:
    static constexpr int kSourceCount = 16;

    ZQSoundEffectsModel();
    ~ZQSoundEffectsModel();
    ZQSoundEffectsModel(const ZQSoundEffectsModel&) = delete;
    ZQSoundEffectsModel& operator=(const ZQSoundEffectsModel&) = delete;

    // Plays through `device` (a loopback device in tests) with these context
    // attributes (zero-terminated, or empty) instead of the default device.
    // The model takes the device over and closes it in tearDown. Call before
    // setUp.
    void useDevice(ALCdevice* device, std::vector<ALCint> attributes);

    void setUp();
    void tearDown();
    void doStep();

    // The source now playing `name`, or null when no source was free or
    // there is no sound device.
    ZQSoundSource* play(const std::string& name, bool looping, float gain, float x, float y, float z,
                        const PVRTVec3* positionRef, bool ortho);
    // Stops a busy source and frees it at once; anything else is ignored.
    void stopSource(ZQSoundSource* source);
    void moveSource(ZQSoundSource* source, float x, float y, float z);
    // Stops the first source playing `name` (freed at the next step); false
    // when none plays it.
    bool stop(const std::string& name);
    bool isPlaying(const std::string& name) const;
    // Unloads every sample no busy source plays; each is loaded again on its
    // next use.
    void purge();
    void suspendContext();
    void resumeContext();

    bool hasContext() const { return openALContext != nullptr; }
    // The pool source a sound handle names, or null when it names none of
    // them (a stale or made-up handle is never dereferenced).
    ZQSoundSource* sourceForHandle(int64_t handle);
    const std::deque<ZQSoundSource*>& idleSources() const { return freeSources; }
    const std::vector<ZQSoundSource*>& playingSources() const { return busySources; }
    const std::map<std::string, std::unique_ptr<ZQSoundBuffer>>& loadedSounds() const { return soundMap; }

    ALCdevice* openALDevice = nullptr;
    ALCcontext* openALContext = nullptr;
    // Every effect name of the game, in the order sounds are first needed.
    // "String3-01" stands twice, as the themes' lists name it; the map keys
    // each name once, so it is loaded and unloaded once.
    const std::vector<std::string> soundList;

private:
    void initOpenAL();
    void tearDownOpenAL();
    ZQSoundSource* bookSource();
    ZQSoundBuffer* initSound(const std::string& name);
    void release(ZQSoundSource* source);

    std::array<ZQSoundSource, kSourceCount> pool;
    std::deque<ZQSoundSource*> freeSources;  // idle longest first
    std::vector<ZQSoundSource*> busySources; // unordered
    std::map<std::string, std::unique_ptr<ZQSoundBuffer>> soundMap;
    ZQSoundListener soundListener;
    ALCdevice* pendingDevice = nullptr;
    std::vector<ALCint> contextAttributes;
};
