#pragma once

#include <AL/al.h>

#include <cstdint>
#include <string>
#include <vector>

// One decoded effect sample in an OpenAL buffer, read from the bundle's CAF
// file <name>.<ext> with libsndfile (any encoding it reads: 16-bit PCM,
// ALAC...), converted to 16-bit PCM, mono or stereo.
//
// Ownership: the effects model owns every buffer through its sound map;
// sources only point at the buffer they play. OpenAL copies the samples on
// upload (alBufferData), so the decoded memory is freed at once; the OpenAL
// buffer lives until tearDown, which the model calls only when no source
// plays it.
// Threads: main thread, with the effects model's OpenAL context current.
class ZQSoundBuffer {
public:
    ZQSoundBuffer(std::string name, std::string ext);
    ~ZQSoundBuffer();
    ZQSoundBuffer(const ZQSoundBuffer&) = delete;
    ZQSoundBuffer& operator=(const ZQSoundBuffer&) = delete;

    // Loads the file. On any failure the cause is logged and the buffer
    // stays empty: a source playing it stops at once.
    void setUp();
    // Deletes the OpenAL buffer; the object may be set up again.
    void tearDown();

    // The samples of `path`, decoded to interleaved 16-bit PCM. False, with
    // the failure logged, when the file is missing, not a whole CAF file,
    // empty, has more than two channels or cannot be read.
    static bool decode(const std::string& path, std::vector<int16_t>& pcm, int& channels, int& sampleRate);

    ALuint dbo = 0;
    ALenum alFormat = 0;
    int32_t dataSize = 0; // bytes handed to OpenAL
    int32_t sampleRate = 0;
    std::string name;
    std::string ext;
};
