#include "LoopbackAudio.h"

#include "platform/ZQMusicPlayerModel.h"
#include "platform/ZQSoundEffectsModel.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

LoopbackAudio::LoopbackAudio(int channels) : channels(channels) {
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    renderSamples =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (open == nullptr || renderSamples == nullptr) {
        ADD_FAILURE() << "OpenAL has no ALC_SOFT_loopback";
        return;
    }
    device = open(nullptr);
    EXPECT_NE(device, nullptr);
}

LoopbackAudio::~LoopbackAudio() {
    if (!attached && device != nullptr) {
        alcCloseDevice(device);
    }
}

void LoopbackAudio::attach(ZQSoundEffectsModel& fx) {
    ASSERT_NE(device, nullptr);
    fx.useDevice(device, {ALC_FORMAT_CHANNELS_SOFT, channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT,
                          ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY, kRate, 0});
    attached = true;
}

std::vector<float> LoopbackAudio::render(int frames) {
    std::vector<float> out(static_cast<size_t>(frames * channels), 0.0f);
    if (device != nullptr && frames > 0) {
        renderSamples(device, out.data(), frames);
    }
    return out;
}

std::vector<float> LoopbackAudio::render(int frames, ZQMusicPlayerModel& music, int chunk) {
    std::vector<float> out;
    while (frames > 0) {
        const int n = std::min(frames, chunk);
        const std::vector<float> part = render(n);
        out.insert(out.end(), part.begin(), part.end());
        music.doStep();
        frames -= n;
    }
    return out;
}

std::string writeTestCaf(const std::string& name, const std::vector<int16_t>& samples, int rate) {
    const std::string path = ::testing::TempDir() + name + ".caf";
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_CAF | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file != nullptr) {
        EXPECT_EQ(sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
        sf_close(file);
    }
    return path;
}

double rmsOf(const std::vector<float>& samples, size_t from, size_t to) {
    to = std::min(to, samples.size());
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

void useNullAudioDriver() {
    setenv("ALSOFT_DRIVERS", "null", 0);
}
