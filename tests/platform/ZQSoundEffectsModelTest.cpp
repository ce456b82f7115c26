#include "LoopbackAudio.h"

#include "engine/Bundle.h"
#include "platform/ZQSoundEffectsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// An effects player on a loopback device, set up and torn down around each test.
class EffectsOnLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        audio.attach(fx);
        fx.setUp();
        ASSERT_TRUE(fx.hasContext());
    }
    void TearDown() override { fx.tearDown(); }

    // The bundle sample, decoded as the player decodes it, as floats.
    static std::vector<float> decoded(const std::string& name) {
        std::vector<int16_t> pcm;
        int channels = 0, rate = 0;
        EXPECT_TRUE(ZQSoundBuffer::decode(ZQ::pathForResource(name, "caf"), pcm, channels, rate));
        std::vector<float> out(pcm.size());
        std::transform(pcm.begin(), pcm.end(), out.begin(), [](int16_t s) { return s / 32768.0f; });
        return out;
    }

    LoopbackAudio audio;
    ZQSoundEffectsModel fx;
};

TEST_F(EffectsOnLoopback, APlayedEffectIsHeardAtItsGainAndThenStops) {
    const std::vector<float> sample = decoded("uibeep_single_clean");
    ASSERT_FALSE(sample.empty());
    ZQSoundSource* source = fx.play("uibeep_single_clean", false, 0.5f, 0, 0, 0, nullptr, false);
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(fx.isPlaying("uibeep_single_clean"));
    const std::vector<float> heard = audio.render(static_cast<int>(sample.size()) + 4410);

    // The mix carries the sample at half its level, sample for sample (the
    // device runs at the sample's rate, so nothing is resampled).
    double worst = 0.0;
    for (size_t i = 0; i < sample.size(); ++i) {
        worst = std::max(worst, std::fabs(static_cast<double>(heard[i]) - 0.5 * sample[i]));
    }
    EXPECT_LT(worst, 2e-3);
    EXPECT_NEAR(rmsOf(heard, 0, sample.size()), 0.5 * rmsOf(sample), 1e-3);
    // After its end: silence, and the next step frees the source.
    EXPECT_EQ(rmsOf(heard, sample.size() + 10), 0.0);
    fx.doStep();
    EXPECT_FALSE(fx.isPlaying("uibeep_single_clean"));
    EXPECT_TRUE(fx.playingSources().empty());
    EXPECT_EQ(fx.idleSources().back(), source);
}

TEST_F(EffectsOnLoopback, TheSeventeenthEffectIsDroppedWhileSixteenPlay) {
    std::vector<ZQSoundSource*> playing;
    for (int i = 0; i < ZQSoundEffectsModel::kSourceCount; ++i) {
        playing.push_back(fx.play("Rotate Room", false, 0.05f, 0, 0, 0, nullptr, false));
        ASSERT_NE(playing.back(), nullptr);
    }
    EXPECT_EQ(fx.play("uibeep_single_clean", false, 1.0f, 0, 0, 0, nullptr, false), nullptr);
    audio.render(2205);
    fx.doStep();
    EXPECT_EQ(fx.playingSources().size(), 16u);
    EXPECT_FALSE(fx.isPlaying("uibeep_single_clean"));
    // A source stopped by hand is free at once and is the last to be booked.
    fx.stopSource(playing[3]);
    EXPECT_EQ(fx.idleSources().size(), 1u);
    EXPECT_EQ(fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false), playing[3]);
}

TEST_F(EffectsOnLoopback, ReleasedSourcesQueueBehindTheIdleOnes) {
    ZQSoundSource* first = fx.idleSources().front();
    ASSERT_EQ(fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false), first);
    audio.render(LoopbackAudio::kRate / 2);
    fx.doStep();
    EXPECT_EQ(fx.idleSources().back(), first);
    ZQSoundSource* second = fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false);
    EXPECT_NE(second, first);
    // Stopping by name frees the source at the next step.
    EXPECT_TRUE(fx.stop("button_46"));
    EXPECT_FALSE(fx.stop("button_46"));
    EXPECT_FALSE(fx.isPlaying("button_46"));
    fx.doStep();
    EXPECT_EQ(fx.idleSources().back(), second);
    EXPECT_EQ(fx.idleSources().size(), 16u);
}

TEST_F(EffectsOnLoopback, AMissingFileIsSilentAndItsSourceIsFreedAtTheNextStep) {
    ::testing::internal::CaptureStderr();
    ZQSoundSource* source = fx.play("no such sound", false, 1.0f, 0, 0, 0, nullptr, false);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ExtAudioFileOpenURL failed"), std::string::npos) << log;
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(rmsOf(audio.render(4410)), 0.0);
    fx.doStep();
    EXPECT_TRUE(fx.playingSources().empty());
    EXPECT_EQ(fx.idleSources().size(), 16u);
}

TEST_F(EffectsOnLoopback, PurgeKeepsWhatPlaysAndReloadsTheRestOnUse) {
    ZQSoundSource* ringing = fx.play("Rotate Room", true, 0.3f, 0, 0, 0, nullptr, false);
    fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false);
    // "String3-01" stands twice in the game's list: one buffer, loaded once.
    EXPECT_EQ(std::count(fx.soundList.begin(), fx.soundList.end(), "String3-01"), 2);
    fx.play("String3-01", false, 1.0f, 0, 0, 0, nullptr, false);
    fx.play("String3-01", false, 1.0f, 0, 0, 0, nullptr, false);
    EXPECT_EQ(fx.loadedSounds().size(), 3u);
    audio.render(LoopbackAudio::kRate); // the button and the strings end, the loop goes on
    fx.doStep();

    fx.purge();
    ASSERT_EQ(fx.loadedSounds().size(), 1u);
    EXPECT_EQ(fx.loadedSounds().begin()->first, "Rotate Room");
    EXPECT_GT(rmsOf(audio.render(4410)), 0.005); // the kept sample still sounds

    // Unloaded samples come back on their next use and sound again.
    fx.stopSource(ringing);
    ZQSoundSource* again = fx.play("String3-01", false, 1.0f, 0, 0, 0, nullptr, false);
    ASSERT_NE(again, nullptr);
    EXPECT_GT(again->soundBuffer->dataSize, 0);
    EXPECT_GT(rmsOf(audio.render(4410)), 0.01);
    fx.purge(); // String3-01 plays: only the stopped loop goes
    EXPECT_EQ(fx.loadedSounds().size(), 1u);
}

TEST_F(EffectsOnLoopback, StaleAndMadeUpHandlesNameNoSource) {
    ZQSoundSource* source = fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false);
    EXPECT_EQ(fx.sourceForHandle(reinterpret_cast<int64_t>(source)), source);
    EXPECT_EQ(fx.sourceForHandle(0), nullptr);
    EXPECT_EQ(fx.sourceForHandle(reinterpret_cast<int64_t>(source) + 1), nullptr);
    // Moving an idle source changes nothing.
    fx.stopSource(source);
    fx.moveSource(source, 5, 6, 7);
    EXPECT_EQ(source->position.x, 0.0f);
}

TEST_F(EffectsOnLoopback, ASuspendedContextMixesNothingUntilResumed) {
    fx.play("Rotate Room", true, 1.0f, 0, 0, 0, nullptr, false);
    fx.suspendContext();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    fx.resumeContext();
    EXPECT_EQ(alcGetCurrentContext(), fx.openALContext);
    EXPECT_GT(rmsOf(audio.render(4410)), 0.01);
}

// A context that cannot be made (a loopback device given no format) leaves
// the player silent: every operation is a no-op and nothing blocks.
TEST(EffectsWithoutContext, EveryOperationIsSilent) {
    ZQSoundEffectsModel fx;
    LoopbackAudio audio;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    fx.useDevice(open(nullptr), {});
    ::testing::internal::CaptureStderr();
    fx.setUp();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Error, could not create audio context."),
              std::string::npos);
    EXPECT_FALSE(fx.hasContext());
    EXPECT_EQ(fx.play("button_46", false, 1.0f, 0, 0, 0, nullptr, false), nullptr);
    EXPECT_FALSE(fx.isPlaying("button_46"));
    EXPECT_FALSE(fx.stop("button_46"));
    fx.doStep();
    fx.purge();
    fx.suspendContext();
    fx.resumeContext();
    fx.tearDown();
    EXPECT_TRUE(fx.loadedSounds().empty());
}

} // namespace
