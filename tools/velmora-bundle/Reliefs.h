#pragma once

#include <cstdint>
#include <vector>

// The fourteen button reliefs: each icon is drawn as a white shape, blurred
// into a rounded height field and encoded for the tile shader (see Raster.h),
// with a flat, zero-alpha border so the tile's frame, which samples the
// corner texel, stays flat.
namespace VelmoraBundle {

constexpr int kReliefEdge = 256;
constexpr int kReliefMargin = 8;
constexpr int kReliefCount = 14;

const char* reliefName(int index);

// Relief `index`: kReliefEdge x kReliefEdge RGBA8 texels, rows bottom first.
std::vector<uint8_t> makeRelief(int index);

// The icon's height field alone, rows bottom first, in [0, 1].
std::vector<float> reliefHeights(int index);

} // namespace VelmoraBundle
