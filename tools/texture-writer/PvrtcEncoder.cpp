#include "PvrtcEncoder.h"

#include "PvrWriter.h"

#include <algorithm>
#include <array>

namespace PvrtcEncoder {

namespace {

using Rgba = std::array<int, 4>;

struct Pair {
    uint32_t word = 0;
    Rgba a{};
    Rgba b{};
};

int luminance(const uint8_t* p) {
    return 2 * p[0] + 5 * p[1] + p[2];
}

// The colour word of a block's two colours, and the colours as the decoder
// will widen them back to 8 bits (before blending between blocks).
Pair quantise(const uint8_t* dark, const uint8_t* bright, bool translucent) {
    Pair pair;
    const auto to5 = [](int v) { return v >> 3; };
    const auto to4 = [](int v) { return v >> 4; };
    const auto to3 = [](int v) { return v >> 5; };
    const auto back5 = [](int v) { return v << 3 | v >> 2; };
    const auto back4 = [](int v) {
        const int five = v << 1 | v >> 3;
        return five << 3 | five >> 2;
    };
    const auto back3 = [](int v) {
        const int five = v << 2 | v >> 1;
        return five << 3 | five >> 2;
    };
    if (!translucent) {
        const uint32_t a = 0x8000u | uint32_t(to5(dark[0])) << 10 | uint32_t(to5(dark[1])) << 5 |
                           uint32_t(to4(dark[2])) << 1;
        const uint32_t b = 0x8000u | uint32_t(to5(bright[0])) << 10 | uint32_t(to5(bright[1])) << 5 |
                           uint32_t(to5(bright[2]));
        pair.word = a | b << 16;
        pair.a = {back5(to5(dark[0])), back5(to5(dark[1])), back4(to4(dark[2])), 255};
        pair.b = {back5(to5(bright[0])), back5(to5(bright[1])), back5(to5(bright[2])), 255};
        return pair;
    }
    const uint32_t a = uint32_t(to3(dark[3])) << 12 | uint32_t(to4(dark[0])) << 8 |
                       uint32_t(to4(dark[1])) << 4 | uint32_t(to3(dark[2])) << 1;
    const uint32_t b = uint32_t(to3(bright[3])) << 12 | uint32_t(to4(bright[0])) << 8 |
                       uint32_t(to4(bright[1])) << 4 | uint32_t(to4(bright[2]));
    pair.word = a | b << 16;
    const auto alpha = [](int v3) { return (v3 << 1) * 17; };
    pair.a = {back4(to4(dark[0])), back4(to4(dark[1])), back3(to3(dark[2])), alpha(to3(dark[3]))};
    pair.b = {back4(to4(bright[0])), back4(to4(bright[1])), back4(to4(bright[2])), alpha(to3(bright[3]))};
    return pair;
}

} // namespace

std::vector<uint8_t> encode(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height, bool twoBit) {
    const uint32_t bw = twoBit ? 8 : 4;
    const uint32_t gw = width / bw;
    const uint32_t gh = height / 4;
    std::vector<uint8_t> blocks(std::size_t{gw} * gh * 8);
    const auto pixel = [&](uint32_t x, uint32_t y) { return &rgba[(std::size_t{y} * width + x) * 4]; };
    for (uint32_t by = 0; by < gh; ++by) {
        for (uint32_t bx = 0; bx < gw; ++bx) {
            const uint8_t* dark = pixel(bx * bw, by * 4);
            const uint8_t* bright = dark;
            bool translucent = false;
            for (uint32_t y = 0; y < 4; ++y) {
                for (uint32_t x = 0; x < bw; ++x) {
                    const uint8_t* p = pixel(bx * bw + x, by * 4 + y);
                    dark = luminance(p) < luminance(dark) ? p : dark;
                    bright = luminance(p) > luminance(bright) ? p : bright;
                    translucent = translucent || p[3] < 255;
                }
            }
            const Pair pair = quantise(dark, bright, translucent);
            // Weights of B: 0, 3, 5, 8 eighths (4-bit) or 0, 8 (2-bit, one bit
            // a pixel); each pixel takes the nearest blend of its block's pair.
            uint32_t modulation = 0;
            for (uint32_t y = 0; y < 4; ++y) {
                for (uint32_t x = 0; x < bw; ++x) {
                    const uint8_t* p = pixel(bx * bw + x, by * 4 + y);
                    static constexpr int kWeights[4] = {0, 3, 5, 8};
                    int best = 0;
                    long bestError = -1;
                    for (int code = 0; code < (twoBit ? 2 : 4); ++code) {
                        const int m = twoBit ? code * 8 : kWeights[code];
                        long error = 0;
                        for (int c = 0; c < 4; ++c) {
                            const long d = (pair.a[static_cast<std::size_t>(c)] * (8 - m) +
                                            pair.b[static_cast<std::size_t>(c)] * m) /
                                               8 -
                                           p[c];
                            error += d * d;
                        }
                        if (bestError < 0 || error < bestError) {
                            bestError = error;
                            best = code;
                        }
                    }
                    modulation |= uint32_t(best) << (twoBit ? y * 8 + x : 2 * (y * 4 + x));
                }
            }
            PvrWriter::putPvrtcBlock(blocks, gw, gh, bx, by, modulation, pair.word);
        }
    }
    return blocks;
}

} // namespace PvrtcEncoder
