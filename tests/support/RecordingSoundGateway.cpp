#include "support/RecordingSoundGateway.h"

#include <gtest/gtest.h>

#include <utility>

std::vector<std::string> RecordingSoundGateway::names() const {
    std::vector<std::string> out;
    for (const SoundCall& c : calls) {
        out.push_back(c.name);
    }
    return out;
}

std::size_t RecordingSoundGateway::count(const std::string& name) const {
    std::size_t n = 0;
    for (const SoundCall& c : calls) {
        n += c.name == name ? 1 : 0;
    }
    return n;
}

const SoundCall& RecordingSoundGateway::last(const std::string& name) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name == name) {
            return *it;
        }
    }
    ADD_FAILURE() << "no call of " << name;
    static const SoundCall none;
    return none;
}

void RecordingSoundGateway::log(const char* name, std::vector<double> args) {
    calls.push_back({name, std::move(args), nullptr});
}

int64_t RecordingSoundGateway::effect(const char* name, std::vector<double> args) {
    log(name, std::move(args));
    return sourcesFree ? nextHandle++ : 0;
}

void RecordingSoundGateway::setUp() {
    log("setUp");
}
void RecordingSoundGateway::tearDown() {
    log("tearDown");
}
void RecordingSoundGateway::doStep() {
    log("doStep");
}

void RecordingSoundGateway::playIntroMusic() {
    log("playIntroMusic");
}
void RecordingSoundGateway::playThemeMusic() {
    log("playThemeMusic");
}
void RecordingSoundGateway::playMenuMusic() {
    log("playMenuMusic");
}
void RecordingSoundGateway::playLevelCompleteMusic() {
    log("playLevelCompleteMusic");
}
void RecordingSoundGateway::playAwardMusic() {
    log("playAwardMusic");
}
void RecordingSoundGateway::playLevelFailMusic() {
    log("playLevelFailMusic");
}
void RecordingSoundGateway::playMapMusic() {
    log("playMapMusic");
}

int64_t RecordingSoundGateway::playBeep() {
    return effect("playBeep");
}
int64_t RecordingSoundGateway::playScore1(float x, float y, float z) {
    return effect("playScore1", {x, y, z});
}
int64_t RecordingSoundGateway::playScore2(float x, float y, float z) {
    return effect("playScore2", {x, y, z});
}
int64_t RecordingSoundGateway::playScore3(float x, float y, float z) {
    return effect("playScore3", {x, y, z});
}

int64_t RecordingSoundGateway::playNothing() {
    log("playNothing");
    return 0;
}

int64_t RecordingSoundGateway::playStringEffect(const PVRTVec3* position, int32_t stringIndex, float t) {
    const PVRTVec3 p = position != nullptr ? *position : PVRTVec3();
    const int64_t handle = effect("playStringEffect", {p.x, p.y, p.z, double(stringIndex), t});
    calls.back().positionRef = position;
    return handle;
}

int64_t RecordingSoundGateway::playDragEffect(const PVRTVec3* position, int32_t stringIndex, float t) {
    const PVRTVec3 p = position != nullptr ? *position : PVRTVec3();
    const int64_t handle = effect("playDragEffect", {p.x, p.y, p.z, double(stringIndex), t});
    calls.back().positionRef = position;
    return handle;
}

int64_t RecordingSoundGateway::playSwish(float x, float y, float z) {
    return effect("playSwish", {x, y, z});
}
int64_t RecordingSoundGateway::playRandomSwish17(float x, float y, float z) {
    return effect("playRandomSwish17", {x, y, z});
}
int64_t RecordingSoundGateway::playRandomSwish16(float x, float y, float z) {
    return effect("playRandomSwish16", {x, y, z});
}
int64_t RecordingSoundGateway::playStringIn(float x, float y, float z) {
    return effect("playStringIn", {x, y, z});
}
int64_t RecordingSoundGateway::playStringOut(float x, float y, float z) {
    return effect("playStringOut", {x, y, z});
}
int64_t RecordingSoundGateway::playRotateRoom(float x, float y, float z) {
    return effect("playRotateRoom", {x, y, z});
}
int64_t RecordingSoundGateway::playIgnition01() {
    return effect("playIgnition01");
}
int64_t RecordingSoundGateway::playButton() {
    return effect("playButton");
}
int64_t RecordingSoundGateway::playIgnition17() {
    return effect("playIgnition17");
}
int64_t RecordingSoundGateway::playIgnition16() {
    return effect("playIgnition16");
}

void RecordingSoundGateway::pauseMusic() {
    log("pauseMusic");
}
void RecordingSoundGateway::stopSource(int64_t handle) {
    log("stopSource", {double(handle)});
}
void RecordingSoundGateway::moveSource(int64_t handle, float x, float y, float z) {
    log("moveSource", {double(handle), x, y, z});
}
int64_t RecordingSoundGateway::playConfirm() {
    return effect("playConfirm");
}
void RecordingSoundGateway::purge() {
    log("purge");
}
void RecordingSoundGateway::musicOff() {
    log("musicOff");
}
void RecordingSoundGateway::musicOn() {
    log("musicOn");
}
