#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes PVR texture files: the version-3 container (either byte order) and
// the two legacy headers, around image data given as bytes. Shared by the
// tests and the asset generators, so it depends on nothing of the game: a
// reader bug cannot hide behind a writer that shares its code.
namespace PvrWriter {

// Channel names and bits of an uncompressed format ('r','g','b','a','l', 0).
constexpr uint64_t pixelFormat(char c0, char c1, char c2, char c3, uint8_t b0, uint8_t b1, uint8_t b2,
                               uint8_t b3) {
    return uint64_t(uint8_t(c0)) | uint64_t(uint8_t(c1)) << 8 | uint64_t(uint8_t(c2)) << 16 |
           uint64_t(uint8_t(c3)) << 24 | uint64_t(b0) << 32 | uint64_t(b1) << 40 | uint64_t(b2) << 48 |
           uint64_t(b3) << 56;
}

// Compressed formats: their code alone.
constexpr uint64_t kPVRTC2bppRGB = 0;
constexpr uint64_t kPVRTC2bppRGBA = 1;
constexpr uint64_t kPVRTC4bppRGB = 2;
constexpr uint64_t kPVRTC4bppRGBA = 3;

// Channel types.
constexpr uint32_t kUnsignedByteNorm = 0;
constexpr uint32_t kUnsignedShortNorm = 4;
constexpr uint32_t kFloat = 12;

struct V3Description {
    uint64_t pixelFormat = PvrWriter::pixelFormat('r', 'g', 'b', 'a', 8, 8, 8, 8);
    uint32_t flags = 0;
    uint32_t colourSpace = 0;
    uint32_t channelType = kUnsignedByteNorm;
    uint32_t width = 1;
    uint32_t height = 1;
    uint32_t depth = 1;
    uint32_t surfaces = 1;
    uint32_t faces = 1;
    uint32_t mipLevels = 1;
    std::vector<uint8_t> metadata;
};

enum class ByteOrder { Little, Big };

// Header, metadata, then `data` as given: for each level (largest first),
// each surface, each face, one image, little-endian. Big order writes every
// header word byte-reversed, the pixel format as one reversed 8-byte value,
// and the data's 2-byte (channel types 4 to 7) or 4-byte (8 to 12) elements
// reversed.
std::vector<uint8_t> writeV3(const V3Description& description, const std::vector<uint8_t>& data,
                             ByteOrder order = ByteOrder::Little);

struct LegacyDescription {
    uint32_t headerSize = 52;  // 52, or 44 for the oldest layout (no tag, no surface count)
    uint32_t pixelType = 0x12; // the legacy code (0x12 = RGBA8888)
    uint32_t width = 1;
    uint32_t height = 1;
    uint32_t mipLevelsBelowBase = 0; // with mipmapped set
    bool mipmapped = false;
    bool cubeMap = false;
    uint32_t surfaceWord = 1; // 52-byte header: surfaces times faces
    uint32_t bitCount = 32;
};

// Legacy header and `data`: for each face, each level largest first.
std::vector<uint8_t> writeLegacy(const LegacyDescription& description, const std::vector<uint8_t>& data);

// PVRTC: the byte offset of block (x, y) in a gridWidth x gridHeight grid of
// 8-byte blocks stored in Morton order (y's bits in the even positions, x's in
// the odd ones, the longer side's extra bits on top).
std::size_t pvrtcBlockOffset(uint32_t gridWidth, uint32_t gridHeight, uint32_t x, uint32_t y);
// Writes one block: its modulation word, then its colour word.
void putPvrtcBlock(std::vector<uint8_t>& data, uint32_t gridWidth, uint32_t gridHeight, uint32_t x,
                   uint32_t y, uint32_t modulation, uint32_t colour);

// Writes `bytes` to `path`; false when the file cannot be written.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace PvrWriter
