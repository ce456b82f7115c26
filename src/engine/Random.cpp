#include "engine/Random.h"

#include <random>

namespace ZQ {
namespace {

// xoshiro128** : small state, fast, and good enough for game choices.
struct RandomSource {
    uint32_t s[4];

    explicit RandomSource(uint64_t seed) { reseed(seed); }

    void reseed(uint64_t seed) {
        // splitmix64 spreads any seed, including 0, over the whole state.
        for (int i = 0; i < 4; i += 2) {
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            s[i] = static_cast<uint32_t>(z);
            s[i + 1] = static_cast<uint32_t>(z >> 32);
        }
    }

    static uint32_t rotl(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

    uint32_t next() {
        const uint32_t result = rotl(s[1] * 5, 7) * 9;
        const uint32_t t = s[1] << 9;
        s[2] ^= s[0];
        s[3] ^= s[1];
        s[1] ^= s[2];
        s[0] ^= s[3];
        s[2] ^= t;
        s[3] = rotl(s[3], 11);
        return result;
    }
};

RandomSource& source() {
    static RandomSource instance{(static_cast<uint64_t>(std::random_device{}()) << 32) ^
                                 std::random_device{}()};
    return instance;
}

} // namespace

uint32_t arc4random() {
    return source().next();
}

uint32_t arc4random_uniform(uint32_t upperBound) {
    if (upperBound < 2) {
        return 0;
    }
    // Rejection keeps the result unbiased.
    const uint32_t threshold = static_cast<uint32_t>(-upperBound) % upperBound;
    for (;;) {
        const uint32_t r = source().next();
        if (r >= threshold) {
            return r % upperBound;
        }
    }
}

void seedRandom(uint64_t seed) {
    source().reseed(seed);
}

} // namespace ZQ
