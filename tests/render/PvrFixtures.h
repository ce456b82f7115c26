#pragma once

#include "PvrWriter.h"

#include <cstdint>
#include <vector>

// Small valid PVR files for the reader's tests, written with the asset
// writer.
namespace PvrFixtures {

inline constexpr uint64_t kRGBA8888 = PvrWriter::pixelFormat('r', 'g', 'b', 'a', 8, 8, 8, 8);
inline constexpr uint64_t kRGB565 = PvrWriter::pixelFormat('r', 'g', 'b', 0, 5, 6, 5, 0);

inline PvrWriter::V3Description v3(uint64_t format, uint32_t channelType, uint32_t width, uint32_t height,
                                   uint32_t levels = 1, uint32_t faces = 1) {
    PvrWriter::V3Description d;
    d.pixelFormat = format;
    d.channelType = channelType;
    d.width = width;
    d.height = height;
    d.mipLevels = levels;
    d.faces = faces;
    return d;
}

// `count` bytes counting up from `first`: every texel different, so a
// misplaced image or row shows.
inline std::vector<uint8_t> ramp(std::size_t count, uint8_t first = 1) {
    std::vector<uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(first + 7 * i);
    }
    return bytes;
}

// RGBA8888 images of a mip chain (or one level per face when `faces` > 1),
// each image one solid colour taken from `colours` in storage order.
inline std::vector<uint8_t> solidImages(uint32_t width, uint32_t height, uint32_t levels, uint32_t faces,
                                        const std::vector<uint32_t>& colours) {
    std::vector<uint8_t> data;
    std::size_t image = 0;
    for (uint32_t level = 0; level < levels; ++level) {
        for (uint32_t face = 0; face < faces; ++face, ++image) {
            const uint32_t w = width >> level > 0 ? width >> level : 1;
            const uint32_t h = height >> level > 0 ? height >> level : 1;
            for (uint32_t i = 0; i < w * h; ++i) {
                for (int c = 0; c < 4; ++c) {
                    data.push_back(static_cast<uint8_t>(colours[image] >> (24 - 8 * c)));
                }
            }
        }
    }
    return data;
}

} // namespace PvrFixtures
