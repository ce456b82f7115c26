#include "PvrFixtures.h"
#include "render/PVRTTexture.h"
#include "render/PVRTTextureHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using PvrFixtures::kRGB565;
using PvrFixtures::kRGBA8888;
using PvrFixtures::ramp;
using PvrFixtures::v3;
using PvrWriter::ByteOrder;

// Parses a copy of exactly `size` bytes of `file` in its own allocation, so
// a read past the end is one AddressSanitizer sees.
const char* parsePrefix(const std::vector<uint8_t>& file, std::size_t size, ZQ::PVRTParsedTexture& out) {
    auto copy = std::make_unique<uint8_t[]>(size == 0 ? 1 : size);
    std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size), copy.get());
    const char* why = ZQ::parsePVRTexture(copy.get(), size, out);
    out.data = nullptr; // points into the copy
    return why;
}

std::vector<std::vector<uint8_t>> validFiles() {
    PvrWriter::V3Description withMetadata = v3(kRGBA8888, 0, 4, 4, 3);
    withMetadata.metadata = ramp(20);
    PvrWriter::LegacyDescription legacy44;
    legacy44.headerSize = 44;
    legacy44.pixelType = 0x16; // L8
    legacy44.width = 3;
    legacy44.height = 2;
    PvrWriter::LegacyDescription legacyCube;
    legacyCube.cubeMap = true;
    legacyCube.surfaceWord = 6;
    legacyCube.width = 2;
    legacyCube.height = 2;
    legacyCube.mipmapped = true;
    legacyCube.mipLevelsBelowBase = 1;
    return {
        PvrWriter::writeV3(withMetadata, ramp(4 * (16 + 4 + 1))),
        PvrWriter::writeV3(v3(kRGB565, 4, 4, 2), ramp(16), ByteOrder::Big),
        PvrWriter::writeV3(v3(PvrWriter::kPVRTC4bppRGBA, 0, 8, 8, 4), ramp(32 * 4)),
        PvrWriter::writeV3(v3(PvrWriter::kPVRTC2bppRGB, 0, 16, 8), ramp(32)),
        PvrWriter::writeLegacy(legacy44, ramp(6)),
        PvrWriter::writeLegacy(legacyCube, ramp(6 * 4 * (4 + 1))),
    };
}

TEST(PVRTTextureParseTest, EveryTruncationOfAValidFileIsRefused) {
    int file = 0;
    for (const std::vector<uint8_t>& bytes : validFiles()) {
        ZQ::PVRTParsedTexture parsed;
        EXPECT_EQ(parsePrefix(bytes, bytes.size(), parsed), nullptr) << "file " << file;
        for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
            EXPECT_NE(parsePrefix(bytes, cut, parsed), nullptr) << "file " << file << " cut at " << cut;
        }
        ++file;
    }
}

TEST(PVRTTextureParseTest, HeadersWithImpossibleCountsAreRefused) {
    struct Case {
        const char* what;
        PvrWriter::V3Description description;
    };
    std::vector<Case> cases;
    auto add = [&cases](const char* what, auto edit) {
        PvrWriter::V3Description d = v3(kRGBA8888, 0, 8, 4);
        edit(d);
        cases.push_back({what, d});
    };
    add("zero width", [](auto& d) { d.width = 0; });
    add("zero height", [](auto& d) { d.height = 0; });
    add("more levels than 1 + log2(8)", [](auto& d) { d.mipLevels = 5; });
    add("no levels", [](auto& d) { d.mipLevels = 0; });
    add("two faces", [](auto& d) { d.faces = 2; });
    add("seven faces", [](auto& d) { d.faces = 7; });
    add("two surfaces", [](auto& d) { d.surfaces = 2; });
    add("an absurd width", [](auto& d) { d.width = 1u << 30; });
    add("PVRTC 12 wide", [](auto& d) {
        d.pixelFormat = PvrWriter::kPVRTC4bppRGBA;
        d.width = 12;
        d.height = 8;
    });
    add("PVRTC 16 x 24", [](auto& d) {
        d.pixelFormat = PvrWriter::kPVRTC2bppRGBA;
        d.width = 16;
        d.height = 24;
    });
    for (const Case& c : cases) {
        // Data enough for any of them, so only the counts can be at fault.
        const std::vector<uint8_t> bytes = PvrWriter::writeV3(c.description, std::vector<uint8_t>(4096));
        ZQ::PVRTParsedTexture parsed;
        EXPECT_NE(parsePrefix(bytes, bytes.size(), parsed), nullptr) << c.what;
    }
    // The largest chain the size allows is fine: 8 x 4 has four levels.
    const std::vector<uint8_t> full =
        PvrWriter::writeV3(v3(kRGBA8888, 0, 8, 4, 4), std::vector<uint8_t>(4096));
    ZQ::PVRTParsedTexture parsed;
    EXPECT_EQ(parsePrefix(full, full.size(), parsed), nullptr);
}

TEST(PVRTTextureParseTest, OnlyTheTwoLegacyHeaderSizesAreRead) {
    for (uint32_t size : {0u, 4u, 40u, 48u, 56u, 64u, 0x21525650u}) {
        PvrWriter::LegacyDescription d;
        d.headerSize = size;
        std::vector<uint8_t> bytes = PvrWriter::writeLegacy(d, ramp(4));
        bytes.resize(std::max<std::size_t>(bytes.size(), 128));
        ZQ::PVRTParsedTexture parsed;
        EXPECT_NE(parsePrefix(bytes, bytes.size(), parsed), nullptr) << "header size " << size;
    }
}

TEST(PVRTTextureParseTest, LegacyHeadersBecomeVersionThreeHeaders) {
    PvrWriter::LegacyDescription old;
    old.headerSize = 44;
    old.pixelType = 0x13; // RGB565
    old.width = 4;
    old.height = 2;
    old.mipmapped = true;
    old.mipLevelsBelowBase = 2;
    std::vector<uint8_t> bytes = PvrWriter::writeLegacy(old, ramp(2 * (8 + 2 + 1)));
    ZQ::PVRTParsedTexture parsed;
    ASSERT_EQ(parsePrefix(bytes, bytes.size(), parsed), nullptr);
    EXPECT_TRUE(parsed.legacy);
    EXPECT_EQ(parsed.header.pixelFormat, kRGB565);
    EXPECT_EQ(parsed.header.channelType, ZQ::kChannelUnsignedShortNorm);
    EXPECT_EQ(parsed.header.width, 4u);
    EXPECT_EQ(parsed.header.height, 2u);
    EXPECT_EQ(parsed.header.mipMapCount, 3u);
    EXPECT_EQ(parsed.header.numSurfaces, 1u);
    EXPECT_EQ(parsed.header.numFaces, 1u);

    // A 52-byte cube map counts its surfaces over the six faces.
    PvrWriter::LegacyDescription cube;
    cube.pixelType = 0x99; // RGBA8888, premultiplied
    cube.cubeMap = true;
    cube.surfaceWord = 6;
    cube.width = 2;
    cube.height = 2;
    bytes = PvrWriter::writeLegacy(cube, ramp(6 * 16));
    ASSERT_EQ(parsePrefix(bytes, bytes.size(), parsed), nullptr);
    EXPECT_EQ(parsed.header.numFaces, 6u);
    EXPECT_EQ(parsed.header.numSurfaces, 1u);
    EXPECT_EQ(parsed.header.mipMapCount, 1u);
    EXPECT_EQ(parsed.header.flags, 0x02u);
    EXPECT_EQ(parsed.header.pixelFormat, kRGBA8888);

    // A code with no GL format here reads, and has no GL format.
    cube.pixelType = 0x05; // ARGB8888
    bytes = PvrWriter::writeLegacy(cube, ramp(6 * 16));
    ASSERT_EQ(parsePrefix(bytes, bytes.size(), parsed), nullptr);
    EXPECT_EQ(ZQ::pvrTextureGLFormat(parsed.header).internalFormat, 0u);
}

TEST(PVRTTextureParseTest, ABigEndianFileReadsLikeItsLittleEndianTwin) {
    PvrWriter::V3Description d = v3(kRGB565, 4, 4, 2, 2);
    d.metadata = ramp(9);
    const std::vector<uint8_t> data = ramp(2 * (8 + 2));
    const std::vector<uint8_t> little = PvrWriter::writeV3(d, data);
    const std::vector<uint8_t> big = PvrWriter::writeV3(d, data, ByteOrder::Big);
    ASSERT_NE(little, big);
    ZQ::PVRTParsedTexture a;
    ZQ::PVRTParsedTexture b;
    ASSERT_EQ(ZQ::parsePVRTexture(little.data(), little.size(), a), nullptr);
    ASSERT_EQ(ZQ::parsePVRTexture(big.data(), big.size(), b), nullptr);
    EXPECT_TRUE(a.header == b.header);
    EXPECT_EQ(std::vector<uint8_t>(a.data, a.data + data.size()),
              std::vector<uint8_t>(b.data, b.data + data.size()));
    // The data follows the metadata.
    EXPECT_EQ(a.data, little.data() + 52 + 9);
}

TEST(PVRTTextureParseTest, CompressedLevelsArePaddedToWholeBlocks) {
    ZQ::PVRTextureHeaderV3 h;
    h.width = 4;
    h.height = 4;
    h.pixelFormat = ZQ::kPVRTC4bppRGBA; // padded to 8 x 8
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, 0, true, true), 32u);
    h.pixelFormat = ZQ::kPVRTC2bppRGB; // padded to 16 x 8
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, 0, true, true), 32u);
    // A full 4bpp chain of 64 x 64: 2048 + 512 + 128 + 32 + 32 + 32 + 32.
    h.width = 64;
    h.height = 64;
    h.mipMapCount = 7;
    h.pixelFormat = ZQ::kPVRTC4bppRGBA;
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, ZQ::kAllMipLevels, true, true), 2816u);
    h.numFaces = 6;
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, ZQ::kAllMipLevels, true, true), 6u * 2816u);
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, 3, false, false), 32u);
    // Uncompressed: the sum of the channel widths per pixel.
    h.pixelFormat = kRGB565;
    h.numFaces = 1;
    EXPECT_EQ(ZQ::pvrTextureDataSize(h, 1, false, false), 32u * 32u * 2u);
}

TEST(PVRTTextureParseTest, ExtensionsCountOnlyAsWholeWords) {
    const char* list = "GL_OES_texture_float_linear GL_IMG_texture_compression_pvrtc2 GL_EXT_foo";
    EXPECT_FALSE(ZQ::hasGLExtension(list, "GL_IMG_texture_compression_pvrtc"));
    EXPECT_TRUE(ZQ::hasGLExtension(list, "GL_IMG_texture_compression_pvrtc2"));
    EXPECT_FALSE(ZQ::hasGLExtension(list, "GL_OES_texture_float"));
    EXPECT_TRUE(ZQ::hasGLExtension(list, "GL_EXT_foo"));
    EXPECT_TRUE(ZQ::hasGLExtension("GL_A GL_A_B GL_A_B_C", "GL_A_B"));
    EXPECT_FALSE(ZQ::hasGLExtension("XGL_A_B GL_A_BC", "GL_A_B"));
    EXPECT_FALSE(ZQ::hasGLExtension(nullptr, "GL_A"));
    EXPECT_FALSE(ZQ::hasGLExtension("GL_A", ""));
}

} // namespace
