#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The eight cord normal maps, in the order the levels index them. Each is a
// square RGBA8 picture, rows bottom first, that tiles on both axes: every
// height field behind them is periodic over the picture.
namespace VelmoraBundle {

constexpr int kNormalMapEdge = 256;
constexpr int kNormalMapCount = 8;

// The texture name of map `index` (0 to 7).
const char* normalMapName(int index);

// Map `index`: kNormalMapEdge x kNormalMapEdge RGBA8 texels.
std::vector<uint8_t> makeNormalMap(int index);

} // namespace VelmoraBundle
