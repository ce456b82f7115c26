#pragma once

#include "engine/Action.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

class HoloInstance;

// The actions that animate a hologram, each bound to a HoloInstance: they
// write the fields the hologram pass uploads (noise, scan line) and its pose
// on the ring. Progress counts in frames (one run a frame); random draws come
// from the process-wide source. None of them fails. Main thread only.

// One sweep of the scan line over `frames` frames, in the hologram's scan
// direction from where the line stands: each run writes the running value,
// then advances it; the first run whose value has left [0, 1] clamps the line
// into [0, 1], turns the direction toward the far end and succeeds. Looped, the
// line goes up and down for ever.
class HoloScannerAction : public Action {
public:
    explicit HoloScannerAction(int32_t frames);
    State start() override;
    State run() override;

private:
    int32_t frames;
    float phase = 0.0f;
    float step = 0.0f;
};

// A glitch: min to max + 1 frames of one random displacement (amplitude drawn
// in [min, max), direction in the screen plane), then the noise back to zero.
class HoloGlitchAction : public Action {
public:
    HoloGlitchAction(int32_t minFrames, int32_t maxFrames, float minAmplitude, float maxAmplitude);
    State start() override;
    State run() override;

private:
    int32_t minFrames;
    int32_t maxFrames;
    float minAmplitude;
    float maxAmplitude;
    float t = 0.0f;
    float step = 0.0f;
    float amplitude = 0.0f;
    PVRTVec3 direction;
};

// Lets a glitch wait, half of the time, until the scan line reaches 0.9 of
// the height; succeeds at once the other half.
class HoloSyncAction : public Action {
public:
    State start() override;
    State run() override;

private:
    bool waits = false;
};

// A burst of noise (100 pixels along x) dying away on easeInExpo over 30
// frames; ends with the noise at zero and the hologram fully opaque.
class HoloFadeInAction : public Action {
public:
    State start() override;
    State run() override;

private:
    float t = 0.0f;
    float step = 0.0f;
};

// The chosen hologram's exit: the noise swells to 100 on easeInElastic while
// the scan line drops linearly to -1, below the knot; ends with alpha 0.
class HoloFadeOutAction : public Action {
public:
    explicit HoloFadeOutAction(int32_t frames);
    State start() override;
    State run() override;

private:
    int32_t frames;
    float t = 0.0f;
    float step = 0.0f;
    float startPhase = 0.0f;
};

// Glides the hologram along the ring from one angle to another on
// easeOutQuad, keeping the spin other actions have given it: its angles are
// the ring orientation at the new angle plus whatever turn it has gained
// since the last run. With N frames it runs N times, the last pose at
// t = (N - 1) / N, just short of the end.
class HoloRotateCenterAction : public Action {
public:
    HoloRotateCenterAction(float fromAngle, float toAngle, int32_t frames);
    State start() override;
    State run() override;

private:
    float fromAngle;
    float toAngle;
    int32_t frames;
    float t = 0.0f;
    float step = 0.0f;
    float previousT = 0.0f;
};

} // namespace ZQ
