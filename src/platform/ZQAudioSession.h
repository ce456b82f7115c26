#pragma once

class ZQMusicPlayerModel;
class ZQSoundEffectsModel;

// The game's audio session: decides at start whether the game's music may
// play and carries the effects player through interruptions.
//
// On this platform the game's sound always mixes with other programs' and
// no interruption is ever delivered, so "other audio is playing" is always
// false and the interruption handler runs only when called (tests; a later
// desktop integration). The handler takes no lock: it suspends or resumes
// the effects player's OpenAL context and nothing else.
//
// Ownership: points at the gateway's two players, which outlive it.
// Threads: main thread.
class ZQAudioSession {
public:
    enum Interruption { InterruptionEnded = 0, InterruptionBegan = 1 };

    ZQAudioSession(ZQMusicPlayerModel* music, ZQSoundEffectsModel* fx);

    void setUp();
    void tearDown();
    void doStep() {}
    void handleInterruption(int type);

    // Whether another program is playing audio now.
    static bool isOtherAudioPlaying() { return false; }

private:
    void initAudioSession();

    ZQSoundEffectsModel* fx;
    ZQMusicPlayerModel* music;
};
