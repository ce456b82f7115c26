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
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(
        path.empty() ? nullptr : sf_open(path.c_str(), SFM_READ, &info), &sf_close);
    if (!file) {
        ZQ::platformLog("MyGetExtAudioFileRef: ExtAudioFileOpenURL failed, Error = %d: %s",
                        path.empty() ? SF_ERR_SYSTEM : sf_error(nullptr),
                        path.empty() ? "no such file in the bundle" : path.c_str());
        return false;
    }
    if (!ZQSoundFile::playableChannels(info)) {
        ZQ::platformLog(
            "MyGetExtAudioFileRef: Unsupported Format, channel count (=%d) is greater than stereo: %s",
            info.channels, path.c_str());
        return false;
    }
    // A length that would not fit the byte count OpenAL takes is damage, not sound.
    if (!ZQSoundFile::playableLength(info, ZQSoundFile::Use::Effect)) {
        ZQ::platformLog(
            "MyGetOpenALAudioDataAll: ExtAudioFileGetProperty(kExtAudioFileProperty_FileLengthFrames) "
            "failed, Error = %d: %s",
            SF_ERR_MALFORMED_FILE, path.c_str());
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
    std::vector<int16_t> pcm;
    int channels = 0, rate = 0;
    if (!decode(ZQ::pathForResource(name, ext), pcm, channels, rate)) {
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
