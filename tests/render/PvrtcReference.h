#pragma once

#include <cstdint>
#include <vector>

// A second PVRTC decoder for the tests, written from the format's
// definition one pixel at a time (no 2 x 2 block walk, no incremental
// sums): each pixel blends the four nearest block colours with closed-form
// weights and takes its modulation from its own block, reaching across
// block edges (wrapping round the image) for the 2-bit fills. Blocks are
// placed with the asset writer's Morton order, not the decoder's.
namespace PvrtcReference {

// width x height RGBA pixels of the padded image the blocks describe.
std::vector<uint8_t> decode(const std::vector<uint8_t>& blocks, bool twoBit, uint32_t width, uint32_t height);

} // namespace PvrtcReference
