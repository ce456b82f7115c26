#include "Synth.h"

#include <algorithm>

namespace VelmoraSounds {

WaveTables::WaveTables() {
    for (int i = 0; i <= kSize; ++i) {
        const double x = kTau * i / kSize;
        double saw = 0.0, square = 0.0;
        for (int n = 1; n <= 8; ++n) {
            saw += std::sin(n * x) / n;
        }
        for (int n = 1; n <= 7; n += 2) {
            square += std::sin(n * x) / n;
        }
        tables[0][i] = static_cast<float>(std::sin(x));
        tables[1][i] = static_cast<float>(saw * 0.55);
        tables[2][i] = static_cast<float>(square * 0.8);
    }
}

const WaveTables& WaveTables::get() {
    static const WaveTables instance;
    return instance;
}

std::vector<float> envelope(int frames, int rate, float attack, float decay) {
    std::vector<float> env(static_cast<size_t>(std::max(frames, 0)));
    const int attackFrames = std::max(1, static_cast<int>(attack * rate));
    const int fadeFrames = std::min(frames, rate / 200); // 5 ms
    const float fall = static_cast<float>(std::exp(-1.0 / (std::max(decay, 1e-4f) * rate)));
    float level = 1.0f;
    for (int i = 0; i < frames; ++i) {
        float v;
        if (i < attackFrames) {
            v = static_cast<float>(i) / attackFrames;
        } else {
            level *= fall;
            v = level;
        }
        if (i >= frames - fadeFrames) {
            v *= static_cast<float>(frames - i) / fadeFrames;
        }
        env[static_cast<size_t>(i)] = v;
    }
    return env;
}

} // namespace VelmoraSounds
