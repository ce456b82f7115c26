#pragma once

#include "engine/PVRTMatrix.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class ShadowCasterGrid;

// One room's screen cut into kTile-pixel squares, each told whether the
// room's shadow filter can meet a caster there. Where it cannot, every one
// of the nine samples reads the map's white clear, the factor is exactly 1,
// and the unshadowed program draws the very same pixels without sampling.
// The squares are merged into few scissor rectangles, so that each program
// draws only its own part of the screen (a software rasteriser skips whole
// tiles outside the scissor, where a branch in the shader would not skip).
//
// Proof, per square and face: the face clipped to the square (one pixel
// wider all round), displaced by the relief's full reach along the box's
// depth axis, is a convex body in front of the light; its shadow coordinates
// span the bounds of its corners'. Widened by the filter's reach and a texel
// of rounding, those bounds must miss every caster cell, and the body's
// farthest depth plus the largest bias must stay before the white clear.
//
// Ownership: plain value. Main thread only.
class RoomShadowTiles {
public:
    static constexpr int32_t kTile = 64;

    struct Rect {
        int32_t x = 0; // window pixels, origin bottom left, as glScissor takes them
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
        bool filtered = false; // the shadow filter may meet a caster here
        uint32_t faces = 0;    // bit f: face f covers part of the rectangle
    };

    // `clipFromBox` takes the unit box to clip space, `shadowFromBox` to the
    // shadow coordinate the fragment shader computes (before its divide);
    // the screen is `width` x `height` pixels; `reach` is the filter's
    // farthest sample from its centre, in map texels, per axis.
    void classify(const PVRTMat4& clipFromBox, const PVRTMat4& shadowFromBox, int32_t width, int32_t height,
                  const PVRTVec2& reach, const ShadowCasterGrid& casters);

    int32_t tileSize = kTile; // square side in pixels
    std::vector<Rect> rects;
    int32_t litTiles = 0;      // squares drawn without the filter
    int32_t filteredTiles = 0; // squares drawn with it

private:
    enum class Tile : uint8_t { empty, lit, filtered };

    bool faceLit(int32_t face, const PVRTMat4& clipFromBox, const PVRTMat4& shadowFromBox, const float ndc[4],
                 const PVRTVec2& reach, const ShadowCasterGrid& casters, bool& covers) const;
    void merge(int32_t columns, int32_t rows, int32_t width, int32_t height);

    std::vector<Tile> tiles;
    std::vector<uint32_t> tileFaces;
};

} // namespace ZQ
