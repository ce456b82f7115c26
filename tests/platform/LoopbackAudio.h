#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdint>
#include <string>
#include <vector>

class ZQSoundEffectsModel;
class ZQMusicPlayerModel;

// An OpenAL Soft loopback device (ALC_SOFT_loopback): nothing reaches a
// sound card; the mix is rendered into memory when asked, as 32-bit floats
// at 44100 Hz, so a test can check what would be heard. attach hands the
// device to an effects player, which makes its context on it and closes it
// in its tearDown.
class LoopbackAudio {
public:
    static constexpr int kRate = 44100;

    explicit LoopbackAudio(int channels = 1);
    ~LoopbackAudio();
    LoopbackAudio(const LoopbackAudio&) = delete;
    LoopbackAudio& operator=(const LoopbackAudio&) = delete;

    void attach(ZQSoundEffectsModel& fx);
    // The next `frames` frames of the mix, interleaved.
    std::vector<float> render(int frames);
    // The same in steps of `chunk` frames, stepping the music player after
    // each, as the game steps it once a frame.
    std::vector<float> render(int frames, ZQMusicPlayerModel& music, int chunk = 1470);

    int channels;

private:
    ALCdevice* device = nullptr;
    bool attached = false;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
};

// Writes 16-bit PCM samples (mono) as a CAF file with libsndfile; the path
// of the file in the test's temporary folder.
std::string writeTestCaf(const std::string& name, const std::vector<int16_t>& samples, int rate);

// Root mean square of samples.
double rmsOf(const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX);

// Makes OpenAL Soft's default device the null back end (no sound card in CI)
// unless the environment already chose one; call before the first OpenAL call.
void useNullAudioDriver();
