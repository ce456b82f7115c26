#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes RGBA8 pictures as PNG files: test pictures for the PNG loader, and
// decoded or rendered textures written out to be looked at.
namespace PngWriter {

// `rgba` holds width x height pixels, rows from the top of the picture unless
// `bottomUp` (GL's read-back order). False when the file cannot be written.
bool writePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba,
              bool bottomUp = false);

} // namespace PngWriter
