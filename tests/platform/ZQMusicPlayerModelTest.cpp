#include "LoopbackAudio.h"

#include "engine/Bundle.h"
#include "engine/SoundGateway.h"
#include "platform/ZQMusicPlayerModel.h"
#include "platform/ZQSoundEffectsModel.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

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

// A sound libsndfile writes whole: a tone of `frames` frames on every one of
// `channels`, in `format`.
void writeSound(const std::string& path, int format, int channels, int frames) {
    SF_INFO info{0, LoopbackAudio::kRate, channels, format | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<int16_t> samples(static_cast<std::size_t>(channels * frames));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(i % 2 == 0 ? 8000 : -8000);
    }
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

// The lines each player logs for the sound at `path`, the effects player's
// and the music player's; "heard" ends them when the effect decoded, or the
// piece plays or sounds.
std::pair<std::string, std::string> playDamaged(const std::string& path, ZQMusicPlayerModel& music,
                                                LoopbackAudio& audio) {
    std::vector<int16_t> pcm;
    int channels = 0, rate = 0;
    ::testing::internal::CaptureStderr();
    const bool decoded = ZQSoundBuffer::decode(path, pcm, channels, rate);
    const std::string effect = ::testing::internal::GetCapturedStderr();
    ::testing::internal::CaptureStderr();
    music.playFile(path, true, 1.0f);
    const bool playing = music.isPlaying() || rmsOf(audio.render(2205, music)) > 0.0;
    const std::string piece = ::testing::internal::GetCapturedStderr();
    return {effect + (decoded ? "heard" : ""), piece + (playing ? "heard" : "")};
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

// A damaged sound plays as silence with one line naming it in the log, in
// either player: libsndfile alone would play a sound in another format than
// the bundle's, an empty effect and a file cut among its last bytes, as far
// as it goes, without a word. Cut anywhere else, it is cut in its header,
// between its chunks or inside its samples.
TEST_F(MusicOnLoopback, ADamagedSoundIsOneLineInEitherPlayersLogAndSilence) {
    TempFolder folder;
    const std::string built = TempFolder::read(ZQ::pathForResource("Drag1-01", "caf"));
    std::vector<std::string> damaged = {folder.file("three channels.caf"), folder.file("not a CAF file.caf"),
                                        folder.file("no frame.caf")};
    writeSound(damaged[0], SF_FORMAT_CAF, 3, 4410);
    writeSound(damaged[1], SF_FORMAT_WAV, 1, 4410);
    writeSound(damaged[2], SF_FORMAT_CAF, 1, 0);
    for (std::size_t length = 0; length < built.size(); ++length) {
        if (length < 96 || length + 96 > built.size() || length % 211 == 0) {
            damaged.push_back(folder.file("cut at " + std::to_string(length) + ".caf"));
            TempFolder::write(damaged.back(), built.substr(0, length));
        }
    }
    for (const std::string& path : damaged) {
        const auto [effect, piece] = playDamaged(path, music, audio);
        for (const std::string& log : {effect, piece}) {
            EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
            EXPECT_NE(log.find(path), std::string::npos) << log;
            EXPECT_EQ(log.find("heard"), std::string::npos) << log;
        }
    }
    // A whole sound written the same way is heard: the cases above fail for
    // their damage alone.
    writeSound(folder.file("whole.caf"), SF_FORMAT_CAF, 2, 4410);
    EXPECT_EQ(playDamaged(folder.file("whole.caf"), music, audio), std::make_pair("heard"s, "heard"s));
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
