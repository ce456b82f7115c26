#include "render/PVRTDecompress.h"

#include "engine/Assert.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ZQ {

namespace {

constexpr int kBlockHeight = 4;
constexpr int kMaxBlockWidth = 8;

struct Colour {
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t alpha;
};

struct Block {
    uint32_t modulation;
    uint32_t colour;
};

// Colour A: the low half of the colour word, 5-bit channels and 4-bit alpha.
Colour colourA(uint32_t word) {
    if ((word & 0x8000) != 0) {
        // Opaque: red 14-10, green 9-5, blue 4-1 (its top bit repeated below).
        return {static_cast<int32_t>((word >> 10) & 0x1F), static_cast<int32_t>((word >> 5) & 0x1F),
                static_cast<int32_t>((word & 0x1E) | ((word >> 4) & 0x01)), 0xF};
    }
    // Translucent: alpha 14-12, red 11-8, green 7-4, blue 3-1.
    const int32_t r = (word >> 8) & 0xF;
    const int32_t g = (word >> 4) & 0xF;
    const int32_t b = (word >> 1) & 0x7;
    return {(r << 1) | (r >> 3), (g << 1) | (g >> 3), (b << 2) | (b >> 1),
            static_cast<int32_t>((word >> 12) & 0x7) << 1};
}

// Colour B: the high half, the same with every channel of the opaque form 5 bits.
Colour colourB(uint32_t word) {
    if ((word & 0x80000000u) != 0) {
        return {static_cast<int32_t>((word >> 26) & 0x1F), static_cast<int32_t>((word >> 21) & 0x1F),
                static_cast<int32_t>((word >> 16) & 0x1F), 0xF};
    }
    const int32_t r = (word >> 24) & 0xF;
    const int32_t g = (word >> 20) & 0xF;
    const int32_t b = (word >> 16) & 0xF;
    return {(r << 1) | (r >> 3), (g << 1) | (g >> 3), (b << 1) | (b >> 3),
            static_cast<int32_t>((word >> 28) & 0x7) << 1};
}

// Weights of colour B in eighths; 10 added marks a punch-through pixel.
constexpr int32_t kStandardWeights[4] = {0, 3, 5, 8};
constexpr int32_t kPunchThroughWeights[4] = {0, 4, 14, 8};

// How a 2-bit-mode pixel without a stored code takes its weight.
enum Fill : int32_t { kStored = 0, kFromFour = 1, kFromLeftRight = 2, kFromUpDown = 3 };

// The modulation weights of a 2 x 2 group of blocks: P top left, Q top
// right, R bottom left, S bottom right.
struct ModulationGrid {
    int32_t weight[2 * kBlockHeight][2 * kMaxBlockWidth];
    int32_t fill[2 * kBlockHeight][2 * kMaxBlockWidth];

    void unpack(const Block& block, int ox, int oy, bool twoBit) {
        uint32_t bits = block.modulation;
        const bool flag = (block.colour & 1) != 0;
        if (!twoBit) {
            const int32_t* weights = flag ? kPunchThroughWeights : kStandardWeights;
            for (int y = 0; y < kBlockHeight; ++y) {
                for (int x = 0; x < 4; ++x, bits >>= 2) {
                    weight[oy + y][ox + x] = weights[bits & 3];
                    fill[oy + y][ox + x] = kStored;
                }
            }
            return;
        }
        if (!flag) {
            // One bit a pixel: all of colour A or all of colour B.
            for (int y = 0; y < kBlockHeight; ++y) {
                for (int x = 0; x < 8; ++x, bits >>= 1) {
                    weight[oy + y][ox + x] = (bits & 1) != 0 ? 8 : 0;
                    fill[oy + y][ox + x] = kStored;
                }
            }
            return;
        }
        // A checkerboard of 2-bit codes. Bit 0 chooses how the other pixels
        // are filled, so the first code repeats its bit 1; in the one-way
        // fills bit 20 says which way, and bit 21 stands in for it.
        Fill mode = kFromFour;
        if ((bits & 1) != 0) {
            mode = (bits & (1u << 20)) != 0 ? kFromUpDown : kFromLeftRight;
            bits = (bits & ~(1u << 20)) | ((bits >> 1) & (1u << 20));
        }
        bits = (bits & ~1u) | ((bits >> 1) & 1u);
        for (int y = 0; y < kBlockHeight; ++y) {
            for (int x = 0; x < 8; ++x) {
                fill[oy + y][ox + x] = mode;
                if (((x ^ y) & 1) == 0) {
                    weight[oy + y][ox + x] = kStandardWeights[bits & 3];
                    bits >>= 2;
                } else {
                    weight[oy + y][ox + x] = 0;
                }
            }
        }
    }

    // The weight at (x, y); the fills read neighbours, which are always
    // stored codes (blocks are an even number of pixels on each side).
    int32_t at(int x, int y) const {
        if (((x ^ y) & 1) == 0) {
            return weight[y][x];
        }
        switch (fill[y][x]) {
        case kFromFour:
            return (weight[y - 1][x] + weight[y + 1][x] + weight[y][x - 1] + weight[y][x + 1] + 2) / 4;
        case kFromLeftRight:
            return (weight[y][x - 1] + weight[y][x + 1] + 1) / 2;
        case kFromUpDown:
            return (weight[y - 1][x] + weight[y + 1][x] + 1) / 2;
        default:
            return weight[y][x];
        }
    }
};

// Bilinear blend of the four block colours over the block-sized area between
// their centres: pixel (x, y) weighs P by (w - x)(4 - y), Q by x(4 - y), R by
// (w - x)y and S by xy (total 4w), then widens to 8 bits with the shifts that
// map the largest sum to 255. Stepped by differences, column by column.
void upscale(const Colour& p, const Colour& q, const Colour& r, const Colour& s, int width, bool twoBit,
             Colour* out) {
    const int colourShift = twoBit ? 7 : 6;
    const int alphaShift = twoBit ? 5 : 4;
    const int alphaScale = twoBit ? 1 : 0;
    int32_t top[4] = {p.red * width, p.green * width, p.blue * width, p.alpha * width};
    int32_t bottom[4] = {r.red * width, r.green * width, r.blue * width, r.alpha * width};
    const int32_t topStep[4] = {q.red - p.red, q.green - p.green, q.blue - p.blue, q.alpha - p.alpha};
    const int32_t bottomStep[4] = {s.red - r.red, s.green - r.green, s.blue - r.blue, s.alpha - r.alpha};
    for (int x = 0; x < width; ++x) {
        int32_t sum[4];
        int32_t down[4];
        for (int c = 0; c < 4; ++c) {
            sum[c] = kBlockHeight * top[c];
            down[c] = bottom[c] - top[c];
        }
        for (int y = 0; y < kBlockHeight; ++y) {
            Colour& o = out[y * width + x];
            o.red = (sum[0] >> colourShift) + (sum[0] >> (colourShift - 5));
            o.green = (sum[1] >> colourShift) + (sum[1] >> (colourShift - 5));
            o.blue = (sum[2] >> colourShift) + (sum[2] >> (colourShift - 5));
            o.alpha = (sum[3] >> alphaShift) + (sum[3] >> alphaScale);
            for (int c = 0; c < 4; ++c) {
                sum[c] += down[c];
            }
        }
        for (int c = 0; c < 4; ++c) {
            top[c] += topStep[c];
            bottom[c] += bottomStep[c];
        }
    }
}

bool isPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// Blocks sit wherever the file put them (after metadata of any length):
// copied out, never dereferenced in place.
Block blockAt(const uint8_t* blocks, uint32_t index) {
    Block block;
    std::memcpy(&block.modulation, blocks + std::size_t{index} * 8, 4);
    std::memcpy(&block.colour, blocks + std::size_t{index} * 8 + 4, 4);
    return block;
}

// Decodes a padded image (whole blocks, at least 2 x 2 of them).
void decodePadded(const uint8_t* blocks, bool twoBit, uint32_t width, uint32_t height, uint8_t* rgba) {
    const int blockWidth = twoBit ? 8 : 4;
    const int32_t gridWidth = static_cast<int32_t>(width) / blockWidth;
    const int32_t gridHeight = static_cast<int32_t>(height) / kBlockHeight;
    const auto wrapX = [gridWidth](int32_t x) { return static_cast<uint32_t>((x + gridWidth) % gridWidth); };
    const auto wrapY = [gridHeight](int32_t y) {
        return static_cast<uint32_t>((y + gridHeight) % gridHeight);
    };
    const uint32_t gw = static_cast<uint32_t>(gridWidth);
    const uint32_t gh = static_cast<uint32_t>(gridHeight);

    ModulationGrid grid;
    Colour upA[kBlockHeight * kMaxBlockWidth];
    Colour upB[kBlockHeight * kMaxBlockWidth];
    // Every 2 x 2 group of neighbouring blocks, wrapping round the image, fills
    // the area between its four centres: half a block right and down of P's
    // top-left corner.
    for (int32_t by = -1; by < gridHeight - 1; ++by) {
        for (int32_t bx = -1; bx < gridWidth - 1; ++bx) {
            const uint32_t x0 = wrapX(bx);
            const uint32_t x1 = wrapX(bx + 1);
            const uint32_t y0 = wrapY(by);
            const uint32_t y1 = wrapY(by + 1);
            const Block p = blockAt(blocks, pvrtcTwiddle(gw, gh, x0, y0));
            const Block q = blockAt(blocks, pvrtcTwiddle(gw, gh, x1, y0));
            const Block r = blockAt(blocks, pvrtcTwiddle(gw, gh, x0, y1));
            const Block s = blockAt(blocks, pvrtcTwiddle(gw, gh, x1, y1));

            grid.unpack(p, 0, 0, twoBit);
            grid.unpack(q, blockWidth, 0, twoBit);
            grid.unpack(r, 0, kBlockHeight, twoBit);
            grid.unpack(s, blockWidth, kBlockHeight, twoBit);
            upscale(colourA(p.colour), colourA(q.colour), colourA(r.colour), colourA(s.colour), blockWidth,
                    twoBit, upA);
            upscale(colourB(p.colour), colourB(q.colour), colourB(r.colour), colourB(s.colour), blockWidth,
                    twoBit, upB);

            for (int y = 0; y < kBlockHeight; ++y) {
                const uint32_t row =
                    (y0 * kBlockHeight + kBlockHeight / 2 + static_cast<uint32_t>(y)) % height;
                for (int x = 0; x < blockWidth; ++x) {
                    int32_t m = grid.at(x + blockWidth / 2, y + kBlockHeight / 2);
                    const bool punchThrough = m > 10;
                    if (punchThrough) {
                        m -= 10;
                    }
                    const Colour& a = upA[y * blockWidth + x];
                    const Colour& b = upB[y * blockWidth + x];
                    const uint32_t column =
                        (x0 * static_cast<uint32_t>(blockWidth) + static_cast<uint32_t>(blockWidth / 2 + x)) %
                        width;
                    uint8_t* out = rgba + (static_cast<std::size_t>(row) * width + column) * 4;
                    out[0] = static_cast<uint8_t>((a.red * (8 - m) + b.red * m) / 8);
                    out[1] = static_cast<uint8_t>((a.green * (8 - m) + b.green * m) / 8);
                    out[2] = static_cast<uint8_t>((a.blue * (8 - m) + b.blue * m) / 8);
                    out[3] = punchThrough ? 0 : static_cast<uint8_t>((a.alpha * (8 - m) + b.alpha * m) / 8);
                }
            }
        }
    }
}

} // namespace

uint32_t pvrtcTwiddle(uint32_t gridWidth, uint32_t gridHeight, uint32_t x, uint32_t y) {
    const uint32_t shorter = std::min(gridWidth, gridHeight);
    uint32_t index = 0;
    uint32_t shift = 0;
    for (uint32_t bit = 1; bit < shorter; bit <<= 1, ++shift) {
        index |= (y & bit) << shift;       // bit k -> 2k
        index |= (x & bit) << (shift + 1); // bit k -> 2k + 1
    }
    const uint32_t rest = (gridWidth > gridHeight ? x : y) >> shift;
    return index | (rest << (2 * shift));
}

void PVRTDecompressPVRTC(const void* compressed, bool twoBitMode, uint32_t width, uint32_t height,
                         uint8_t* rgba) {
    ZQ_ASSERT(isPowerOfTwo(width) && isPowerOfTwo(height));
    const uint32_t paddedWidth = std::max(width, twoBitMode ? 16u : 8u);
    const uint32_t paddedHeight = std::max(height, 8u);
    const uint8_t* blocks = static_cast<const uint8_t*>(compressed);
    if (paddedWidth == width && paddedHeight == height) {
        decodePadded(blocks, twoBitMode, width, height, rgba);
        return;
    }
    // Images under the minimum decode whole and keep their top-left corner.
    std::vector<uint8_t> padded(static_cast<std::size_t>(paddedWidth) * paddedHeight * 4);
    decodePadded(blocks, twoBitMode, paddedWidth, paddedHeight, padded.data());
    for (uint32_t row = 0; row < height; ++row) {
        std::memcpy(rgba + static_cast<std::size_t>(row) * width * 4,
                    padded.data() + static_cast<std::size_t>(row) * paddedWidth * 4,
                    static_cast<std::size_t>(width) * 4);
    }
}

} // namespace ZQ
