#pragma once

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>

// The PVR container as the texture reader sees it: one version-3 header,
// whichever header the file carried, and the sizes of its images.

namespace ZQ {

inline constexpr uint32_t kPVRTTextureVersion3 = 0x03525650;        // 'P','V','R',3
inline constexpr uint32_t kPVRTTextureVersion3Swapped = 0x50565203; // written big-endian
inline constexpr std::size_t kPVRTTextureHeaderSize = 52;

// The version-3 header, field by field as stored (little-endian).
struct PVRTextureHeaderV3 {
    uint32_t version = kPVRTTextureVersion3;
    uint32_t flags = 0; // 0x02: colours premultiplied by alpha
    // Upper 32 bits zero: a compressed-format code (PVRTCompressedFormat).
    // Otherwise bytes 0-3 name the channels ('r','g','b','a','l','x', 0) and
    // bytes 4-7 give their bits.
    uint64_t pixelFormat = 0;
    uint32_t colourSpace = 0; // 0 linear, 1 sRGB
    uint32_t channelType = 0; // 0 unsigned byte normalised, 4 unsigned short normalised, 12 float
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t depth = 1;
    uint32_t numSurfaces = 1;
    uint32_t numFaces = 1;
    uint32_t mipMapCount = 1; // 1 = base level only
    uint32_t metaDataSize = 0;

    // Field by field: the struct has tail padding, so its bytes may differ.
    bool operator==(const PVRTextureHeaderV3&) const = default;
};

// Compressed-format codes this reader can place.
enum PVRTCompressedFormat : uint32_t {
    kPVRTC2bppRGB = 0,
    kPVRTC2bppRGBA = 1,
    kPVRTC4bppRGB = 2,
    kPVRTC4bppRGBA = 3,
    kPVRTCII2bpp = 4,
    kPVRTCII4bpp = 5,
    kPVRTUnknownFormat = 27, // what legacy codes without an entry become
};

// Channel types named by the reader.
enum PVRTChannelType : uint32_t {
    kChannelUnsignedByteNorm = 0,
    kChannelUnsignedShortNorm = 4,
    kChannelFloat = 12,
    kChannelUnknown = 14,
};

// The uncompressed pixel format with channel names c0..c3 and their bits.
constexpr uint64_t pvrPixelFormat(char c0, char c1, char c2, char c3, uint8_t b0, uint8_t b1, uint8_t b2,
                                  uint8_t b3) {
    return uint64_t(uint8_t(c0)) | uint64_t(uint8_t(c1)) << 8 | uint64_t(uint8_t(c2)) << 16 |
           uint64_t(uint8_t(c3)) << 24 | uint64_t(b0) << 32 | uint64_t(b1) << 40 | uint64_t(b2) << 48 |
           uint64_t(b3) << 56;
}

// The header a legacy file's words describe (`words` little-endian u32s;
// `count` of them, 11 for a 44-byte header, 13 for a 52-byte one).
PVRTextureHeaderV3 convertLegacyHeader(const uint32_t* words, std::size_t count);

// Bytes of image data: of mip level `level`, or of all levels when level is
// kAllMipLevels; times the surfaces and the faces when asked. Compressed
// images are padded to whole blocks. Exact in 64 bits for any header that
// passes validatePVRTextureHeader.
inline constexpr int kAllMipLevels = -1;
uint64_t pvrTextureDataSize(const PVRTextureHeaderV3& header, int level, bool allSurfaces, bool allFaces);

// Why a header cannot be read, or null when it can: zero or absurd sizes,
// more mip levels than the dimensions allow, a face count other than 1 or 6,
// more than one surface, PVRTC of a size that is not a power of two.
const char* validatePVRTextureHeader(const PVRTextureHeaderV3& header);

// The GL upload parameters of a header; internalFormat 0 when no GL format
// fits.
struct PVRTGLFormat {
    GLenum internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
};
PVRTGLFormat pvrTextureGLFormat(const PVRTextureHeaderV3& header);

// True for the PVRTC internal formats the software decoder can stand in for.
bool isPVRTCv1(GLenum internalFormat);

} // namespace ZQ
