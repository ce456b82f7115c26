#include "platform/ZQSoundEffectsModel.h"

#include "engine/Assert.h"
#include "engine/Log.h"

#include <algorithm>
#include <cstdio>

namespace {

std::vector<std::string> numbered(const char* pattern, int first, int last) {
    std::vector<std::string> names;
    for (int n = first; n <= last; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, pattern, n);
        names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> buildSoundList() {
    std::vector<std::string> list = {"ScoresNEW-1",  "ScoresNEW-2",   "ScoresNEW-3", "uibeep_single_clean",
                                     "String IN v2", "String OUT v2", "ignition_01", "ignition_16",
                                     "button_46",    "ignition_17",   "swish18-05",  "Rotate Room"};
    const auto append = [&list](std::vector<std::string> names) {
        list.insert(list.end(), names.begin(), names.end());
    };
    append(numbered("swish17-%d", 1, 8));
    append({"swish16-09"});
    append(numbered("swish16-%02d", 1, 7));
    append(numbered("String1-%02d", 1, 15));
    append(numbered("String2-%02d", 1, 8));
    append({"String3-01"});
    append(numbered("String3-%02d", 1, 10));
    append(numbered("Drag1-%02d", 1, 15));
    append(numbered("Drag2-%02d", 1, 9));
    append(numbered("Drag3-%02d", 1, 9));
    append(numbered("Drag4-%02d", 1, 8));
    append(numbered("String4-%02d", 1, 11));
    append({"ui_scifi_confirm_wet"});
    return list;
}

} // namespace

ZQSoundEffectsModel::ZQSoundEffectsModel() : soundList(buildSoundList()) {
    ZQ_ASSERT(soundList.size() == 115);
    for (ZQSoundSource& source : pool) {
        freeSources.push_back(&source);
    }
    busySources.reserve(kSourceCount);
}

ZQSoundEffectsModel::~ZQSoundEffectsModel() {
    tearDown();
    if (pendingDevice != nullptr) {
        alcCloseDevice(pendingDevice);
    }
}

void ZQSoundEffectsModel::useDevice(ALCdevice* device, std::vector<ALCint> attributes) {
    ZQ_ASSERT(openALDevice == nullptr && pendingDevice == nullptr);
    pendingDevice = device;
    contextAttributes = std::move(attributes);
}

void ZQSoundEffectsModel::initOpenAL() {
    openALDevice = pendingDevice != nullptr ? pendingDevice : alcOpenDevice(nullptr);
    pendingDevice = nullptr;
    if (openALDevice == nullptr) {
        ZQ::platformLog("Error, could not get audio device.");
        return;
    }
    // The mixer runs at 44100 Hz unless the device is told otherwise; the
    // attributes say so for a loopback device.
    openALContext =
        alcCreateContext(openALDevice, contextAttributes.empty() ? nullptr : contextAttributes.data());
    if (openALContext == nullptr) {
        ZQ::platformLog("Error, could not create audio context.");
        return;
    }
    alcMakeContextCurrent(openALContext);
    alDistanceModel(AL_NONE);
}

void ZQSoundEffectsModel::tearDownOpenAL() {
    alcMakeContextCurrent(nullptr);
    if (openALContext != nullptr) {
        alcDestroyContext(openALContext);
        openALContext = nullptr;
    }
    if (openALDevice != nullptr) {
        alcCloseDevice(openALDevice);
        openALDevice = nullptr;
    }
}

void ZQSoundEffectsModel::setUp() {
    initOpenAL();
    if (!hasContext()) {
        return;
    }
    for (ZQSoundSource* source : freeSources) {
        source->setUp();
    }
    for (auto& [name, buffer] : soundMap) {
        buffer->setUp();
    }
}

void ZQSoundEffectsModel::tearDown() {
    if (!hasContext()) {
        tearDownOpenAL();
        return;
    }
    for (ZQSoundSource* source : busySources) {
        source->tearDown();
        freeSources.push_back(source);
    }
    busySources.clear();
    for (ZQSoundSource* source : freeSources) {
        source->tearDown();
    }
    for (auto& [name, buffer] : soundMap) {
        buffer->tearDown();
    }
    tearDownOpenAL();
}

ZQSoundSource* ZQSoundEffectsModel::bookSource() {
    if (freeSources.empty()) {
        return nullptr;
    }
    ZQSoundSource* source = freeSources.front();
    freeSources.pop_front();
    busySources.push_back(source);
    return source;
}

void ZQSoundEffectsModel::release(ZQSoundSource* source) {
    busySources.erase(std::find(busySources.begin(), busySources.end(), source));
    freeSources.push_back(source);
}

ZQSoundBuffer* ZQSoundEffectsModel::initSound(const std::string& name) {
    auto [at, added] = soundMap.emplace(name, nullptr);
    if (added) {
        at->second = std::make_unique<ZQSoundBuffer>(name, "caf");
        at->second->setUp();
    }
    return at->second.get();
}

ZQSoundSource* ZQSoundEffectsModel::play(const std::string& name, bool looping, float gain, float x, float y,
                                         float z, const PVRTVec3* positionRef, bool ortho) {
    if (!hasContext()) {
        return nullptr;
    }
    ZQSoundBuffer* buffer = initSound(name);
    ZQSoundSource* source = bookSource();
    if (source != nullptr) {
        source->play(buffer, looping, gain, x, y, z, positionRef, ortho);
    }
    return source;
}

ZQSoundSource* ZQSoundEffectsModel::sourceForHandle(int64_t handle) {
    for (ZQSoundSource& source : pool) {
        if (reinterpret_cast<int64_t>(&source) == handle) {
            return &source;
        }
    }
    return nullptr;
}

void ZQSoundEffectsModel::stopSource(ZQSoundSource* source) {
    if (source != nullptr && source->isBusy() && hasContext()) {
        source->stop();
        release(source);
    }
}

void ZQSoundEffectsModel::moveSource(ZQSoundSource* source, float x, float y, float z) {
    if (source != nullptr && source->isBusy()) {
        source->movePosition(x, y, z);
    }
}

bool ZQSoundEffectsModel::stop(const std::string& name) {
    for (ZQSoundSource* source : busySources) {
        if (source->isBusy() && source->soundBuffer->name == name) {
            source->stop();
            return true;
        }
    }
    return false;
}

bool ZQSoundEffectsModel::isPlaying(const std::string& name) const {
    return std::any_of(busySources.begin(), busySources.end(), [&name](const ZQSoundSource* source) {
        return source->isBusy() && source->soundBuffer->name == name;
    });
}

void ZQSoundEffectsModel::doStep() {
    if (!hasContext()) {
        return;
    }
    soundListener.doStep();
    const std::vector<ZQSoundSource*> stepping = busySources;
    for (ZQSoundSource* source : stepping) {
        if (source->isBusy()) {
            source->doStep();
        }
        if (!source->isBusy()) {
            release(source);
        }
    }
}

void ZQSoundEffectsModel::purge() {
    std::vector<const ZQSoundBuffer*> playing;
    for (const ZQSoundSource* source : busySources) {
        if (source->isBusy()) {
            playing.push_back(source->soundBuffer);
        }
    }
    for (auto it = soundMap.begin(); it != soundMap.end();) {
        if (std::find(playing.begin(), playing.end(), it->second.get()) == playing.end()) {
            it = soundMap.erase(it); // the buffer's destructor deletes its OpenAL buffer
        } else {
            ++it;
        }
    }
}

void ZQSoundEffectsModel::suspendContext() {
    if (hasContext()) {
        alcSuspendContext(openALContext);
        alcMakeContextCurrent(nullptr);
    }
}

void ZQSoundEffectsModel::resumeContext() {
    if (hasContext()) {
        alcMakeContextCurrent(openALContext);
        alcProcessContext(openALContext);
    }
}
