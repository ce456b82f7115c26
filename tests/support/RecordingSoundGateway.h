#pragma once

#include "engine/SoundGateway.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One call on the sound gateway: the operation's name and its arguments in
// order (handles, coordinates, string index and t as numbers).
struct SoundCall {
    std::string name;
    std::vector<double> args;
    // The live point handed to playStringEffect and playDragEffect.
    const PVRTVec3* positionRef = nullptr;
};

// A sound gateway that plays nothing and logs every call. Effects answer
// consecutive handles from nextHandle, or 0 while sourcesFree is false (as
// the real gateway does when every source is busy).
class RecordingSoundGateway : public ZQ::ISoundGateway {
public:
    std::vector<SoundCall> calls;
    int64_t nextHandle = 1;
    bool sourcesFree = true;

    // The names of the calls in order.
    std::vector<std::string> names() const;
    std::size_t count(const std::string& name) const;
    // The last call of that name; fails the test when there is none.
    const SoundCall& last(const std::string& name) const;

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

private:
    void log(const char* name, std::vector<double> args = {});
    int64_t effect(const char* name, std::vector<double> args = {});
};

// Makes a gateway the process-wide one for the lifetime of this object and
// puts the previous one back afterwards.
class ScopedSoundGateway {
public:
    explicit ScopedSoundGateway(ZQ::ISoundGateway* gateway)
        : previous(ZQ::SoundGateway::setInstance(gateway)) {}
    ~ScopedSoundGateway() { ZQ::SoundGateway::setInstance(previous); }
    ScopedSoundGateway(const ScopedSoundGateway&) = delete;
    ScopedSoundGateway& operator=(const ScopedSoundGateway&) = delete;

private:
    ZQ::ISoundGateway* previous;
};
