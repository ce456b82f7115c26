#include "platform/OpenALSoundGateway.h"

#include "constants/VectorConstants.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/Random.h"
#include "levels/LevelModel.h"

#include <array>

namespace ZQ {

namespace {

int32_t preferredThemes() {
    return Preferences::shared().getGameMode() == ZenMode ? kZenThemes : kArcadeThemes;
}

constexpr std::array<const char*, 8> kSwish17 = {"swish17-1", "swish17-2", "swish17-3", "swish17-4",
                                                 "swish17-5", "swish17-6", "swish17-7", "swish17-8"};
constexpr std::array<const char*, 8> kSwish16 = {"swish16-09", "swish16-01", "swish16-02", "swish16-03",
                                                 "swish16-04", "swish16-05", "swish16-06", "swish16-07"};

// The pieces that are not a theme's, each played by one operation below.
struct MusicPiece {
    const char* name;
    bool loop;
    float volume;
};

// clang-format off
constexpr MusicPiece kIntroMusic         = {"atmon-04",            true,  1.0f};
constexpr MusicPiece kMenuMusic          = {"menu",                true,  0.6f};
constexpr MusicPiece kLevelCompleteMusic = {"LevelCompletev3Full", false, 0.3f};
constexpr MusicPiece kAwardMusic         = {"Award LOOP",          true,  0.6f};
constexpr MusicPiece kLevelFailMusic     = {"LevelFailv2",         false, 0.3f};
constexpr MusicPiece kMapMusic           = {"rhythmic_resonance",  true,  1.0f};
// clang-format on

} // namespace

OpenALSoundGateway::OpenALSoundGateway() : audioSession(&music, &fx), readGameMode(&preferredThemes) {}

OpenALSoundGateway::~OpenALSoundGateway() {
    tearDown();
}

OpenALSoundGateway* OpenALSoundGateway::install() {
    // Never destroyed: sound may be asked for while statics are torn down.
    static OpenALSoundGateway* const gateway = new OpenALSoundGateway();
    SoundGateway::setInstance(gateway);
    return gateway;
}

SoundTheme OpenALSoundGateway::currentTheme() const {
    const int32_t level = gGlobals.levelModel != nullptr ? gGlobals.levelModel->level : 0;
    return soundThemeFor(readGameMode(), level);
}

int64_t OpenALSoundGateway::handleOf(const ZQSoundSource* source) {
    return reinterpret_cast<int64_t>(source);
}

int64_t OpenALSoundGateway::effect(const std::string& name, float gain, float x, float y, float z,
                                   const PVRTVec3* reference, bool ortho) {
    return handleOf(fx.play(name, false, gain, x, y, z, reference, ortho));
}

int64_t OpenALSoundGateway::atOrigin(const std::string& name, float gain) {
    return effect(name, gain, kVec3Zero.x, kVec3Zero.y, kVec3Zero.z, nullptr, false);
}

void OpenALSoundGateway::setUp() {
    audioSession.setUp();
    fx.setUp();
}

void OpenALSoundGateway::tearDown() {
    // The music's source and buffers belong to the effects player's context:
    // they go before it does.
    music.tearDown();
    fx.tearDown();
    audioSession.tearDown();
}

void OpenALSoundGateway::doStep() {
    fx.doStep();
    music.doStep();
}

void OpenALSoundGateway::playIntroMusic() {
    music.play(kIntroMusic.name, kIntroMusic.loop, kIntroMusic.volume);
}

void OpenALSoundGateway::playThemeMusic() {
    const SoundTheme theme = currentTheme();
    music.play(theme.music, true, theme.musicVolume);
}

void OpenALSoundGateway::playMenuMusic() {
    music.play(kMenuMusic.name, kMenuMusic.loop, kMenuMusic.volume);
}
void OpenALSoundGateway::playLevelCompleteMusic() {
    music.play(kLevelCompleteMusic.name, kLevelCompleteMusic.loop, kLevelCompleteMusic.volume);
}
void OpenALSoundGateway::playAwardMusic() {
    music.play(kAwardMusic.name, kAwardMusic.loop, kAwardMusic.volume);
}
void OpenALSoundGateway::playLevelFailMusic() {
    music.play(kLevelFailMusic.name, kLevelFailMusic.loop, kLevelFailMusic.volume);
}
void OpenALSoundGateway::playMapMusic() {
    music.play(kMapMusic.name, kMapMusic.loop, kMapMusic.volume);
}

int64_t OpenALSoundGateway::playBeep() {
    return atOrigin("uibeep_single_clean", 1.0f);
}
int64_t OpenALSoundGateway::playScore1(float, float, float) {
    return atOrigin("ScoresNEW-1", 1.0f);
}
int64_t OpenALSoundGateway::playScore2(float, float, float) {
    return atOrigin("ScoresNEW-2", 1.0f);
}
int64_t OpenALSoundGateway::playScore3(float, float, float) {
    return atOrigin("ScoresNEW-3", 1.0f);
}
int64_t OpenALSoundGateway::playNothing() {
    return 0;
}

int64_t OpenALSoundGateway::playStringEffect(const PVRTVec3* position, int32_t, float t) {
    const SoundTheme theme = currentTheme();
    const std::string& name = theme.stringEffects[effectIndexFor(theme.stringEffects.size(), t)];
    return effect(name, theme.stringGain, kVec3Zero.x, kVec3Zero.y, kVec3Zero.z, position, false);
}

int64_t OpenALSoundGateway::playDragEffect(const PVRTVec3* position, int32_t, float t) {
    const SoundTheme theme = currentTheme();
    const std::string& name = theme.dragEffects[effectIndexFor(theme.dragEffects.size(), t)];
    return effect(name, theme.dragGain, kVec3Zero.x, kVec3Zero.y, kVec3Zero.z, position, false);
}

int64_t OpenALSoundGateway::playSwish(float x, float y, float z) {
    return effect("swish18-05", 1.0f, x, y, z, nullptr, false);
}

int64_t OpenALSoundGateway::playRandomSwish17(float x, float y, float z) {
    return effect(kSwish17[arc4random() % kSwish17.size()], 1.0f, x, y, z, nullptr, true);
}

int64_t OpenALSoundGateway::playRandomSwish16(float x, float y, float z) {
    return effect(kSwish16[arc4random() % kSwish16.size()], 1.0f, x, y, z, nullptr, true);
}

int64_t OpenALSoundGateway::playStringIn(float x, float y, float z) {
    return effect("String IN v2", 1.0f, x, y, z, nullptr, false);
}

int64_t OpenALSoundGateway::playStringOut(float x, float y, float z) {
    return effect("String OUT v2", 1.0f, x, y, z, nullptr, false);
}

int64_t OpenALSoundGateway::playRotateRoom(float x, float y, float z) {
    return effect("Rotate Room", 1.0f, x, y, z, nullptr, false);
}

int64_t OpenALSoundGateway::playIgnition01() {
    return atOrigin("ignition_01", 1.0f);
}
int64_t OpenALSoundGateway::playButton() {
    return atOrigin("button_46", 1.0f);
}
int64_t OpenALSoundGateway::playIgnition17() {
    return atOrigin("ignition_17", 1.0f);
}
int64_t OpenALSoundGateway::playIgnition16() {
    return atOrigin("ignition_16", 1.0f);
}

void OpenALSoundGateway::pauseMusic() {
    music.pause();
}

void OpenALSoundGateway::stopSource(int64_t handle) {
    fx.stopSource(fx.sourceForHandle(handle));
}

void OpenALSoundGateway::moveSource(int64_t handle, float x, float y, float z) {
    fx.moveSource(fx.sourceForHandle(handle), x, y, z);
}

int64_t OpenALSoundGateway::playConfirm() {
    return atOrigin("ui_scifi_confirm_wet", 0.5f);
}
void OpenALSoundGateway::purge() {
    fx.purge();
}
void OpenALSoundGateway::musicOff() {
    music.turnOff();
}
void OpenALSoundGateway::musicOn() {
    music.turnOn();
}

} // namespace ZQ
