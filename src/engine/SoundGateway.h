#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// The one sound interface of the engine: every game sound is one named
// operation, so game code never handles file names, gains or players.
// Effect operations return the 64-bit handle of the source that plays them,
// 0 when no source was free; a cloudlet keeps the handle to move its sound
// with it. Main thread only.
//
// Gateways are never deleted through this interface.
class ISoundGateway {
public:
    virtual void setUp() = 0;
    virtual void tearDown() = 0;
    virtual void doStep() = 0;

    virtual void playIntroMusic() = 0;
    virtual void playThemeMusic() = 0;
    virtual void playMenuMusic() = 0;
    virtual void playLevelCompleteMusic() = 0;
    virtual void playAwardMusic() = 0;
    virtual void playLevelFailMusic() = 0;
    virtual void playMapMusic() = 0;

    virtual int64_t playBeep() = 0;
    // The points sounds play at the origin whatever position they are given.
    virtual int64_t playScore1(float x, float y, float z) = 0;
    virtual int64_t playScore2(float x, float y, float z) = 0;
    virtual int64_t playScore3(float x, float y, float z) = 0;
    virtual int64_t playNothing() = 0;
    // A pull on a string: the sample is chosen by t, the place of the pulled
    // particle along its string (0..1); the source follows `position`, which
    // must stay alive while the sound plays.
    virtual int64_t playStringEffect(const PVRTVec3* position, int32_t stringIndex, float t) = 0;
    virtual int64_t playDragEffect(const PVRTVec3* position, int32_t stringIndex, float t) = 0;
    virtual int64_t playSwish(float x, float y, float z) = 0;
    virtual int64_t playRandomSwish17(float x, float y, float z) = 0;
    virtual int64_t playRandomSwish16(float x, float y, float z) = 0;
    virtual int64_t playStringIn(float x, float y, float z) = 0;
    virtual int64_t playStringOut(float x, float y, float z) = 0;
    virtual int64_t playRotateRoom(float x, float y, float z) = 0;
    virtual int64_t playIgnition01() = 0;
    virtual int64_t playButton() = 0;
    virtual int64_t playIgnition17() = 0;
    virtual int64_t playIgnition16() = 0;

    virtual void pauseMusic() = 0;
    virtual void stopSource(int64_t handle) = 0;
    virtual void moveSource(int64_t handle, float x, float y, float z) = 0;
    virtual int64_t playConfirm() = 0;
    // Frees the decoded samples no source is playing (memory warnings).
    virtual void purge() = 0;
    virtual void musicOff() = 0;
    virtual void musicOn() = 0;

protected:
    ~ISoundGateway() = default;
};

// A positioned effect operation, as sound actions hold them:
// (x, y, z) -> source handle.
using PositionedSound = int64_t (ISoundGateway::*)(float x, float y, float z);

// The player's music switch, the one place it is kept: true when the player
// asked for no music (the main menu's mute tile), or when other audio was
// already playing as the game started. The music player reads it at every
// play; the menu flips it and then calls musicOff or musicOn. It lasts for
// the run and is not saved: the game starts with music on. Main thread.
bool isMusicMuted();
void setMusicMuted(bool muted);

// The process-wide gateway. Until the effects and music players exist it
// is silent: every operation does nothing and every effect answers handle 0
// ("no source was free"), which callers already handle.
class SoundGateway final : public ISoundGateway {
public:
    // The process-wide gateway; never fails, never null.
    static ISoundGateway* instance();
    // Puts `gateway` in place of the process-wide one (null brings the
    // built-in one back) and returns the one it replaced, so a test can
    // record the calls and restore the previous gateway afterwards.
    static ISoundGateway* setInstance(ISoundGateway* gateway);

    void setUp() override {}
    void tearDown() override {}
    void doStep() override {}

    void playIntroMusic() override {}
    void playThemeMusic() override {}
    void playMenuMusic() override {}
    void playLevelCompleteMusic() override {}
    void playAwardMusic() override {}
    void playLevelFailMusic() override {}
    void playMapMusic() override {}

    int64_t playBeep() override { return 0; }
    int64_t playScore1(float, float, float) override { return 0; }
    int64_t playScore2(float, float, float) override { return 0; }
    int64_t playScore3(float, float, float) override { return 0; }
    int64_t playNothing() override { return 0; }
    int64_t playStringEffect(const PVRTVec3*, int32_t, float) override { return 0; }
    int64_t playDragEffect(const PVRTVec3*, int32_t, float) override { return 0; }
    int64_t playSwish(float, float, float) override { return 0; }
    int64_t playRandomSwish17(float, float, float) override { return 0; }
    int64_t playRandomSwish16(float, float, float) override { return 0; }
    int64_t playStringIn(float, float, float) override { return 0; }
    int64_t playStringOut(float, float, float) override { return 0; }
    int64_t playRotateRoom(float, float, float) override { return 0; }
    int64_t playIgnition01() override { return 0; }
    int64_t playButton() override { return 0; }
    int64_t playIgnition17() override { return 0; }
    int64_t playIgnition16() override { return 0; }

    void pauseMusic() override {}
    void stopSource(int64_t) override {}
    void moveSource(int64_t, float, float, float) override {}
    int64_t playConfirm() override { return 0; }
    void purge() override {}
    void musicOff() override {}
    void musicOn() override {}
};

} // namespace ZQ
