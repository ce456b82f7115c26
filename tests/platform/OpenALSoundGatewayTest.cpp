#include "LoopbackAudio.h"

#include "engine/Preferences.h"
#include "engine/Random.h"
#include "levels/LevelModel.h"
#include "levels/LevelTestRecords.h"
#include "platform/OpenALSoundGateway.h"
#include "support/GlobalsTest.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using ZQ::OpenALSoundGateway;

// The real gateway on OpenAL's null output, with a level cursor at a chosen
// level; globals, the mute flag and the random sequence are put back.
class GatewayTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        useNullAudioDriver();
        ZQ::seedRandom(kTestSeed);
        wasMuted = ZQ::isMusicMuted();
        ZQ::setMusicMuted(false);
        // The themes follow the stored game mode, which other tests of this
        // binary flip: these expect the arcade tables unless they say.
        wasMode = ZQ::Preferences::shared().getGameMode();
        ZQ::Preferences::shared().setGameMode(ZQ::ArcadeMode);
        ZQ::gGlobals.levelModel = &levels;
        gateway.setUp();
        ASSERT_TRUE(gateway.fx.hasContext());
    }
    void TearDown() override {
        gateway.tearDown();
        ZQ::Preferences::shared().setGameMode(wasMode);
        ZQ::setMusicMuted(wasMuted);
        GlobalsTest::TearDown();
    }

    const ZQSoundSource* source(int64_t handle) { return gateway.fx.sourceForHandle(handle); }
    std::string soundOf(int64_t handle) {
        const ZQSoundSource* s = source(handle);
        return s != nullptr && s->isBusy() ? s->soundBuffer->name : std::string("(none)");
    }
    std::string piece() {
        const std::string& path = gateway.music.currentPath();
        const size_t slash = path.rfind('/');
        return path.substr(slash + 1);
    }

    bool wasMuted = false;
    int32_t wasMode = ZQ::ArcadeMode;
    ZQ::LevelModel levels{LevelTestRecords::records(1), LevelTestRecords::record("Ground")};
    OpenALSoundGateway gateway;
};

TEST_F(GatewayTest, MusicOperationsPlayTheirPiecesWithTheirLoopsAndVolumes) {
    struct Expected {
        void (OpenALSoundGateway::*play)();
        const char* file;
        bool loop;
        float volume;
    };
    const Expected expected[] = {
        {&OpenALSoundGateway::playIntroMusic, "atmon-04.caf", true, 1.0f},
        {&OpenALSoundGateway::playThemeMusic, "piece_4.caf", true, 0.6f}, // level 0, arcade
        {&OpenALSoundGateway::playMenuMusic, "menu.caf", true, 0.6f},
        {&OpenALSoundGateway::playLevelCompleteMusic, "LevelCompletev3Full.caf", false, 0.3f},
        {&OpenALSoundGateway::playAwardMusic, "Award LOOP.caf", true, 0.6f},
        {&OpenALSoundGateway::playLevelFailMusic, "LevelFailv2.caf", false, 0.3f},
        {&OpenALSoundGateway::playMapMusic, "rhythmic_resonance.caf", true, 1.0f},
    };
    for (const Expected& e : expected) {
        (gateway.*e.play)();
        EXPECT_EQ(piece(), e.file);
        EXPECT_EQ(gateway.music.isLooping(), e.loop) << e.file;
        EXPECT_EQ(gateway.music.volume(), e.volume) << e.file;
        EXPECT_TRUE(gateway.music.isPlaying()) << e.file;
    }
    gateway.pauseMusic();
    EXPECT_FALSE(gateway.music.isPlaying());
    gateway.musicOff();
    EXPECT_TRUE(ZQ::isMusicMuted());
    gateway.musicOn();
    EXPECT_FALSE(ZQ::isMusicMuted());
    EXPECT_TRUE(gateway.music.isPlaying());
}

TEST_F(GatewayTest, FixedEffectsPlayTheirSamplesAtTheirGainsAndPlaces) {
    using Fixed = int64_t (OpenALSoundGateway::*)();
    using Placed = int64_t (OpenALSoundGateway::*)(float, float, float);
    struct AtOrigin {
        Fixed play;
        const char* name;
        float gain;
    };
    const AtOrigin atOrigin[] = {
        {&OpenALSoundGateway::playBeep, "uibeep_single_clean", 1.0f},
        {&OpenALSoundGateway::playIgnition01, "ignition_01", 1.0f},
        {&OpenALSoundGateway::playButton, "button_46", 1.0f},
        {&OpenALSoundGateway::playIgnition17, "ignition_17", 1.0f},
        {&OpenALSoundGateway::playIgnition16, "ignition_16", 1.0f},
        {&OpenALSoundGateway::playConfirm, "ui_scifi_confirm_wet", 0.5f},
    };
    for (const AtOrigin& e : atOrigin) {
        const int64_t handle = (gateway.*e.play)();
        ASSERT_NE(handle, 0) << e.name;
        EXPECT_EQ(soundOf(handle), e.name);
        EXPECT_EQ(source(handle)->gainLevel, e.gain) << e.name;
        EXPECT_EQ(source(handle)->looping, 0) << e.name;
        EXPECT_EQ(source(handle)->position, PVRTVec3(0, 0, 0)) << e.name;
        EXPECT_FALSE(source(handle)->ortho) << e.name;
        gateway.stopSource(handle);
    }
    struct Positioned {
        Placed play;
        const char* name;
        bool atOrigin; // the points sounds ignore the place they are given
    };
    const Positioned positioned[] = {
        {&OpenALSoundGateway::playScore1, "ScoresNEW-1", true},
        {&OpenALSoundGateway::playScore2, "ScoresNEW-2", true},
        {&OpenALSoundGateway::playScore3, "ScoresNEW-3", true},
        {&OpenALSoundGateway::playSwish, "swish18-05", false},
        {&OpenALSoundGateway::playStringIn, "String IN v2", false},
        {&OpenALSoundGateway::playStringOut, "String OUT v2", false},
        {&OpenALSoundGateway::playRotateRoom, "Rotate Room", false},
    };
    for (const Positioned& e : positioned) {
        const int64_t handle = (gateway.*e.play)(3.0f, 4.0f, 5.0f);
        ASSERT_NE(handle, 0) << e.name;
        EXPECT_EQ(soundOf(handle), e.name);
        EXPECT_EQ(source(handle)->gainLevel, 1.0f) << e.name;
        EXPECT_EQ(source(handle)->position, e.atOrigin ? PVRTVec3(0, 0, 0) : PVRTVec3(3, 4, 5)) << e.name;
        EXPECT_FALSE(source(handle)->ortho) << e.name;
        // The handle moves and stops its own sound.
        gateway.moveSource(handle, 7.0f, 8.0f, 9.0f);
        EXPECT_EQ(source(handle)->position, PVRTVec3(7, 8, 9)) << e.name;
        gateway.stopSource(handle);
        EXPECT_FALSE(source(handle)->isBusy()) << e.name;
    }
    EXPECT_EQ(gateway.playNothing(), 0);
    EXPECT_TRUE(gateway.fx.playingSources().empty());
}

TEST_F(GatewayTest, RandomSwishesComeFromTheirListsOrthographically) {
    using Placed = int64_t (OpenALSoundGateway::*)(float, float, float);
    const std::pair<Placed, std::set<std::string>> lists[] = {
        {&OpenALSoundGateway::playRandomSwish17,
         {"swish17-1", "swish17-2", "swish17-3", "swish17-4", "swish17-5", "swish17-6", "swish17-7",
          "swish17-8"}},
        {&OpenALSoundGateway::playRandomSwish16,
         {"swish16-09", "swish16-01", "swish16-02", "swish16-03", "swish16-04", "swish16-05", "swish16-06",
          "swish16-07"}},
    };
    for (const auto& [play, names] : lists) {
        std::set<std::string> heard;
        for (int i = 0; i < 200; ++i) {
            const int64_t handle = (gateway.*play)(1.0f, 2.0f, 3.0f);
            ASSERT_NE(handle, 0);
            EXPECT_TRUE(source(handle)->ortho);
            EXPECT_EQ(source(handle)->position, PVRTVec3(1, 2, 3));
            heard.insert(soundOf(handle));
            gateway.stopSource(handle);
        }
        EXPECT_EQ(heard, names);
    }
}

TEST_F(GatewayTest, PullsPlayTheThemeSampleForTheirPlaceAndFollowThePoint) {
    PVRTVec3 particle(10.0f, 20.0f, 30.0f);
    levels.level = 2; // arcade level 2: piece_1 with effect set 1
    struct Pull {
        float t;
        const char* string;
        const char* drag;
    };
    for (const Pull& p : {Pull{0.0f, "String1-15", "Drag1-15"}, Pull{1.0f, "String1-15", "Drag1-15"},
                          Pull{0.5f, "String1-01", "Drag1-01"}, Pull{-1.0f, "String1-15", "Drag1-15"},
                          Pull{0.25f, "String1-08", "Drag1-08"}}) {
        const int64_t s = gateway.playStringEffect(&particle, 0, p.t);
        const int64_t d = gateway.playDragEffect(&particle, 0, p.t);
        EXPECT_EQ(soundOf(s), p.string) << p.t;
        EXPECT_EQ(soundOf(d), p.drag) << p.t;
        EXPECT_EQ(source(s)->gainLevel, 0.3f);
        EXPECT_EQ(source(d)->gainLevel, 0.5f);
        EXPECT_EQ(source(s)->positionRef, &particle);
        EXPECT_EQ(source(s)->position, particle);
        gateway.stopSource(s);
        gateway.stopSource(d);
    }
    // The source follows the particle at every step.
    const int64_t s = gateway.playStringEffect(&particle, 1, 0.4f);
    particle = PVRTVec3(-1.0f, -2.0f, -3.0f);
    gateway.doStep();
    EXPECT_EQ(source(s)->position, particle);

    // The theme is looked up at every call: another level, another set.
    levels.level = 1; // piece_4 with set 2: 16 strings at 0.15
    const int64_t other = gateway.playStringEffect(&particle, 0, 0.0f);
    EXPECT_EQ(soundOf(other), "String2-08");
    EXPECT_EQ(source(other)->gainLevel, 0.15f);
    gateway.playThemeMusic();
    EXPECT_EQ(piece(), "piece_4.caf");
}

TEST_F(GatewayTest, TheGameModeChoosesTheZenThemes) {
    gateway.readGameMode = [] { return ZQ::kZenThemes; };
    levels.level = 17; // zen record 1: zen_2 with set 2
    EXPECT_EQ(gateway.currentTheme().music, "zen_2");
    PVRTVec3 particle;
    EXPECT_EQ(soundOf(gateway.playDragEffect(&particle, 0, 1.0f)), "Drag2-09");
    gateway.playThemeMusic();
    EXPECT_EQ(piece(), "zen_2.caf");
    EXPECT_EQ(gateway.music.volume(), 0.6f);
}

// Without a reader of its own the gateway follows the player's stored mode,
// asked afresh at each call: a flip of the mode tile changes the next piece.
TEST_F(GatewayTest, ThePlayersGameModePreferenceChoosesTheTable) {
    ZQ::Preferences& preferences = ZQ::Preferences::shared();
    const ZQ::GameMode saved = preferences.getGameMode();
    OpenALSoundGateway plain;
    levels.level = 17; // arcade record 17 and zen record 1 differ

    preferences.setGameMode(ZQ::ZenMode);
    const ZQ::SoundTheme zen = plain.currentTheme();
    preferences.setGameMode(ZQ::ArcadeMode);
    const ZQ::SoundTheme arcade = plain.currentTheme();
    preferences.setGameMode(saved);

    EXPECT_EQ(zen.music, ZQ::soundThemeFor(ZQ::kZenThemes, 17).music);
    EXPECT_EQ(zen.music, "zen_2");
    EXPECT_EQ(arcade.music, ZQ::soundThemeFor(ZQ::kArcadeThemes, 17).music);
    EXPECT_NE(arcade.music, zen.music);
}

TEST_F(GatewayTest, WithEverySourceBusyEffectsAnswerZeroAndMusicGoesOn) {
    for (int i = 0; i < ZQSoundEffectsModel::kSourceCount; ++i) {
        ASSERT_NE(gateway.playRotateRoom(0, 0, 0), 0);
    }
    PVRTVec3 particle;
    EXPECT_EQ(gateway.playBeep(), 0);
    EXPECT_EQ(gateway.playScore1(0, 0, 0), 0);
    EXPECT_EQ(gateway.playStringEffect(&particle, 0, 0.5f), 0);
    EXPECT_EQ(gateway.playRandomSwish17(0, 0, 0), 0);
    EXPECT_EQ(gateway.playConfirm(), 0);
    gateway.playMenuMusic();
    EXPECT_TRUE(gateway.music.isPlaying());
    // Purge keeps the playing sample; stopping by a zero handle does nothing.
    gateway.stopSource(0);
    gateway.purge();
    EXPECT_EQ(gateway.fx.loadedSounds().size(), 1u);
    EXPECT_EQ(gateway.fx.playingSources().size(), 16u);
}

// No sound device: the gateway answers every operation silently.
TEST(GatewayWithoutDevice, EveryOperationIsANoOp) {
    OpenALSoundGateway gateway;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    gateway.fx.useDevice(open(nullptr), {}); // a context cannot be made on it
    ::testing::internal::CaptureStderr();
    gateway.setUp();
    ::testing::internal::GetCapturedStderr();
    PVRTVec3 p;
    int64_t handles = 0;
    gateway.playIntroMusic();
    gateway.playThemeMusic();
    gateway.playMenuMusic();
    gateway.playLevelCompleteMusic();
    gateway.playAwardMusic();
    gateway.playLevelFailMusic();
    gateway.playMapMusic();
    handles |= gateway.playBeep() | gateway.playScore1(0, 0, 0) | gateway.playScore2(0, 0, 0) |
               gateway.playScore3(0, 0, 0) | gateway.playNothing() | gateway.playStringEffect(&p, 0, 0.5f) |
               gateway.playDragEffect(&p, 0, 0.5f) | gateway.playSwish(0, 0, 0) |
               gateway.playRandomSwish17(0, 0, 0) | gateway.playRandomSwish16(0, 0, 0) |
               gateway.playStringIn(0, 0, 0) | gateway.playStringOut(0, 0, 0) |
               gateway.playRotateRoom(0, 0, 0) | gateway.playIgnition01() | gateway.playButton() |
               gateway.playIgnition17() | gateway.playIgnition16() | gateway.playConfirm();
    EXPECT_EQ(handles, 0);
    gateway.pauseMusic();
    gateway.stopSource(12345);
    gateway.moveSource(12345, 1, 2, 3);
    gateway.purge();
    const bool wasMuted = ZQ::isMusicMuted();
    gateway.musicOff();
    gateway.musicOn();
    ZQ::setMusicMuted(wasMuted);
    gateway.doStep();
    EXPECT_FALSE(gateway.music.isPlaying());
    gateway.tearDown();
}

// Every operation, in both modes at every level, pulls along the whole
// string and the random swishes drawn many times: each sound it asks for is
// in the built bundle and plays without a line in the log.
TEST_F(GatewayTest, EverySoundItPlaysLoadsFromTheBuiltBundle) {
    OpenALSoundGateway& g = gateway;
    ::testing::internal::CaptureStderr();
    using G = OpenALSoundGateway;
    std::size_t pieces = 0;
    const auto playMusic = [&](void (G::*play)()) {
        (g.*play)();
        pieces += g.music.isPlaying() ? 1 : 0;
    };
    for (auto play : {&G::playIntroMusic, &G::playMenuMusic, &G::playLevelCompleteMusic, &G::playAwardMusic,
                      &G::playLevelFailMusic, &G::playMapMusic}) {
        playMusic(play);
    }
    for (auto mode : {+[] { return ZQ::kArcadeThemes; }, +[] { return ZQ::kZenThemes; }}) {
        g.readGameMode = mode;
        for (levels.level = 0; levels.level < 76; ++levels.level) {
            playMusic(&G::playThemeMusic);
            for (int step = 0; step <= 40; ++step) {
                g.stopSource(g.playStringEffect(nullptr, 0, step / 40.0f));
                g.stopSource(g.playDragEffect(nullptr, 0, step / 40.0f));
            }
        }
    }
    for (int draw = 0; draw < 200; ++draw) {
        g.stopSource(g.playRandomSwish16(0, 0, 0));
        g.stopSource(g.playRandomSwish17(0, 0, 0));
    }
    for (int64_t handle :
         {g.playBeep(), g.playScore1(0, 0, 0), g.playScore2(0, 0, 0), g.playScore3(0, 0, 0),
          g.playSwish(0, 0, 0), g.playStringIn(0, 0, 0), g.playStringOut(0, 0, 0), g.playRotateRoom(0, 0, 0),
          g.playIgnition01(), g.playButton(), g.playIgnition17(), g.playIgnition16(), g.playConfirm()}) {
        g.stopSource(handle);
    }
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "");
    EXPECT_EQ(pieces, 6u + 2u * 76u);
    EXPECT_GT(g.fx.loadedSounds().size(), 100u);
    for (const auto& [name, buffer] : g.fx.loadedSounds()) {
        EXPECT_GT(buffer->dataSize, 0) << name;
    }
}

} // namespace
