#include "render/PVRTTextureHeader.h"

#include <GLES2/gl2ext.h>

#include <algorithm>
#include <array>

namespace ZQ {

namespace {

// Past this edge no GL takes the texture, and the size sums below stay far
// from 64-bit overflow (2^16 cubed times 1020 bits per pixel, times 2 for a
// mip chain, times 6 faces, is under 2^62).
constexpr uint32_t kMaxDimension = 1u << 16;

constexpr uint64_t kRGBA8888 = pvrPixelFormat('r', 'g', 'b', 'a', 8, 8, 8, 8);
constexpr uint64_t kRGB888 = pvrPixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0);
constexpr uint64_t kBGRA8888 = pvrPixelFormat('b', 'g', 'r', 'a', 8, 8, 8, 8);
constexpr uint64_t kRGB565 = pvrPixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0);
constexpr uint64_t kRGBA4444 = pvrPixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4);
constexpr uint64_t kRGBA5551 = pvrPixelFormat('r', 'g', 'b', 'a', 5, 5, 5, 1);
constexpr uint64_t kL8 = pvrPixelFormat('l', 0, 0, 0, 8, 0, 0, 0);
constexpr uint64_t kLA88 = pvrPixelFormat('l', 'a', 0, 0, 8, 8, 0, 0);
constexpr uint64_t kA8 = pvrPixelFormat('a', 0, 0, 0, 8, 0, 0, 0);
constexpr uint64_t kRGBA32F = pvrPixelFormat('r', 'g', 'b', 'a', 32, 32, 32, 32);
constexpr uint64_t kRGB32F = pvrPixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0);
constexpr uint64_t kRGBA16F = pvrPixelFormat('r', 'g', 'b', 'a', 16, 16, 16, 16);

// The legacy pixel types that lead to a format this reader can upload. Every
// other legacy type (the ARGB orders, DXT, ETC, YUV, signed and integer
// formats) has no GL format here and loads as "pixel type not supported",
// exactly as an unknown code does.
struct LegacyPixelType {
    uint32_t code;
    uint64_t pixelFormat;
    uint32_t colourSpace;
    uint32_t channelType;
    bool premultiplied;
};

// clang-format off
constexpr std::array<LegacyPixelType, 35> kLegacyPixelTypes = {{
    //  code  pixel format    space  channel type               premultiplied
    {   0x02, kRGB565,        0,     kChannelUnsignedShortNorm, false },
    {   0x0C, kPVRTC2bppRGBA, 0,     kChannelUnsignedByteNorm,  false },
    {   0x0D, kPVRTC4bppRGBA, 0,     kChannelUnsignedByteNorm,  false },
    {   0x10, kRGBA4444,      0,     kChannelUnsignedShortNorm, false },
    {   0x11, kRGBA5551,      0,     kChannelUnsignedShortNorm, false },
    {   0x12, kRGBA8888,      0,     kChannelUnsignedByteNorm,  false },
    {   0x13, kRGB565,        0,     kChannelUnsignedShortNorm, false },
    {   0x15, kRGB888,        0,     kChannelUnsignedByteNorm,  false },
    {   0x16, kL8,            0,     kChannelUnsignedByteNorm,  false },
    {   0x17, kLA88,          0,     kChannelUnsignedByteNorm,  false },
    {   0x18, kPVRTC2bppRGBA, 0,     kChannelUnsignedByteNorm,  false },
    {   0x19, kPVRTC4bppRGBA, 0,     kChannelUnsignedByteNorm,  false },
    {   0x1A, kBGRA8888,      0,     kChannelUnsignedByteNorm,  false },
    {   0x1B, kA8,            0,     kChannelUnsignedByteNorm,  false },
    {   0x1C, kPVRTCII4bpp,   0,     kChannelUnsignedByteNorm,  false },
    {   0x1D, kPVRTCII2bpp,   0,     kChannelUnsignedByteNorm,  false },
    {   0x50, kRGBA32F,       0,     kChannelFloat,             false },
    {   0x53, kRGB32F,        0,     kChannelFloat,             false },
    {   0x56, kRGBA16F,       0,     kChannelFloat,             false },
    {   0x61, kRGBA8888,      0,     kChannelUnsignedByteNorm,  false },
    {   0x62, kRGBA8888,      1,     kChannelUnsignedByteNorm,  false },
    {   0x91, kRGBA8888,      1,     kChannelUnsignedByteNorm,  false },
    {   0x92, kRGBA8888,      1,     kChannelUnsignedByteNorm,  true  },
    {   0x93, kRGB565,        1,     kChannelUnsignedShortNorm, false },
    {   0x94, kRGBA5551,      1,     kChannelUnsignedShortNorm, false },
    {   0x95, kRGBA4444,      1,     kChannelUnsignedShortNorm, false },
    {   0x96, kL8,            1,     kChannelUnsignedByteNorm,  false },
    {   0x98, kRGBA8888,      0,     kChannelUnsignedByteNorm,  false },
    {   0x99, kRGBA8888,      0,     kChannelUnsignedByteNorm,  true  },
    {   0x9A, kL8,            0,     kChannelUnsignedByteNorm,  false },
    {   0x9B, kA8,            0,     kChannelUnsignedByteNorm,  false },
    {   0xA6, kBGRA8888,      1,     kChannelUnsignedByteNorm,  false },
    {   0xA7, kBGRA8888,      1,     kChannelUnsignedByteNorm,  true  },
    {   0xAC, kBGRA8888,      0,     kChannelUnsignedByteNorm,  false },
    {   0xAD, kBGRA8888,      0,     kChannelUnsignedByteNorm,  true  },
}};
// clang-format on
static_assert(kLegacyPixelTypes.size() == 35);

// Block geometry of the compressed codes: images are padded to whole blocks.
struct CompressedBlock {
    uint32_t width;
    uint32_t height;
    uint32_t bitsPerPixel;
};

// clang-format off
constexpr std::array<CompressedBlock, 27> kCompressedBlocks = {{
    // w   h   bpp      code
    { 16,  8,  2 },  // 0  PVRTC 2bpp RGB
    { 16,  8,  2 },  // 1  PVRTC 2bpp RGBA
    {  8,  8,  4 },  // 2  PVRTC 4bpp RGB
    {  8,  8,  4 },  // 3  PVRTC 4bpp RGBA
    {  8,  4,  2 },  // 4  PVRTC-II 2bpp
    {  4,  4,  4 },  // 5  PVRTC-II 4bpp
    {  4,  4,  4 },  // 6
    {  4,  4,  4 },  // 7
    {  4,  4,  8 },  // 8
    {  4,  4,  8 },  // 9
    {  4,  4,  8 },  // 10
    {  4,  4,  8 },  // 11
    {  4,  4,  4 },  // 12
    {  4,  4,  8 },  // 13
    {  1,  1,  0 },  // 14
    {  1,  1,  0 },  // 15
    {  2,  1, 16 },  // 16
    {  2,  1, 16 },  // 17
    {  8,  1,  1 },  // 18
    {  1,  1, 32 },  // 19
    {  2,  1, 16 },  // 20
    {  2,  1, 16 },  // 21
    {  4,  4,  4 },  // 22
    {  4,  4,  8 },  // 23
    {  4,  4,  4 },  // 24
    {  4,  4,  4 },  // 25
    {  4,  4,  8 },  // 26
}};
// clang-format on
static_assert(kCompressedBlocks.size() == 27);

bool isCompressed(uint64_t pixelFormat) {
    return (pixelFormat >> 32) == 0;
}

CompressedBlock blockOf(uint64_t pixelFormat) {
    if (isCompressed(pixelFormat)) {
        return pixelFormat < kCompressedBlocks.size() ? kCompressedBlocks[pixelFormat]
                                                      : CompressedBlock{1, 1, 0};
    }
    uint32_t bits = 0;
    for (int channel = 0; channel < 4; ++channel) {
        bits += static_cast<uint32_t>((pixelFormat >> (32 + 8 * channel)) & 0xFF);
    }
    return {1, 1, bits};
}

uint64_t roundUp(uint64_t value, uint64_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

bool isPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// 1 + floor(log2(edge)): the levels of a full chain down to 1 x 1.
uint32_t fullChainLevels(uint32_t edge) {
    uint32_t levels = 1;
    while (edge > 1) {
        edge >>= 1;
        ++levels;
    }
    return levels;
}

} // namespace

PVRTextureHeaderV3 convertLegacyHeader(const uint32_t* words, std::size_t count) {
    constexpr uint32_t kMipMapsPresent = 0x100;
    constexpr uint32_t kCubeMap = 0x1000;
    const uint32_t flags = words[4];
    const uint32_t code = flags & 0xFF;

    PVRTextureHeaderV3 header;
    header.pixelFormat = kPVRTUnknownFormat;
    header.channelType = kChannelUnknown;
    const auto entry = std::find_if(kLegacyPixelTypes.begin(), kLegacyPixelTypes.end(),
                                    [code](const LegacyPixelType& t) { return t.code == code; });
    if (entry != kLegacyPixelTypes.end()) {
        header.pixelFormat = entry->pixelFormat;
        header.colourSpace = entry->colourSpace;
        header.channelType = entry->channelType;
        header.flags = entry->premultiplied ? 0x02 : 0;
    }
    header.height = words[1];
    header.width = words[2];
    header.mipMapCount = (flags & kMipMapsPresent) != 0 ? words[3] + 1 : 1;
    header.numFaces = (flags & kCubeMap) != 0 ? 6 : 1;
    // The newest legacy layout counts surfaces over all faces.
    header.numSurfaces = count >= 13 ? words[12] / header.numFaces : 1;
    return header;
}

uint64_t pvrTextureDataSize(const PVRTextureHeaderV3& header, int level, bool allSurfaces, bool allFaces) {
    const CompressedBlock block = blockOf(header.pixelFormat);
    const uint32_t first = level == kAllMipLevels ? 0 : static_cast<uint32_t>(level);
    const uint32_t last = level == kAllMipLevels ? std::min<uint32_t>(header.mipMapCount, 255) : first + 1;
    uint64_t bits = 0;
    for (uint32_t l = first; l < last; ++l) {
        const uint64_t w = roundUp(std::max<uint32_t>(1, header.width >> l), block.width);
        const uint64_t h = roundUp(std::max<uint32_t>(1, header.height >> l), block.height);
        const uint64_t d = std::max<uint32_t>(1, header.depth >> l);
        bits += block.bitsPerPixel * w * h * d;
    }
    uint64_t bytes = bits / 8;
    if (allSurfaces) {
        bytes *= std::max<uint32_t>(1, header.numSurfaces);
    }
    if (allFaces) {
        bytes *= header.numFaces;
    }
    return bytes;
}

const char* validatePVRTextureHeader(const PVRTextureHeaderV3& header) {
    if (header.width == 0 || header.height == 0) {
        return "the texture has no pixels";
    }
    if (header.width > kMaxDimension || header.height > kMaxDimension || header.depth > kMaxDimension) {
        return "the texture is larger than any GL takes";
    }
    if (header.mipMapCount == 0 ||
        header.mipMapCount > fullChainLevels(std::max(header.width, header.height))) {
        return "the mip-level count does not fit the texture's size";
    }
    if (header.numFaces != 1 && header.numFaces != 6) {
        return "a texture has one face or six";
    }
    if (header.numSurfaces > 1) {
        return "Texture arrays are not available in OGLES2.0";
    }
    if (header.pixelFormat <= kPVRTC4bppRGBA &&
        !(isPowerOfTwo(header.width) && isPowerOfTwo(header.height))) {
        return "PVRTC textures must be a power of two on each side";
    }
    return nullptr;
}

PVRTGLFormat pvrTextureGLFormat(const PVRTextureHeaderV3& header) {
    switch (header.pixelFormat) {
    case kPVRTC2bppRGB:
        return {GL_COMPRESSED_RGB_PVRTC_2BPPV1_IMG, 0, 0};
    case kPVRTC2bppRGBA:
        return {GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG, 0, 0};
    case kPVRTC4bppRGB:
        return {GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG, 0, 0};
    case kPVRTC4bppRGBA:
        return {GL_COMPRESSED_RGBA_PVRTC_4BPPV1_IMG, 0, 0};
    case kPVRTCII2bpp:
        return {GL_COMPRESSED_RGBA_PVRTC_2BPPV2_IMG, 0, 0};
    case kPVRTCII4bpp:
        return {GL_COMPRESSED_RGBA_PVRTC_4BPPV2_IMG, 0, 0};
    default:
        break;
    }
    // The channel names alone choose the GL format; the channel type and the
    // bits choose the GL type.
    const uint64_t names = header.pixelFormat & 0xFFFFFFFFu;
    const uint64_t bits = header.pixelFormat >> 32;
    struct Layout {
        uint64_t names;
        GLenum format;
        uint32_t channels;
    };
    // clang-format off
    constexpr std::array<Layout, 5> kLayouts = {{
        //  channel names                               GL format             channels
        {   pvrPixelFormat('a', 0, 0, 0, 0, 0, 0, 0),       GL_ALPHA,             1 },
        {   pvrPixelFormat('l', 0, 0, 0, 0, 0, 0, 0),       GL_LUMINANCE,         1 },
        {   pvrPixelFormat('l', 'a', 0, 0, 0, 0, 0, 0),     GL_LUMINANCE_ALPHA,   2 },
        {   pvrPixelFormat('r', 'g', 'b', 0, 0, 0, 0, 0),   GL_RGB,               3 },
        {   pvrPixelFormat('r', 'g', 'b', 'a', 0, 0, 0, 0), GL_RGBA,              4 },
    }};
    // clang-format on
    static_assert(kLayouts.size() == 5);
    // The same bits on every named channel and none on the others.
    const auto uniform = [bits](uint32_t channels, uint64_t each) {
        uint64_t want = 0;
        for (uint32_t c = 0; c < channels; ++c) {
            want |= each << (8 * c);
        }
        return bits == want;
    };

    if (header.pixelFormat == kBGRA8888 && header.channelType == kChannelUnsignedByteNorm) {
        return {GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_BYTE};
    }
    if (header.channelType == kChannelUnsignedShortNorm) {
        if (header.pixelFormat == kRGB565) {
            return {GL_RGB, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
        }
        if (header.pixelFormat == kRGBA5551) {
            return {GL_RGBA, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1};
        }
        if (header.pixelFormat == kRGBA4444) {
            return {GL_RGBA, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4};
        }
        return {};
    }
    for (const Layout& layout : kLayouts) {
        if (names != layout.names) {
            continue;
        }
        if (header.channelType == kChannelUnsignedByteNorm && uniform(layout.channels, 8)) {
            return {layout.format, layout.format, GL_UNSIGNED_BYTE};
        }
        if (header.channelType == kChannelFloat && uniform(layout.channels, 16)) {
            return {layout.format, layout.format, GL_HALF_FLOAT_OES};
        }
        if (header.channelType == kChannelFloat && uniform(layout.channels, 32)) {
            return {layout.format, layout.format, GL_FLOAT};
        }
    }
    return {};
}

bool isPVRTCv1(GLenum internalFormat) {
    return internalFormat >= GL_COMPRESSED_RGB_PVRTC_4BPPV1_IMG &&
           internalFormat <= GL_COMPRESSED_RGBA_PVRTC_2BPPV1_IMG;
}

} // namespace ZQ
