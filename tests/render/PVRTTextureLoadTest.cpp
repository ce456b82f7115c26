#include "PvrFixtures.h"
#include "PvrtcReference.h"
#include "TextureProbe.h"
#include "render/PVRTDecompress.h"
#include "render/PVRTTexture.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using PvrFixtures::kRGBA8888;
using PvrFixtures::ramp;
using PvrFixtures::v3;
using PvrWriter::ByteOrder;
using PvrWriter::pixelFormat;

class PVRTTextureLoadTest : public HeadlessGLTest {
protected:
    void TearDown() override {
        glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
        HeadlessGLTest::TearDown();
    }

    // Loads from an allocation of exactly the file's size (so AddressSanitizer
    // sees any read past it); the name is deleted after the test. The log
    // goes to `log`.
    bool load(const std::vector<uint8_t>& bytes, GLuint& name, std::string* log = nullptr) {
        auto copy = std::make_unique<uint8_t[]>(bytes.empty() ? 1 : bytes.size());
        std::copy(bytes.begin(), bytes.end(), copy.get());
        name = 0;
        testing::internal::CaptureStderr();
        const bool ok = ZQ::PVRTTextureLoadFromPointer(copy.get(), bytes.size(), &name);
        const std::string text = testing::internal::GetCapturedStderr();
        if (log != nullptr) {
            *log = text;
        }
        if (name != 0) {
            names.push_back(name);
        }
        return ok;
    }

    GLint parameter(GLenum target, GLuint name, GLenum which) {
        GLint value = 0;
        glBindTexture(target, name);
        glGetTexParameteriv(target, which, &value);
        glBindTexture(target, 0);
        return value;
    }

    std::vector<GLuint> names;
};

// Channels of an RGBA8 read-back within one step of the expected values (GL
// may round a 5- or 4-bit value either way when it widens it).
void expectNear(const std::vector<uint8_t>& got, const std::vector<int>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i], want[i], 1) << what << " byte " << i;
    }
}

int widen(int value, int bits) {
    return static_cast<int>(std::lround(value * 255.0 / ((1 << bits) - 1)));
}

struct FormatCase {
    const char* name;
    uint64_t format;
    uint32_t channelType;
    std::vector<uint8_t> texels; // 2 x 1 texels, little-endian
    std::vector<int> rgba;       // what the probe reads back
};

std::vector<FormatCase> uncompressedCases() {
    const uint16_t h0 = 0x0000, hHalf = 0x3800, hOne = 0x3C00; // half floats 0, 0.5, 1
    const auto u16 = [](std::initializer_list<uint16_t> v) {
        std::vector<uint8_t> out;
        for (uint16_t x : v) {
            out.push_back(static_cast<uint8_t>(x));
            out.push_back(static_cast<uint8_t>(x >> 8));
        }
        return out;
    };
    const auto f32 = [](std::initializer_list<float> v) {
        std::vector<uint8_t> out;
        for (float x : v) {
            uint8_t b[4];
            std::memcpy(b, &x, 4);
            out.insert(out.end(), b, b + 4);
        }
        return out;
    };
    // RGB565 texels: (31, 0, 0) and (3, 40, 17); RGBA4444: (15, 0, 9, 4) and
    // (1, 2, 3, 15); RGBA5551: (31, 1, 0, 1) and (2, 30, 16, 0).
    return {
        {"RGBA8888", kRGBA8888, 0, {10, 20, 30, 40, 250, 128, 0, 255}, {10, 20, 30, 40, 250, 128, 0, 255}},
        {"RGB888",
         pixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0),
         0,
         {1, 2, 3, 200, 100, 50},
         {1, 2, 3, 255, 200, 100, 50, 255}},
        {"BGRA8888",
         pixelFormat('b', 'g', 'r', 'a', 8, 8, 8, 8),
         0,
         {10, 20, 30, 40, 250, 128, 0, 255},
         {30, 20, 10, 40, 0, 128, 250, 255}},
        {"RGB565",
         PvrFixtures::kRGB565,
         4,
         u16({31u << 11, 3u << 11 | 40u << 5 | 17u}),
         {255, 0, 0, 255, widen(3, 5), widen(40, 6), widen(17, 5), 255}},
        {"RGBA4444",
         pixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4),
         4,
         u16({0xF094, 0x123F}),
         {255, 0, widen(9, 4), widen(4, 4), widen(1, 4), widen(2, 4), widen(3, 4), 255}},
        {"RGBA5551",
         pixelFormat('r', 'g', 'b', 'a', 5, 5, 5, 1),
         4,
         u16({31u << 11 | 1u << 6 | 1u, 2u << 11 | 30u << 6 | 16u << 1}),
         {255, widen(1, 5), 0, 255, widen(2, 5), widen(30, 5), widen(16, 5), 0}},
        {"L8", pixelFormat('l', 0, 0, 0, 8, 0, 0, 0), 0, {77, 200}, {77, 77, 77, 255, 200, 200, 200, 255}},
        {"LA88",
         pixelFormat('l', 'a', 0, 0, 8, 8, 0, 0),
         0,
         {77, 10, 200, 255},
         {77, 77, 77, 10, 200, 200, 200, 255}},
        {"A8", pixelFormat('a', 0, 0, 0, 8, 0, 0, 0), 0, {33, 99}, {0, 0, 0, 33, 0, 0, 0, 99}},
        {"RGBA16F",
         pixelFormat('r', 'g', 'b', 'a', 16, 16, 16, 16),
         12,
         u16({hOne, h0, hHalf, hOne, h0, hOne, h0, hHalf}),
         {255, 0, 128, 255, 0, 255, 0, 128}},
        {"L16F",
         pixelFormat('l', 0, 0, 0, 16, 0, 0, 0),
         12,
         u16({hHalf, hOne}),
         {128, 128, 128, 255, 255, 255, 255, 255}},
        {"RGBA32F",
         pixelFormat('r', 'g', 'b', 'a', 32, 32, 32, 32),
         12,
         f32({1, 0, 0.5f, 1, 0, 1, 0, 0.5f}),
         {255, 0, 128, 255, 0, 255, 0, 128}},
        {"RGB32F",
         pixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0),
         12,
         f32({0, 0.5f, 1, 1, 1, 0}),
         {0, 128, 255, 255, 255, 255, 0, 255}},
    };
}

TEST_F(PVRTTextureLoadTest, EveryUncompressedFormatReadsBackItsTexels) {
    TextureProbe probe;
    for (const FormatCase& c : uncompressedCases()) {
        for (ByteOrder order : {ByteOrder::Little, ByteOrder::Big}) {
            const std::string what = std::string(c.name) + (order == ByteOrder::Big ? " big-endian" : "");
            GLuint name = 0;
            std::string log;
            ASSERT_TRUE(
                load(PvrWriter::writeV3(v3(c.format, c.channelType, 2, 1), c.texels, order), name, &log))
                << what << ": " << log;
            expectNear(probe.read2D(name, 2, 1), c.rgba, what);
            EXPECT_NO_GL_ERROR() << what;
        }
    }
}

TEST_F(PVRTTextureLoadTest, MetadataIsSkippedAndLegacyHeadersLoadTheSameTexels) {
    TextureProbe probe;
    const std::vector<uint8_t> texels = ramp(3 * 2 * 4);
    PvrWriter::V3Description withMetadata = v3(kRGBA8888, 0, 3, 2);
    withMetadata.metadata = std::vector<uint8_t>(13, 0xEE);
    GLuint plain = 0;
    GLuint meta = 0;
    ASSERT_TRUE(load(PvrWriter::writeV3(v3(kRGBA8888, 0, 3, 2), texels), plain));
    ASSERT_TRUE(load(PvrWriter::writeV3(withMetadata, texels), meta));
    const std::vector<uint8_t> want(texels.begin(), texels.end());
    EXPECT_EQ(probe.read2D(plain, 3, 2), want);
    EXPECT_EQ(probe.read2D(meta, 3, 2), want);

    for (uint32_t headerSize : {44u, 52u}) {
        PvrWriter::LegacyDescription d;
        d.headerSize = headerSize;
        d.pixelType = 0x12;
        d.width = 3;
        d.height = 2;
        GLuint legacy = 0;
        ASSERT_TRUE(load(PvrWriter::writeLegacy(d, texels), legacy)) << headerSize;
        EXPECT_EQ(probe.read2D(legacy, 3, 2), want) << headerSize;
    }
}

TEST_F(PVRTTextureLoadTest, MipChainsAndCubeMapsUploadEveryLevelOfEveryFace) {
    TextureProbe probe;
    // 2D: 8 x 4 with its four levels, each level its own colour.
    const std::vector<uint32_t> levelColours = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0x80808080};
    GLuint chain = 0;
    ASSERT_TRUE(load(
        PvrWriter::writeV3(v3(kRGBA8888, 0, 8, 4, 4), PvrFixtures::solidImages(8, 4, 4, 1, levelColours)),
        chain));
    for (int level = 0; level < 4; ++level) {
        const std::vector<uint8_t> rgba = probe.read2D(chain, 8, 4, level, true);
        const uint32_t c = levelColours[static_cast<std::size_t>(level)];
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            ASSERT_EQ((uint32_t(rgba[i]) << 24 | uint32_t(rgba[i + 1]) << 16 | uint32_t(rgba[i + 2]) << 8 |
                       rgba[i + 3]),
                      c)
                << "level " << level;
        }
    }

    // Cube maps: version 3 stores level by level, legacy face by face; both
    // must land each image on its own face and level.
    std::vector<uint32_t> cubeColours;
    for (uint32_t i = 0; i < 12; ++i) {
        cubeColours.push_back(0x10000000u * (i + 1) | 0x00100000u * (12 - i) | 0x0000FF00u | 0xFF);
    }
    GLuint version3 = 0;
    ASSERT_TRUE(load(
        PvrWriter::writeV3(v3(kRGBA8888, 0, 2, 2, 2, 6), PvrFixtures::solidImages(2, 2, 2, 6, cubeColours)),
        version3));
    // The legacy layout of the same images: for each face, its two levels.
    std::vector<uint8_t> faceMajor;
    for (int face = 0; face < 6; ++face) {
        for (int level = 0; level < 2; ++level) {
            const std::vector<uint8_t> image = PvrFixtures::solidImages(
                2 >> level, 2 >> level, 1, 1, {cubeColours[static_cast<std::size_t>(level * 6 + face)]});
            faceMajor.insert(faceMajor.end(), image.begin(), image.end());
        }
    }
    PvrWriter::LegacyDescription legacyCube;
    legacyCube.cubeMap = true;
    legacyCube.surfaceWord = 6;
    legacyCube.width = 2;
    legacyCube.height = 2;
    legacyCube.mipmapped = true;
    legacyCube.mipLevelsBelowBase = 1;
    GLuint legacy = 0;
    ASSERT_TRUE(load(PvrWriter::writeLegacy(legacyCube, faceMajor), legacy));
    for (GLuint cube : {version3, legacy}) {
        for (int face = 0; face < 6; ++face) {
            for (int level = 0; level < 2; ++level) {
                const uint32_t c = cubeColours[static_cast<std::size_t>(level * 6 + face)];
                const std::vector<uint8_t> rgba = probe.readCubeFace(cube, 2, face, level, true);
                ASSERT_EQ(
                    (uint32_t(rgba[0]) << 24 | uint32_t(rgba[1]) << 16 | uint32_t(rgba[2]) << 8 | rgba[3]), c)
                    << (cube == legacy ? "legacy" : "version 3") << " face " << face << " level " << level;
            }
        }
    }
}

// PVRTC on a GL without it (Mesa): every level goes through the software
// decoder and uploads as RGBA8888, with one warning per texture.
TEST_F(PVRTTextureLoadTest, PvrtcTexturesUploadTheirDecodedLevels) {
    TextureProbe probe;
    std::mt19937 random(5);
    for (bool twoBit : {false, true}) {
        const uint32_t width = 32;
        const uint32_t height = 16;
        const uint32_t levels = 6; // 32x16 down to 1x1, the small ones padded
        const uint32_t blockWidth = twoBit ? 8 : 4;
        std::vector<uint8_t> data;
        std::vector<std::vector<uint8_t>> expected;
        for (uint32_t level = 0; level < levels; ++level) {
            const uint32_t w = std::max(1u, width >> level);
            const uint32_t h = std::max(1u, height >> level);
            const uint32_t pw = std::max(w, twoBit ? 16u : 8u);
            const uint32_t ph = std::max(h, 8u);
            std::vector<uint8_t> blocks(std::size_t{pw / blockWidth} * (ph / 4) * 8);
            for (uint8_t& b : blocks) {
                b = static_cast<uint8_t>(random());
            }
            const std::vector<uint8_t> padded = PvrtcReference::decode(blocks, twoBit, pw, ph);
            std::vector<uint8_t> image;
            for (uint32_t y = 0; y < h; ++y) {
                image.insert(image.end(),
                             padded.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * pw * 4),
                             padded.begin() + static_cast<std::ptrdiff_t>((std::size_t{y} * pw + w) * 4));
            }
            expected.push_back(image);
            data.insert(data.end(), blocks.begin(), blocks.end());
        }
        GLuint name = 0;
        std::string log;
        const uint64_t format = twoBit ? PvrWriter::kPVRTC2bppRGBA : PvrWriter::kPVRTC4bppRGBA;
        ASSERT_TRUE(load(PvrWriter::writeV3(v3(format, 0, width, height, levels), data), name, &log)) << log;
        EXPECT_EQ(
            log,
            "PVRTTextureLoadFromPointer warning: PVRTC not supported. Converting to RGBA8888 instead.\n");
        for (uint32_t level = 0; level < levels; ++level) {
            EXPECT_EQ(probe.read2D(name, width, height, static_cast<int>(level), true), expected[level])
                << (twoBit ? "2-bit" : "4-bit") << " level " << level;
        }
    }
}

TEST_F(PVRTTextureLoadTest, WrapIsRepeatOnlyForPowerOfTwoSizes) {
    GLuint npot = 0;
    GLuint pot = 0;
    ASSERT_TRUE(
        load(PvrWriter::writeV3(v3(kRGBA8888, 0, 100, 64), std::vector<uint8_t>(100 * 64 * 4)), npot));
    ASSERT_TRUE(
        load(PvrWriter::writeV3(v3(kRGBA8888, 0, 128, 64, 2), std::vector<uint8_t>((128 * 64 + 64 * 32) * 4)),
             pot));
    EXPECT_EQ(parameter(GL_TEXTURE_2D, npot, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, npot, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, npot, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, pot, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, pot, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, pot, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
}

// Cut at every byte of the header and at several points of the data, a file
// fails with one log line, no GL name and no GL error left behind.
TEST_F(PVRTTextureLoadTest, TruncatedFilesFailCleanly) {
    PvrWriter::V3Description d = v3(PvrWriter::kPVRTC4bppRGBA, 0, 16, 16, 5);
    d.metadata = ramp(8);
    const std::vector<uint8_t> pvrtc = PvrWriter::writeV3(d, ramp(128 + 32 * 4));
    PvrWriter::LegacyDescription legacy;
    legacy.pixelType = 0x10; // RGBA4444
    legacy.width = 8;
    legacy.height = 8;
    const std::vector<uint8_t> legacyFile = PvrWriter::writeLegacy(legacy, ramp(128));
    for (const std::vector<uint8_t>* file : {&pvrtc, &legacyFile}) {
        std::vector<std::size_t> cuts;
        for (std::size_t cut = 0; cut <= 60; ++cut) {
            cuts.push_back(cut);
        }
        for (std::size_t cut = 61; cut < file->size(); cut += 17) {
            cuts.push_back(cut);
        }
        cuts.push_back(file->size() - 1);
        for (std::size_t cut : cuts) {
            const std::vector<uint8_t> shorter(file->begin(),
                                               file->begin() + static_cast<std::ptrdiff_t>(cut));
            GLuint name = 0;
            std::string log;
            EXPECT_FALSE(load(shorter, name, &log)) << "cut at " << cut;
            EXPECT_EQ(name, 0u) << "cut at " << cut;
            EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "cut at " << cut << ": " << log;
            EXPECT_NE(log.find("PVRTTextureLoadFromPointer failed"), std::string::npos) << log;
            EXPECT_NO_GL_ERROR() << "cut at " << cut;
        }
        GLuint whole = 0;
        EXPECT_TRUE(load(*file, whole));
    }
}

TEST_F(PVRTTextureLoadTest, FormatsWithoutAGLFormatAreRefusedByName) {
    GLuint name = 0;
    std::string log;
    // 'a','r','g','b' has no GL format here.
    EXPECT_FALSE(load(PvrWriter::writeV3(v3(pixelFormat('a', 'r', 'g', 'b', 8, 8, 8, 8), 0, 1, 1), ramp(4)),
                      name, &log));
    EXPECT_EQ(log, "PVRTTextureLoadFromPointer failed: pixel type not supported.\n");
    EXPECT_EQ(name, 0u);
    // Neither has PVRTC-II without its extension.
    EXPECT_FALSE(load(PvrWriter::writeV3(v3(5, 0, 4, 4), ramp(8)), name, &log));
    EXPECT_EQ(log, "PVRTTextureLoadFromPointer error: PVRTC not supported.\n");
    // More than one surface is refused before GL is asked for a name.
    PvrWriter::V3Description array = v3(kRGBA8888, 0, 1, 1);
    array.surfaces = 2;
    EXPECT_FALSE(load(PvrWriter::writeV3(array, ramp(8)), name, &log));
    EXPECT_EQ(log, "PVRTTextureLoadFromPointer failed: Texture arrays are not available in OGLES2.0.\n");
    EXPECT_EQ(name, 0u);
}

TEST_F(PVRTTextureLoadTest, AnEarlierGLErrorIsNotBlamedOnTheTexture) {
    glBindTexture(0x1234, 1); // GL_INVALID_ENUM, left pending
    GLuint name = 0;
    std::string log;
    EXPECT_TRUE(load(PvrWriter::writeV3(v3(kRGBA8888, 0, 1, 1), ramp(4)), name, &log)) << log;
    EXPECT_NE(name, 0u);
    // And a failed upload leaves nothing pending for the next: a cube map
    // whose faces are not square is refused by GL.
    EXPECT_FALSE(load(PvrWriter::writeV3(v3(kRGBA8888, 0, 2, 1, 1, 6), ramp(6 * 8)), name, &log));
    EXPECT_EQ(log, "PVRTTextureLoadFromPointer failed: glTexImage2D() failed.\n");
    EXPECT_NO_GL_ERROR();
}

} // namespace
