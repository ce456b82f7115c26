// Writes a small corpus of valid PVR files, one of each kind the reader
// takes (every uncompressed format, both byte orders, metadata, mip chains,
// cube maps, PVRTC at both rates, both legacy headers): the seeds the fuzzer
// mutates.
//   pvr-seeds OUTPUT_FOLDER
#include "OutputFolder.h"
#include "PvrWriter.h"
#include "ToolUsage.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace PvrWriter;

namespace {

// Bytes that look like pixels but follow no pattern the reader could rely on.
std::vector<uint8_t> noise(std::size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

// Bytes of a chain of `levels` levels of width x height, `bitsPerPixel`
// each, padded to blocks of blockW x blockH, times `faces`.
std::size_t chainBytes(uint32_t width, uint32_t height, uint32_t levels, uint32_t bitsPerPixel,
                       uint32_t faces, uint32_t blockW = 1, uint32_t blockH = 1) {
    std::size_t bits = 0;
    for (uint32_t l = 0; l < levels; ++l) {
        const std::size_t w = std::max<uint32_t>(1, width >> l);
        const std::size_t h = std::max<uint32_t>(1, height >> l);
        bits += ((w + blockW - 1) / blockW * blockW) * ((h + blockH - 1) / blockH * blockH) * bitsPerPixel;
    }
    return bits / 8 * faces;
}

struct Seed {
    const char* name;
    std::vector<uint8_t> bytes;
};

V3Description v3(uint64_t format, uint32_t channelType, uint32_t width, uint32_t height, uint32_t levels = 1,
                 uint32_t faces = 1) {
    V3Description d;
    d.pixelFormat = format;
    d.channelType = channelType;
    d.width = width;
    d.height = height;
    d.mipLevels = levels;
    d.faces = faces;
    return d;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status =
            ToolUsage::answerNames(argc, argv, 1, 1, "usage: pvr-seeds OUTPUT_FOLDER\n")) {
        return *status;
    }
    const std::string folder = argv[1];
    if (!OutputFolder::make("pvr-seeds", folder)) {
        return 1;
    }
    const uint64_t rgba8888 = pixelFormat('r', 'g', 'b', 'a', 8, 8, 8, 8);
    const uint64_t rgb565 = pixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0);
    const uint64_t rgba16f = pixelFormat('r', 'g', 'b', 'a', 16, 16, 16, 16);

    V3Description withMetadata = v3(pixelFormat('r', 'g', 'b', 'a', 4, 4, 4, 4), kUnsignedShortNorm, 4, 4);
    withMetadata.metadata = noise(12, 3);
    LegacyDescription legacy44;
    legacy44.headerSize = 44;
    legacy44.pixelType = 0x16; // L8
    legacy44.width = 4;
    legacy44.height = 4;
    legacy44.bitCount = 8;
    LegacyDescription legacyCube;
    legacyCube.cubeMap = true;
    legacyCube.surfaceWord = 6;
    legacyCube.width = 2;
    legacyCube.height = 2;
    LegacyDescription legacyPvrtc;
    legacyPvrtc.pixelType = 0x19; // PVRTC 4bpp
    legacyPvrtc.width = 16;
    legacyPvrtc.height = 16;
    legacyPvrtc.mipmapped = true;
    legacyPvrtc.mipLevelsBelowBase = 2;
    legacyPvrtc.bitCount = 4;

    const std::vector<Seed> seeds = {
        {"rgba8888-mips",
         writeV3(v3(rgba8888, kUnsignedByteNorm, 4, 4, 3), noise(chainBytes(4, 4, 3, 32, 1), 1))},
        {"rgb565-big-endian", writeV3(v3(rgb565, kUnsignedShortNorm, 8, 8), noise(128, 2), ByteOrder::Big)},
        {"rgba4444-metadata", writeV3(withMetadata, noise(32, 4))},
        {"rgba5551",
         writeV3(v3(pixelFormat('r', 'g', 'b', 'a', 5, 5, 5, 1), kUnsignedShortNorm, 4, 2), noise(16, 5))},
        {"l8-npot",
         writeV3(v3(pixelFormat('l', 0, 0, 0, 8, 0, 0, 0), kUnsignedByteNorm, 3, 5), noise(15, 6))},
        {"la88", writeV3(v3(pixelFormat('l', 'a', 0, 0, 8, 8, 0, 0), kUnsignedByteNorm, 2, 2), noise(8, 7))},
        {"a8", writeV3(v3(pixelFormat('a', 0, 0, 0, 8, 0, 0, 0), kUnsignedByteNorm, 4, 1), noise(4, 8))},
        {"rgb888",
         writeV3(v3(pixelFormat('r', 'g', 'b', 0, 8, 8, 8, 0), kUnsignedByteNorm, 2, 2), noise(12, 9))},
        {"bgra8888",
         writeV3(v3(pixelFormat('b', 'g', 'r', 'a', 8, 8, 8, 8), kUnsignedByteNorm, 2, 2), noise(16, 10))},
        {"rgba16f-big-endian", writeV3(v3(rgba16f, kFloat, 2, 2), noise(32, 11), ByteOrder::Big)},
        {"rgb32f", writeV3(v3(pixelFormat('r', 'g', 'b', 0, 32, 32, 32, 0), kFloat, 1, 1), noise(12, 12))},
        {"cube-rgba8888",
         writeV3(v3(rgba8888, kUnsignedByteNorm, 2, 2, 2, 6), noise(chainBytes(2, 2, 2, 32, 6), 13))},
        {"pvrtc4-mips",
         writeV3(v3(kPVRTC4bppRGBA, 0, 16, 16, 5), noise(chainBytes(16, 16, 5, 4, 1, 8, 8), 14))},
        {"pvrtc2", writeV3(v3(kPVRTC2bppRGBA, 0, 32, 8), noise(chainBytes(32, 8, 1, 2, 1, 16, 8), 15))},
        {"pvrtc2-small", writeV3(v3(kPVRTC2bppRGB, 0, 8, 4), noise(chainBytes(8, 4, 1, 2, 1, 16, 8), 16))},
        {"legacy44-l8", writeLegacy(legacy44, noise(16, 17))},
        {"legacy52-cube", writeLegacy(legacyCube, noise(chainBytes(2, 2, 1, 32, 6), 18))},
        {"legacy52-pvrtc4", writeLegacy(legacyPvrtc, noise(chainBytes(16, 16, 3, 4, 1, 8, 8), 19))},
    };
    for (const Seed& seed : seeds) {
        const std::string path = folder + "/" + seed.name + ".pvr";
        if (!writeFile(path, seed.bytes)) {
            std::fprintf(stderr, "pvr-seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::printf("pvr-seeds: %zu files in %s\n", seeds.size(), folder.c_str());
    return 0;
}
