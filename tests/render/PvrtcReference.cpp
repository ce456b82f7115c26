#include "PvrtcReference.h"

#include "PvrWriter.h"

#include <array>
#include <cstring>

namespace PvrtcReference {

namespace {

struct Image {
    const std::vector<uint8_t>& blocks;
    bool twoBit;
    uint32_t width;
    uint32_t height;

    uint32_t blockWidth() const { return twoBit ? 8 : 4; }
    uint32_t gridWidth() const { return width / blockWidth(); }
    uint32_t gridHeight() const { return height / 4; }

    uint32_t word(uint32_t bx, uint32_t by, int which) const {
        const std::size_t at = PvrWriter::pvrtcBlockOffset(gridWidth(), gridHeight(), bx, by) + 4 * which;
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | blocks[at + static_cast<std::size_t>(i)];
        }
        return value;
    }
};

using Channels = std::array<int, 4>; // red, green, blue, alpha

// Bits [low, low + count) of v.
int bits(uint32_t v, int low, int count) {
    return static_cast<int>((v >> low) & ((1u << count) - 1));
}

int widen4(int v) {
    return v << 1 | v >> 3;
}

Channels colour(uint32_t word, bool b) {
    const uint32_t half = b ? word >> 16 : word & 0xFFFF;
    if ((half & 0x8000) != 0) {
        const int blue = b ? bits(half, 0, 5) : bits(half, 1, 4) << 1 | bits(half, 4, 1);
        return {bits(half, 10, 5), bits(half, 5, 5), blue, 15};
    }
    const int blue = b ? widen4(bits(half, 0, 4)) : bits(half, 1, 3) << 2 | bits(half, 1, 3) >> 1;
    return {widen4(bits(half, 8, 4)), widen4(bits(half, 4, 4)), blue, bits(half, 12, 3) << 1};
}

// The stored weight (eighths, +10 for punch-through) at global (x, y), or
// -1 for a 2-bit checkerboard gap; `fill` receives the block's fill mode.
int stored(const Image& im, uint32_t x, uint32_t y, int& fill) {
    const uint32_t bw = im.blockWidth();
    const uint32_t lx = x % bw;
    const uint32_t ly = y % 4;
    const uint32_t mod = im.word(x / bw, y / 4, 0);
    const bool flag = (im.word(x / bw, y / 4, 1) & 1) != 0;
    static constexpr int kStandard[4] = {0, 3, 5, 8};
    static constexpr int kPunch[4] = {0, 4, 14, 8};
    fill = 0;
    if (!im.twoBit) {
        const int code = bits(mod, static_cast<int>(2 * (ly * 4 + lx)), 2);
        return flag ? kPunch[code] : kStandard[code];
    }
    if (!flag) {
        return bits(mod, static_cast<int>(ly * 8 + lx), 1) * 8;
    }
    fill = (mod & 1) == 0 ? 1 : bits(mod, 20, 1) != 0 ? 3 : 2;
    if (((lx ^ ly) & 1) != 0) {
        return -1;
    }
    const int k = static_cast<int>((ly * 8 + lx) / 2);
    int code = bits(mod, 2 * k, 2);
    if (k == 0) {
        code = bits(mod, 1, 1) * 3;
    } else if (k == 10 && (mod & 1) != 0) {
        code = bits(mod, 21, 1) * 3;
    }
    return kStandard[code];
}

int weight(const Image& im, uint32_t x, uint32_t y) {
    int fill = 0;
    const int own = stored(im, x, y, fill);
    if (own >= 0) {
        return own;
    }
    int ignored = 0;
    const auto at = [&](int dx, int dy) {
        return stored(im, (x + im.width + static_cast<uint32_t>(dx)) % im.width,
                      (y + im.height + static_cast<uint32_t>(dy)) % im.height, ignored);
    };
    if (fill == 1) {
        return (at(0, -1) + at(0, 1) + at(-1, 0) + at(1, 0) + 2) / 4;
    }
    if (fill == 2) {
        return (at(-1, 0) + at(1, 0) + 1) / 2;
    }
    return (at(0, -1) + at(0, 1) + 1) / 2;
}

} // namespace

std::vector<uint8_t> decode(const std::vector<uint8_t>& blocks, bool twoBit, uint32_t width,
                            uint32_t height) {
    const Image im{blocks, twoBit, width, height};
    const uint32_t bw = im.blockWidth();
    std::vector<uint8_t> out(std::size_t{width} * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // The block centres around the pixel: P's sits bw/2 left of and 2
            // rows above the area the pixel falls in.
            const uint32_t ax = (x + width - bw / 2) % width;
            const uint32_t ay = (y + height - 2) % height;
            const uint32_t px = ax / bw;
            const uint32_t py = ay / 4;
            const uint32_t qx = (px + 1) % im.gridWidth();
            const uint32_t ry = (py + 1) % im.gridHeight();
            const int fx = static_cast<int>(ax % bw);
            const int fy = static_cast<int>(ay % 4);
            const int wP = (static_cast<int>(bw) - fx) * (4 - fy);
            const int wQ = fx * (4 - fy);
            const int wR = (static_cast<int>(bw) - fx) * fy;
            const int wS = fx * fy;
            Channels a{};
            Channels b{};
            for (int which = 0; which < 2; ++which) {
                const Channels p = colour(im.word(px, py, 1), which == 1);
                const Channels q = colour(im.word(qx, py, 1), which == 1);
                const Channels r = colour(im.word(px, ry, 1), which == 1);
                const Channels s = colour(im.word(qx, ry, 1), which == 1);
                Channels& to = which == 0 ? a : b;
                for (int c = 0; c < 4; ++c) {
                    const int v = wP * p[c] + wQ * q[c] + wR * r[c] + wS * s[c];
                    // Sum of weights 4 x bw: 16 (4-bit) or 32 (2-bit); the
                    // shifts widen 5-bit colour and 4-bit alpha sums to 8 bits.
                    if (c < 3) {
                        to[c] = twoBit ? (v >> 7) + (v >> 2) : (v >> 6) + (v >> 1);
                    } else {
                        to[c] = twoBit ? (v >> 5) + (v >> 1) : (v >> 4) + v;
                    }
                }
            }
            int m = weight(im, x, y);
            const bool punch = m > 10;
            if (punch) {
                m -= 10;
            }
            uint8_t* o = &out[(std::size_t{y} * width + x) * 4];
            for (int c = 0; c < 4; ++c) {
                o[c] = static_cast<uint8_t>((a[c] * (8 - m) + b[c] * m) / 8);
            }
            if (punch) {
                o[3] = 0;
            }
        }
    }
    return out;
}

} // namespace PvrtcReference
