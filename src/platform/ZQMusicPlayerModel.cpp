#include "platform/ZQMusicPlayerModel.h"

#include "engine/Bundle.h"
#include "engine/Log.h"
#include "engine/SoundGateway.h"
#include "platform/ZQSoundFile.h"

#include <AL/alc.h>
#include <sndfile.h>

#include <algorithm>
#include <vector>

ZQMusicPlayerModel::~ZQMusicPlayerModel() {
    tearDown();
}

bool ZQMusicPlayerModel::isMuteMusic() const {
    return ZQ::isMusicMuted();
}

void ZQMusicPlayerModel::play(const std::string& name, bool loop, float volume) {
    const std::string found = ZQ::pathForResource(name, "caf");
    if (found.empty()) {
        if (alcGetCurrentContext() != nullptr) {
            close();
            ZQ::platformLog("Error loading music file: no \"%s.caf\" in the bundle", name.c_str());
        }
        return;
    }
    playFile(found, loop, volume);
}

void ZQMusicPlayerModel::playFile(const std::string& filePath, bool looping, float volume) {
    if (alcGetCurrentContext() == nullptr || (file != nullptr && filePath == path)) {
        return;
    }
    close();
    // A piece cut short would loop at the cut, as if it ended there.
    if (const char* damage = ZQSoundFile::damage(filePath)) {
        ZQ::platformLog("Error loading music file: %s: %s", filePath.c_str(), damage);
        return;
    }
    SF_INFO info{};
    file = sf_open(filePath.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        ZQ::platformLog("Error loading music file: %s: %s", filePath.c_str(), sf_strerror(nullptr));
        return;
    }
    if (!ZQSoundFile::playableLength(info, ZQSoundFile::Use::Music)) {
        ZQ::platformLog("Error loading music file: %s: %d channels, %lld frames at %d Hz", filePath.c_str(),
                        info.channels, static_cast<long long>(info.frames), info.samplerate);
        close();
        return;
    }
    if (!ensureSource()) {
        close();
        return;
    }
    path = filePath;
    channels = info.channels;
    sampleRate = info.samplerate;
    frames = info.frames;
    loop = looping;
    gain = volume;
    heardFrame = 0;
    finished = false;
    paused = false;
    alSourcef(source, AL_GAIN, gain);
    if (!isMuteMusic()) {
        queueFrom(0);
    }
}

bool ZQMusicPlayerModel::ensureSource() {
    if (source != 0) {
        return true;
    }
    alGetError();
    alGenSources(1, &source);
    alGenBuffers(kBufferCount, buffers.data());
    if (const ALenum error = alGetError(); error != AL_NO_ERROR) {
        ZQ::platformLog("Error loading music file: %s", alGetString(error));
        return false;
    }
    // Music is not placed in the scene: it sounds from the listener itself.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    return true;
}

bool ZQMusicPlayerModel::fill(ALuint buffer) {
    scratch.resize(static_cast<size_t>(kBufferFrames * channels));
    const size_t slot =
        static_cast<size_t>(std::find(buffers.begin(), buffers.end(), buffer) - buffers.begin());
    bufferStart[slot] = readFrame;
    sf_count_t got = 0;
    while (got < kBufferFrames) {
        if (readFrame >= frames) {
            if (!loop) {
                break;
            }
            // The seam: the first frame follows the last in the same buffer.
            readFrame = 0;
            sf_seek(file, 0, SEEK_SET);
        }
        const sf_count_t want = std::min<sf_count_t>(kBufferFrames - got, frames - readFrame);
        const sf_count_t read = sf_readf_short(file, scratch.data() + got * channels, want);
        if (read <= 0) {
            // A read that fails (the file changed or the disk erred while it
            // played): treat the rest as its end.
            frames = readFrame;
            if (frames == 0) {
                break;
            }
            continue;
        }
        got += read;
        readFrame += read;
    }
    bufferFrames[slot] = static_cast<int32_t>(got);
    if (got == 0) {
        return false;
    }
    alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, scratch.data(),
                 static_cast<ALsizei>(got * channels * static_cast<sf_count_t>(sizeof(int16_t))), sampleRate);
    return true;
}

void ZQMusicPlayerModel::queueFrom(int64_t frame) {
    unqueueAll();
    readFrame = frame;
    heardFrame = frame;
    sf_seek(file, readFrame, SEEK_SET);
    for (ALuint buffer : buffers) {
        if (!fill(buffer)) {
            break;
        }
        alSourceQueueBuffers(source, 1, &buffer);
    }
    queued = true;
    paused = false;
    alSourcePlay(source);
}

void ZQMusicPlayerModel::unqueueAll() {
    if (source == 0) {
        return;
    }
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0); // drops the whole queue of a stopped source
    queued = false;
}

void ZQMusicPlayerModel::doStep() {
    if (!queued || paused || source == 0) {
        return;
    }
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        const size_t slot =
            static_cast<size_t>(std::find(buffers.begin(), buffers.end(), buffer) - buffers.begin());
        heardFrame = (bufferStart[slot] + bufferFrames[slot]) % frames;
        if (fill(buffer)) {
            alSourceQueueBuffers(source, 1, &buffer);
        }
    }
    ALint state = AL_STOPPED, waiting = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    alGetSourcei(source, AL_BUFFERS_QUEUED, &waiting);
    if (state == AL_STOPPED) {
        if (waiting > 0) {
            alSourcePlay(source); // the queue ran dry for a moment (a long frame): go on
        } else {
            // A piece played once has ended; it stays loaded, and play starts it again.
            queued = false;
            finished = true;
            heardFrame = 0;
        }
    }
}

int64_t ZQMusicPlayerModel::position() const {
    if (!queued || source == 0) {
        return heardFrame;
    }
    // The sample offset counts from the start of the first buffer still
    // queued, whose contents start at heardFrame (doStep keeps it so).
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    return frames > 0 ? (heardFrame + offset) % frames : 0;
}

bool ZQMusicPlayerModel::isPlaying() const {
    if (source == 0 || !queued) {
        return false;
    }
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void ZQMusicPlayerModel::pause() {
    if (queued && !paused) {
        alSourcePause(source);
        paused = true;
    }
}

void ZQMusicPlayerModel::play() {
    if (file == nullptr || isMuteMusic()) {
        return;
    }
    if (queued) {
        if (paused) {
            alSourcePlay(source);
            paused = false;
        }
        return;
    }
    queueFrom(finished ? 0 : heardFrame);
    finished = false;
}

void ZQMusicPlayerModel::stop() {
    if (queued) {
        heardFrame = position();
        unqueueAll();
    }
    paused = false;
}

void ZQMusicPlayerModel::turnOn() {
    ZQ::setMusicMuted(false);
    play();
}

void ZQMusicPlayerModel::turnOff() {
    ZQ::setMusicMuted(true);
    stop();
}

void ZQMusicPlayerModel::close() {
    unqueueAll();
    if (file != nullptr) {
        sf_close(file);
        file = nullptr;
    }
    path.clear();
    frames = readFrame = heardFrame = 0;
    finished = false;
    paused = false;
}

void ZQMusicPlayerModel::tearDown() {
    close();
    if (source != 0 && alcGetCurrentContext() != nullptr) {
        alDeleteSources(1, &source);
        alDeleteBuffers(kBufferCount, buffers.data());
    }
    source = 0;
    buffers.fill(0);
}
