#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

// The building blocks every recipe is made of: a seeded noise source, table
// oscillators, a state-variable filter and envelopes. All of them are plain
// arithmetic on floats and integers, so a recipe gives the same samples on
// every run and every build (the tables are filled once from std::sin in
// double precision, the rest never calls the maths library per sample).

namespace VelmoraSounds {

inline constexpr double kTau = 6.283185307179586;

// xorshift32, seeded from a sound's name so each sound has its own noise.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed != 0 ? seed : 0x9e3779b9u) {}
    static uint32_t seedFor(std::string_view name) {
        uint32_t h = 2166136261u; // FNV-1a
        for (char c : name) {
            h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
        }
        return h;
    }
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in [-1, 1).
    float bipolar() { return static_cast<float>(static_cast<int32_t>(next())) * (1.0f / 2147483648.0f); }
    // Uniform in [0, 1).
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }

private:
    uint32_t state;
};

// One period of a waveform, read with a 32-bit phase and linear
// interpolation. The harmonic tables are band-limited to a few partials so
// that notes up to about 1.3 kHz stay clean at 22050 Hz.
enum class Table { Sine, SoftSaw, SoftSquare };

class WaveTables {
public:
    static constexpr int kBits = 11;
    static constexpr int kSize = 1 << kBits;

    static const WaveTables& get();
    float read(Table table, uint32_t phase) const {
        const std::array<float, kSize + 1>& t = tables[static_cast<int>(table)];
        const uint32_t i = phase >> (32 - kBits);
        const float frac = static_cast<float>((phase >> (32 - kBits - 16)) & 0xffffu) * (1.0f / 65536.0f);
        return t[i] + (t[i + 1] - t[i]) * frac;
    }

private:
    WaveTables();
    std::array<std::array<float, kSize + 1>, 3> tables;
};

// The phase step of a frequency at a sample rate.
inline uint32_t phaseStep(double hz, int rate) {
    const double step = hz / rate * 4294967296.0;
    return step <= 0.0 ? 0u : static_cast<uint32_t>(std::fmod(step, 4294967296.0));
}

// Chamberlin state-variable filter: low, band and high pass from one state.
// Stable for cutoffs below about a sixth of the sample rate, which every
// recipe keeps to.
class Svf {
public:
    void tune(float hz, float q, int rate) {
        f = 2.0f * static_cast<float>(std::sin(kTau * 0.5 * std::min<double>(hz, rate / 6.5) / rate));
        damp = 1.0f / q;
    }
    void run(float in) {
        low += f * band;
        high = in - low - damp * band;
        band += f * high;
    }
    float low = 0.0f, band = 0.0f, high = 0.0f;

private:
    float f = 0.1f, damp = 1.0f;
};

// Attack, then exponential decay with time constant `decay`, and a short
// fade at the very end so no sound stops on a click.
std::vector<float> envelope(int frames, int rate, float attack, float decay);

// Equal-tempered frequency of a MIDI note number.
inline double noteHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

} // namespace VelmoraSounds
