#include "LoopbackAudio.h"

#include "engine/SoundGateway.h"
#include "platform/ZQMusicPlayerModel.h"
#include "platform/ZQSoundEffectsModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = LoopbackAudio::kRate;

// A piece of exactly 100 cycles of 441 Hz: its last sample leads into its
// first as smoothly as any two neighbours inside it.
std::vector<int16_t> sineLoop() {
    std::vector<int16_t> s(static_cast<size_t>(kRate / 441 * 100));
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<int16_t>(std::lround(16000.0 * std::sin(2.0 * M_PI * 441.0 * i / kRate)));
    }
    return s;
}

// A slow rise and fall whose value tells the frame it came from.
std::vector<int16_t> ramp(int frames) {
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        s[static_cast<size_t>(i)] = static_cast<int16_t>(i % 30000);
    }
    return s;
}

// The music player with the effects player's context on a loopback device;
// the mute flag is put back afterwards.
class MusicOnLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        wasMuted = ZQ::isMusicMuted();
        ZQ::setMusicMuted(false);
        audio.attach(fx);
        fx.setUp();
        ASSERT_TRUE(fx.hasContext());
    }
    void TearDown() override {
        music.tearDown();
        fx.tearDown();
        ZQ::setMusicMuted(wasMuted);
    }

    bool wasMuted = false;
    LoopbackAudio audio;
    ZQSoundEffectsModel fx;
    ZQMusicPlayerModel music;
};

TEST_F(MusicOnLoopback, ALoopingPieceRunsOnAcrossItsSeamWithoutAGap) {
    const std::vector<int16_t> piece = sineLoop();
    music.playFile(writeTestCaf("sine-loop", piece, kRate), true, 1.0f);
    ASSERT_TRUE(music.isPlaying());
    // Three and a half times round, streamed through the player's small queue.
    const int frames = static_cast<int>(piece.size() * 7 / 2);
    const std::vector<float> heard = audio.render(frames, music);
    double worst = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double expected = piece[static_cast<size_t>(i) % piece.size()] / 32768.0;
        worst = std::max(worst, std::fabs(heard[static_cast<size_t>(i)] - expected));
    }
    EXPECT_LT(worst, 1e-3);
    EXPECT_EQ(music.position(), frames % static_cast<int>(piece.size()));
}

TEST_F(MusicOnLoopback, PauseAndResumeKeepThePlace) {
    const std::vector<int16_t> piece = ramp(kRate * 2);
    music.playFile(writeTestCaf("ramp", piece, kRate), true, 1.0f);
    audio.render(kRate / 3, music);
    music.pause();
    const int64_t place = music.position();
    EXPECT_EQ(place, kRate / 3);
    EXPECT_EQ(rmsOf(audio.render(kRate / 4, music)), 0.0);
    EXPECT_EQ(music.position(), place);
    music.play();
    const std::vector<float> heard = audio.render(100, music);
    EXPECT_NEAR(heard[0], piece[static_cast<size_t>(place)] / 32768.0, 1e-4);
    EXPECT_NEAR(heard[99], piece[static_cast<size_t>(place + 99)] / 32768.0, 1e-4);

    // Stopping (the mute switch) keeps the place too; turning on goes on from it.
    music.turnOff();
    EXPECT_TRUE(ZQ::isMusicMuted());
    EXPECT_EQ(rmsOf(audio.render(4410, music)), 0.0);
    music.turnOn();
    EXPECT_FALSE(ZQ::isMusicMuted());
    EXPECT_NEAR(audio.render(1, music)[0], piece[static_cast<size_t>(place + 100)] / 32768.0, 1e-4);
}

TEST_F(MusicOnLoopback, AskingForThePlayingPieceChangesNothing) {
    const std::string path = writeTestCaf("ramp-again", ramp(kRate), kRate);
    music.playFile(path, true, 0.6f);
    audio.render(kRate / 5, music);
    music.playFile(path, false, 0.1f);
    EXPECT_TRUE(music.isLooping());
    EXPECT_EQ(music.volume(), 0.6f);
    EXPECT_EQ(music.position(), kRate / 5);
    EXPECT_TRUE(music.isPlaying());
}

TEST_F(MusicOnLoopback, WhileMutedAPieceWaitsAndTurnOnStartsIt) {
    ZQ::setMusicMuted(true);
    const std::vector<int16_t> piece = ramp(kRate);
    music.playFile(writeTestCaf("ramp-muted", piece, kRate), true, 1.0f);
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(rmsOf(audio.render(4410, music)), 0.0);
    music.play(); // resuming does not override the switch
    EXPECT_FALSE(music.isPlaying());
    music.turnOn();
    EXPECT_TRUE(music.isPlaying());
    EXPECT_NEAR(audio.render(10, music)[5], piece[5] / 32768.0, 1e-4);
}

TEST_F(MusicOnLoopback, APiecePlayedOnceEndsAndIsNotRestartedByAskingAgain) {
    const std::vector<int16_t> piece = ramp(kRate / 2);
    const std::string path = writeTestCaf("ramp-once", piece, kRate);
    music.playFile(path, false, 1.0f);
    const std::vector<float> heard = audio.render(kRate, music);
    EXPECT_GT(rmsOf(heard, 0, piece.size()), 0.1);
    EXPECT_EQ(rmsOf(heard, piece.size() + 1500), 0.0);
    EXPECT_FALSE(music.isPlaying());
    music.playFile(path, false, 1.0f);
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(rmsOf(audio.render(4410, music)), 0.0);
}

TEST_F(MusicOnLoopback, AMissingPieceIsLoggedAndStopsTheOldOne) {
    music.playFile(writeTestCaf("ramp-old", ramp(kRate), kRate), true, 1.0f);
    ::testing::internal::CaptureStderr();
    music.play("no such music", true, 1.0f);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Error loading music file: no \"no such music.caf\" in the bundle"), std::string::npos)
        << log;
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(rmsOf(audio.render(4410, music)), 0.0);
}

TEST_F(MusicOnLoopback, AFileThatIsNotSoundIsRefusedWithOneLine) {
    const std::string path = ::testing::TempDir() + "not-sound.caf";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("caff, but not really", f);
    std::fclose(f);
    ::testing::internal::CaptureStderr();
    music.playFile(path, true, 1.0f);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Error loading music file: " + path), std::string::npos) << log;
    EXPECT_FALSE(music.isPlaying());
}

// With no context (no sound device) the player does nothing and reports stopped.
TEST(MusicWithoutDevice, EveryOperationIsSilent) {
    ASSERT_EQ(alcGetCurrentContext(), nullptr);
    ZQMusicPlayerModel music;
    music.play("menu", true, 0.6f);
    music.pause();
    music.play();
    music.doStep();
    music.stop();
    EXPECT_FALSE(music.isPlaying());
    EXPECT_EQ(music.position(), 0);
    EXPECT_TRUE(music.currentPath().empty());
    music.tearDown();
}

} // namespace
