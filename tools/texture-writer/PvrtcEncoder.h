#pragma once

#include <cstdint>
#include <vector>

// A plain PVRTC (first version) encoder for generated assets: each block's
// two colours are the darkest and brightest pixels of the block, and each
// pixel takes the modulation weight whose blend of the decoder's
// interpolated colours lies nearest. Quick, not optimal; good enough for
// normal maps and flat art.
namespace PvrtcEncoder {

// `rgba`: width x height pixels, rows in the texture's order; both sides
// powers of two, at least 8 (4-bit) or 16 x 8 (2-bit). Returns the blocks in
// file order (Morton), ready for PvrWriter::writeV3. Opaque pictures give
// opaque colours; any alpha below 255 makes the block translucent.
std::vector<uint8_t> encode(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height, bool twoBit);

} // namespace PvrtcEncoder
