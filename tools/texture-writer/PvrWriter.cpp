#include "PvrWriter.h"

#include <algorithm>
#include <fstream>

namespace PvrWriter {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t value, ByteOrder order) {
    for (int i = 0; i < 4; ++i) {
        const int shift = order == ByteOrder::Little ? 8 * i : 8 * (3 - i);
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void putU64(std::vector<uint8_t>& out, uint64_t value, ByteOrder order) {
    for (int i = 0; i < 8; ++i) {
        const int shift = order == ByteOrder::Little ? 8 * i : 8 * (7 - i);
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

std::size_t elementSize(uint32_t channelType) {
    if (channelType >= 4 && channelType <= 7) {
        return 2;
    }
    return channelType >= 8 && channelType <= 12 ? 4 : 1;
}

} // namespace

std::vector<uint8_t> writeV3(const V3Description& d, const std::vector<uint8_t>& data, ByteOrder order) {
    std::vector<uint8_t> out;
    putU32(out, 0x03525650, order);
    putU32(out, d.flags, order);
    putU64(out, d.pixelFormat, order);
    for (uint32_t word : {d.colourSpace, d.channelType, d.height, d.width, d.depth, d.surfaces, d.faces,
                          d.mipLevels, static_cast<uint32_t>(d.metadata.size())}) {
        putU32(out, word, order);
    }
    out.insert(out.end(), d.metadata.begin(), d.metadata.end());
    const std::size_t start = out.size();
    out.insert(out.end(), data.begin(), data.end());
    const std::size_t element = elementSize(d.channelType);
    if (order == ByteOrder::Big && element > 1) {
        for (std::size_t i = start; i + element <= out.size(); i += element) {
            std::reverse(out.begin() + static_cast<std::ptrdiff_t>(i),
                         out.begin() + static_cast<std::ptrdiff_t>(i + element));
        }
    }
    return out;
}

std::vector<uint8_t> writeLegacy(const LegacyDescription& d, const std::vector<uint8_t>& data) {
    uint32_t flags = d.pixelType & 0xFF;
    if (d.mipmapped) {
        flags |= 0x100;
    }
    if (d.cubeMap) {
        flags |= 0x1000;
    }
    std::vector<uint8_t> out;
    const uint32_t words[] = {d.headerSize,
                              d.height,
                              d.width,
                              d.mipLevelsBelowBase,
                              flags,
                              static_cast<uint32_t>(data.size()),
                              d.bitCount,
                              0,
                              0,
                              0,
                              0,
                              0x21525650 /* 'PVR!' */,
                              d.surfaceWord};
    for (std::size_t i = 0; i < d.headerSize / 4 && i < std::size(words); ++i) {
        putU32(out, words[i], ByteOrder::Little);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::size_t pvrtcBlockOffset(uint32_t gridWidth, uint32_t gridHeight, uint32_t x, uint32_t y) {
    // Interleave bit by bit from the bottom while both sides still have bits.
    std::size_t index = 0;
    int out = 0;
    uint32_t side = std::min(gridWidth, gridHeight);
    while (side > 1) {
        index |= std::size_t{y & 1} << out;
        index |= std::size_t{x & 1} << (out + 1);
        x >>= 1;
        y >>= 1;
        side >>= 1;
        out += 2;
    }
    index |= std::size_t{gridWidth > gridHeight ? x : y} << out;
    return index * 8;
}

void putPvrtcBlock(std::vector<uint8_t>& data, uint32_t gridWidth, uint32_t gridHeight, uint32_t x,
                   uint32_t y, uint32_t modulation, uint32_t colour) {
    const std::size_t at = pvrtcBlockOffset(gridWidth, gridHeight, x, y);
    if (data.size() < at + 8) {
        data.resize(at + 8);
    }
    for (int i = 0; i < 4; ++i) {
        data[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(modulation >> (8 * i));
        data[at + 4 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(colour >> (8 * i));
    }
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace PvrWriter
