#include "render/PVRTDecompress.h"
#include "PvrWriter.h"
#include "PvrtcReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace {

using ZQ::PVRTDecompressPVRTC;

// Opaque colour words: A in the low half (5, 5, 4 bits), B in the high half.
constexpr uint32_t opaqueA(uint32_t r, uint32_t g, uint32_t b4) {
    return 0x8000u | r << 10 | g << 5 | b4 << 1;
}
constexpr uint32_t opaqueB(uint32_t r, uint32_t g, uint32_t b) {
    return (0x8000u | r << 10 | g << 5 | b) << 16;
}

struct Blocks {
    uint32_t gridWidth;
    uint32_t gridHeight;
    std::vector<uint8_t> bytes;

    Blocks(uint32_t w, uint32_t h) : gridWidth(w), gridHeight(h), bytes(std::size_t{w} * h * 8) {}
    void set(uint32_t x, uint32_t y, uint32_t modulation, uint32_t colour) {
        PvrWriter::putPvrtcBlock(bytes, gridWidth, gridHeight, x, y, modulation, colour);
    }
    void fill(uint32_t modulation, uint32_t colour) {
        for (uint32_t y = 0; y < gridHeight; ++y) {
            for (uint32_t x = 0; x < gridWidth; ++x) {
                set(x, y, modulation, colour);
            }
        }
    }
};

std::vector<uint8_t> decode(const Blocks& blocks, bool twoBit, uint32_t width, uint32_t height) {
    std::vector<uint8_t> out(std::size_t{width} * height * 4, 0xCD);
    PVRTDecompressPVRTC(blocks.bytes.data(), twoBit, width, height, out.data());
    return out;
}

std::vector<uint8_t> pixel(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t x, uint32_t y) {
    const auto at = rgba.begin() + static_cast<std::ptrdiff_t>((std::size_t{y} * width + x) * 4);
    return {at, at + 4};
}

// The top-left width x height pixels of a picture `fullWidth` wide.
std::vector<uint8_t> corner(const std::vector<uint8_t>& rgba, uint32_t fullWidth, uint32_t width,
                            uint32_t height) {
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < height; ++y) {
        const auto row = rgba.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * fullWidth * 4);
        out.insert(out.end(), row, row + static_cast<std::ptrdiff_t>(width * 4));
    }
    return out;
}

TEST(PVRTDecompressTest, TwiddledOrderMatchesTheWritersAndIsAPermutation) {
    for (uint32_t w : {1u, 2u, 4u, 16u, 64u}) {
        for (uint32_t h : {1u, 2u, 8u, 32u}) {
            std::set<uint32_t> seen;
            for (uint32_t y = 0; y < h; ++y) {
                for (uint32_t x = 0; x < w; ++x) {
                    const uint32_t index = ZQ::pvrtcTwiddle(w, h, x, y);
                    EXPECT_EQ(std::size_t{index} * 8, PvrWriter::pvrtcBlockOffset(w, h, x, y))
                        << w << "x" << h << " block " << x << "," << y;
                    seen.insert(index);
                }
            }
            EXPECT_EQ(seen.size(), std::size_t{w} * h);
            EXPECT_EQ(*seen.rbegin(), w * h - 1);
        }
    }
    // y's low bit is the lowest bit of the index, x's the next.
    EXPECT_EQ(ZQ::pvrtcTwiddle(4, 4, 0, 1), 1u);
    EXPECT_EQ(ZQ::pvrtcTwiddle(4, 4, 1, 0), 2u);
    EXPECT_EQ(ZQ::pvrtcTwiddle(4, 4, 3, 3), 15u);
}

// Blocks of one colour pair everywhere: no blending across blocks can show,
// so each pixel is colour A, B or their blend at its code's weight.
TEST(PVRTDecompressTest, UniformBlocksGiveTheirColoursAtEveryCodesWeight) {
    // A = (31, 16, 15 widened to 31) -> (255, 132, 255); B = (0, 8, 4) -> (0, 66, 33).
    const uint32_t colour = opaqueA(31, 16, 15) | opaqueB(0, 8, 4);
    // Codes 0, 1, 2, 3 along each row.
    const uint32_t modulation = 0xE4E4E4E4u;
    Blocks blocks(2, 2);
    blocks.fill(modulation, colour);
    const std::vector<uint8_t> rgba = decode(blocks, false, 8, 8);
    const uint8_t a[3] = {255, 132, 255};
    const uint8_t b[3] = {0, 66, 33};
    const int weights[4] = {0, 3, 5, 8};
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            const int m = weights[x % 4];
            const std::vector<uint8_t> p = pixel(rgba, 8, x, y);
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(p[c], (a[c] * (8 - m) + b[c] * m) / 8) << x << "," << y << " channel " << c;
            }
            EXPECT_EQ(p[3], 255);
        }
    }
}

TEST(PVRTDecompressTest, TranslucentColoursWidenTheirChannels) {
    // A translucent: alpha 5 -> 10 of 15, red 9 (-> 19 of 31), green 3, blue 6 (3 bits).
    // B translucent: alpha 1 -> 2, red 15, green 0, blue 10.
    const uint32_t colourA = 5u << 12 | 9u << 8 | 3u << 4 | 6u << 1;
    const uint32_t colourB = (1u << 12 | 15u << 8 | 0u << 4 | 10u) << 16;
    Blocks blocks(2, 2);
    blocks.fill(0x00000000u, colourA | colourB); // all colour A
    std::vector<uint8_t> rgba = decode(blocks, false, 8, 8);
    // 4 -> 5 bits: v << 1 | v >> 3; 3 -> 5 bits: v << 2 | v >> 1; then 5 -> 8 bits as C*8 + C/4.
    const auto to8 = [](int c5) { return c5 * 8 + c5 / 4; };
    EXPECT_EQ(pixel(rgba, 8, 3, 5),
              (std::vector<uint8_t>{static_cast<uint8_t>(to8(19)), static_cast<uint8_t>(to8(6)),
                                    static_cast<uint8_t>(to8(27)), 10 * 17}));
    blocks.fill(0xFFFFFFFFu, colourA | colourB); // all colour B
    rgba = decode(blocks, false, 8, 8);
    EXPECT_EQ(pixel(rgba, 8, 6, 1), (std::vector<uint8_t>{static_cast<uint8_t>(to8(31)), 0,
                                                          static_cast<uint8_t>(to8(21)), 2 * 17}));
}

// 2-bit mode over uniform blocks, red A and blue B: one bit a pixel, then
// the checkerboard with each of its three ways of filling the gaps. Stored
// codes are 3 (all B) on even rows and 0 (all A) on odd rows.
TEST(PVRTDecompressTest, TwoBitModesFillTheirPixelsAsTheBlockSays) {
    const uint32_t colours = opaqueA(31, 0, 0) | opaqueB(0, 0, 31);
    const std::vector<uint8_t> red = {255, 0, 0, 255};
    const std::vector<uint8_t> blue = {0, 0, 255, 255};
    const std::vector<uint8_t> half = {127, 0, 127, 255};

    Blocks blocks(2, 2);
    blocks.fill(0xAAAAAAAAu, colours); // odd columns B
    std::vector<uint8_t> rgba = decode(blocks, true, 16, 8);
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            EXPECT_EQ(pixel(rgba, 16, x, y), x % 2 == 1 ? blue : red) << x << "," << y;
        }
    }

    struct Fill {
        const char* name;
        uint32_t
            modulation; // bit 0: one-way fill; bit 20: up-down (bit 21 is then the stored code's low bit)
        std::vector<uint8_t> evenRowGap;
        std::vector<uint8_t> oddRowGap;
    };
    const Fill fills[] = {{"from four", 0x00FF00FEu, half, half},
                          {"from left and right", 0x00EF00FFu, blue, red},
                          {"from up and down", 0x00FF00FFu, red, blue}};
    for (const Fill& fill : fills) {
        blocks.fill(fill.modulation, colours | 1u);
        rgba = decode(blocks, true, 16, 8);
        for (uint32_t y = 0; y < 8; ++y) {
            for (uint32_t x = 0; x < 16; ++x) {
                const bool storedPixel = ((x ^ y) & 1) == 0;
                const std::vector<uint8_t>& want =
                    storedPixel ? (y % 2 == 0 ? blue : red) : (y % 2 == 0 ? fill.evenRowGap : fill.oddRowGap);
                EXPECT_EQ(pixel(rgba, 16, x, y), want) << fill.name << " at " << x << "," << y;
            }
        }
    }
}

TEST(PVRTDecompressTest, PunchThroughCodesClearAlphaOnlyWhereTheyStand) {
    // Opaque colours, punch-through flag (bit 0 of the colour word), code 2
    // on the diagonal, code 0 elsewhere.
    const uint32_t colour = opaqueA(31, 0, 0) | opaqueB(0, 0, 31) | 1u;
    uint32_t modulation = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        modulation |= 2u << (2 * (i * 4 + i));
    }
    Blocks blocks(4, 4);
    blocks.fill(modulation, colour);
    const std::vector<uint8_t> rgba = decode(blocks, false, 16, 16);
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const std::vector<uint8_t> p = pixel(rgba, 16, x, y);
            if (x % 4 == y % 4) {
                // Half of each colour, no alpha.
                EXPECT_EQ(p, (std::vector<uint8_t>{127, 0, 127, 0})) << x << "," << y;
            } else {
                EXPECT_EQ(p, (std::vector<uint8_t>{255, 0, 0, 255})) << x << "," << y;
            }
        }
    }
}

TEST(PVRTDecompressTest, EdgePixelsBlendWithTheBlocksOnTheOppositeEdge) {
    // A column of green blocks at the left edge, red elsewhere: the rightmost
    // pixels must pick up green from across the edge, and the bottom rows
    // likewise from a blue top row.
    Blocks blocks(4, 4);
    blocks.fill(0, opaqueA(31, 0, 0));
    for (uint32_t y = 0; y < 4; ++y) {
        blocks.set(0, y, 0, opaqueA(0, 31, 0));
    }
    std::vector<uint8_t> rgba = decode(blocks, false, 16, 16);
    // Pixel 15 lies a quarter of the way from the last block's centre (14)
    // towards the first block's (16 = 0).
    EXPECT_EQ(pixel(rgba, 16, 15, 8), (std::vector<uint8_t>{191, 63, 0, 255}));
    EXPECT_EQ(pixel(rgba, 16, 12, 8), (std::vector<uint8_t>{255, 0, 0, 255}));

    blocks.fill(0, opaqueA(31, 0, 0));
    for (uint32_t x = 0; x < 4; ++x) {
        blocks.set(x, 0, 0, opaqueA(0, 0, 15));
    }
    rgba = decode(blocks, false, 16, 16);
    EXPECT_EQ(pixel(rgba, 16, 8, 15), (std::vector<uint8_t>{191, 0, 63, 255}));
    EXPECT_EQ(pixel(rgba, 16, 8, 12), (std::vector<uint8_t>{255, 0, 0, 255}));
}

TEST(PVRTDecompressTest, SmallImagesAreTheCornerOfTheirPaddedDecode) {
    std::mt19937 random(7);
    // 4-bit: 4 x 4 from the four blocks of 8 x 8; 2-bit: 8 x 8 and 8 x 4 from 16 x 8.
    Blocks four(2, 2);
    Blocks two(2, 2);
    for (uint8_t& b : four.bytes) {
        b = static_cast<uint8_t>(random());
    }
    for (uint8_t& b : two.bytes) {
        b = static_cast<uint8_t>(random());
    }
    EXPECT_EQ(decode(four, false, 4, 4), corner(decode(four, false, 8, 8), 8, 4, 4));
    EXPECT_EQ(decode(four, false, 2, 1), corner(decode(four, false, 8, 8), 8, 2, 1));
    EXPECT_EQ(decode(two, true, 8, 8), corner(decode(two, true, 16, 8), 16, 8, 8));
    EXPECT_EQ(decode(two, true, 1, 4), corner(decode(two, true, 16, 8), 16, 1, 4));
    // 16 x 8 in 2-bit mode is exactly its two blocks; nothing is padded.
    Blocks exact(2, 2);
    exact.bytes.assign(two.bytes.begin(), two.bytes.end());
    EXPECT_EQ(decode(exact, true, 16, 8), PvrtcReference::decode(exact.bytes, true, 16, 8));
}

// Random blocks in every mode (the colour word's bit 0 and the modulation
// word's bits 0 and 20 are random too) at several shapes: the decoder and
// the per-pixel reference agree on every byte.
TEST(PVRTDecompressTest, RandomBlocksDecodeLikeThePerPixelReference) {
    std::mt19937 random(20261207);
    struct Shape {
        uint32_t width;
        uint32_t height;
        bool twoBit;
    };
    const Shape shapes[] = {{8, 8, false}, {16, 16, false}, {32, 8, false}, {8, 32, false}, {64, 16, false},
                            {16, 8, true}, {32, 32, true},  {64, 16, true}, {16, 64, true}, {128, 8, true}};
    for (const Shape& shape : shapes) {
        for (int round = 0; round < 8; ++round) {
            Blocks blocks(shape.width / (shape.twoBit ? 8 : 4), shape.height / 4);
            for (uint8_t& b : blocks.bytes) {
                b = static_cast<uint8_t>(random());
            }
            const std::vector<uint8_t> reference =
                PvrtcReference::decode(blocks.bytes, shape.twoBit, shape.width, shape.height);
            const std::vector<uint8_t> decoded = decode(blocks, shape.twoBit, shape.width, shape.height);
            ASSERT_EQ(decoded.size(), reference.size());
            const auto mismatch = std::mismatch(decoded.begin(), decoded.end(), reference.begin());
            ASSERT_TRUE(mismatch.first == decoded.end())
                << shape.width << "x" << shape.height << (shape.twoBit ? " 2-bit" : " 4-bit") << " round "
                << round << ": first difference at byte " << (mismatch.first - decoded.begin());
        }
    }
}

} // namespace
