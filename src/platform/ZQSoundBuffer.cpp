#include "platform/ZQSoundBuffer.h"

#include "engine/Bundle.h"
#include "engine/Log.h"
#include "platform/ZQSoundFile.h"

#include <sndfile.h>

#include <memory>

ZQSoundBuffer::ZQSoundBuffer(std::string name, std::string ext)
    : name(std::move(name)), ext(std::move(ext)) {}

ZQSoundBuffer::~ZQSoundBuffer() {
    tearDown();
}

bool ZQSoundBuffer::decode(const std::string& path, std::vector<int16_t>& pcm, int& channels,
                           int& sampleRate) {
    // A sample cut short would play as far as it goes, as if it ended there.
    if (const char* damage = ZQSoundFile::damage(path)) {
        ZQ::platformLog("MyGetExtAudioFileRef: ExtAudioFileOpenURL failed, Error = %d: %s: %s",
                        SF_ERR_MALFORMED_FILE, path.c_str(), damage);
        return false;
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_READ, &info), &sf_close);
    if (!file) {
        ZQ::platformLog("MyGetExtAudioFileRef: ExtAudioFileOpenURL failed, Error = %d: %s: %s",
                        sf_error(nullptr), path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if (!ZQSoundFile::playableChannels(info)) {
        ZQ::platformLog(
            "MyGetExtAudioFileRef: Unsupported Format, channel count (=%d) is greater than stereo: %s",
            info.channels, path.c_str());
        return false;
    }
    // No frame, or more than the byte count OpenAL takes could hold, is
    // damage, not sound.
    if (!ZQSoundFile::playableLength(info, ZQSoundFile::Use::Effect)) {
        ZQ::platformLog(
            "MyGetOpenALAudioDataAll: ExtAudioFileGetProperty(kExtAudioFileProperty_FileLengthFrames) "
            "failed, Error = %d: %s: %lld frames at %d Hz",
            SF_ERR_MALFORMED_FILE, path.c_str(), static_cast<long long>(info.frames), info.samplerate);
        return false;
    }
    pcm.assign(static_cast<size_t>(info.frames * info.channels), 0);
    const sf_count_t read = sf_readf_short(file.get(), pcm.data(), info.frames);
    if (read < 0 || sf_error(file.get()) != SF_ERR_NO_ERROR) {
        ZQ::platformLog("MyGetDataFromExtAudioRef: ExtAudioFileRead failed, Error = %d: %s",
                        sf_error(file.get()), path.c_str());
        pcm.clear();
        return false;
    }
    pcm.resize(static_cast<size_t>(read * info.channels));
    channels = info.channels;
    sampleRate = info.samplerate;
    return true;
}

void ZQSoundBuffer::setUp() {
    alGetError();
    alGenBuffers(1, &dbo);
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        ZQ::platformLog("Failed to generate OpenAL data buffer: %s", alGetString(error));
        dbo = 0;
        return;
    }
    const std::string path = ZQ::pathForResource(name, ext);
    if (path.empty()) {
        ZQ::platformLog(
            "MyGetExtAudioFileRef: ExtAudioFileOpenURL failed, Error = %d: no \"%s.%s\" in the bundle",
            SF_ERR_SYSTEM, name.c_str(), ext.c_str());
        return;
    }
    std::vector<int16_t> pcm;
    int channels = 0, rate = 0;
    if (!decode(path, pcm, channels, rate)) {
        return;
    }
    alFormat = channels > 1 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    dataSize = static_cast<int32_t>(pcm.size() * sizeof(int16_t));
    sampleRate = rate;
    alBufferData(dbo, alFormat, pcm.data(), dataSize, sampleRate);
}

void ZQSoundBuffer::tearDown() {
    if (dbo != 0) {
        alDeleteBuffers(1, &dbo);
        dbo = 0;
    }
    dataSize = 0;
}
