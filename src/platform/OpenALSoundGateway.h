#pragma once

#include "engine/SoundGateway.h"
#include "platform/SoundThemes.h"
#include "platform/ZQAudioSession.h"
#include "platform/ZQMusicPlayerModel.h"
#include "platform/ZQSoundEffectsModel.h"

#include <cstdint>
#include <string>

namespace ZQ {

// The game's sound: every gateway operation played through the effects
// player and the music player on OpenAL, with the level's sound theme
// chosen afresh at every theme call (a change of game mode or level counts
// from the next call; nothing is cached).
//
// Ownership: install() makes the one process gateway, which is never
// destroyed; tests make their own on a loopback device. The gateway owns
// its two players and the audio session.
// Threads: main thread only.
class OpenALSoundGateway final : public ISoundGateway {
public:
    // Where the theme tables read the game mode (kArcadeThemes or
    // kZenThemes): the player's preference, asked at every theme call;
    // tests put a reader of their own in its place.
    using GameModeReader = int32_t (*)();

    OpenALSoundGateway();
    ~OpenALSoundGateway();
    OpenALSoundGateway(const OpenALSoundGateway&) = delete;
    OpenALSoundGateway& operator=(const OpenALSoundGateway&) = delete;

    // Makes the process gateway on the first call and puts it in place of
    // the silent one (SoundGateway::instance answers it from then on).
    static OpenALSoundGateway* install();

    // The theme of the current game mode and the level cursor's level (0
    // while there is no level cursor).
    SoundTheme currentTheme() const;
    // The handle a played source is known by: its identity, 0 for none.
    static int64_t handleOf(const ZQSoundSource* source);

    void setUp() override;
    void tearDown() override;
    void doStep() override;

    void playIntroMusic() override;
    void playThemeMusic() override;
    void playMenuMusic() override;
    void playLevelCompleteMusic() override;
    void playAwardMusic() override;
    void playLevelFailMusic() override;
    void playMapMusic() override;

    int64_t playBeep() override;
    int64_t playScore1(float x, float y, float z) override;
    int64_t playScore2(float x, float y, float z) override;
    int64_t playScore3(float x, float y, float z) override;
    int64_t playNothing() override;
    int64_t playStringEffect(const PVRTVec3* position, int32_t stringIndex, float t) override;
    int64_t playDragEffect(const PVRTVec3* position, int32_t stringIndex, float t) override;
    int64_t playSwish(float x, float y, float z) override;
    int64_t playRandomSwish17(float x, float y, float z) override;
    int64_t playRandomSwish16(float x, float y, float z) override;
    int64_t playStringIn(float x, float y, float z) override;
    int64_t playStringOut(float x, float y, float z) override;
    int64_t playRotateRoom(float x, float y, float z) override;
    int64_t playIgnition01() override;
    int64_t playButton() override;
    int64_t playIgnition17() override;
    int64_t playIgnition16() override;

    void pauseMusic() override;
    void stopSource(int64_t handle) override;
    void moveSource(int64_t handle, float x, float y, float z) override;
    int64_t playConfirm() override;
    void purge() override;
    void musicOff() override;
    void musicOn() override;

    ZQSoundEffectsModel fx;
    ZQAudioSession audioSession;
    ZQMusicPlayerModel music;
    GameModeReader readGameMode;

private:
    int64_t effect(const std::string& name, float gain, float x, float y, float z, const PVRTVec3* reference,
                   bool ortho);
    int64_t atOrigin(const std::string& name, float gain);
};

} // namespace ZQ
