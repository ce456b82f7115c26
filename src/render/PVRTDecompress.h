#pragma once

#include <cstdint>

namespace ZQ {

// Decodes one PVRTC (first version) image into RGBA8888 for a GL without the
// compressed formats. Pure function over memory: no GL, no state.
//
// `compressed` holds the image's 64-bit blocks in twiddled order, for the
// image padded to at least 8 x 8 pixels (4-bit mode) or 16 x 8 (2-bit mode):
// max(width, minimum) / blockWidth x max(height, 8) / 4 blocks. Width and
// height must be powers of two (a programming error otherwise: the reader
// refuses such files). `rgba` receives width x height pixels, four bytes
// each (red, green, blue, alpha), rows in the order of the data.
void PVRTDecompressPVRTC(const void* compressed, bool twoBitMode, uint32_t width, uint32_t height,
                         uint8_t* rgba);

// Index of block (x, y) among the blocks of a gridWidth x gridHeight grid
// (both powers of two): y's bit k goes to bit 2k and x's to bit 2k + 1 for
// the bits both coordinates have; the longer side's remaining bits go above.
uint32_t pvrtcTwiddle(uint32_t gridWidth, uint32_t gridHeight, uint32_t x, uint32_t y);

} // namespace ZQ
