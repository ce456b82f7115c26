#include "NormalMaps.h"

#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace VelmoraBundle {

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kEdge = kNormalMapEdge;

// Each height function takes (u, v) in [0, 1) and must be periodic with
// period 1 on both. The cord wraps u from 0 to 0.5 (or to 1 on the large
// screens) round its tube and runs v once every 17.5 particles along it, and
// samples the map with the nearest texel: so every pattern repeats twice
// across (else a seam runs along the tube where u = 0.5 meets u = 0), and
// nothing in it is finer than about four texels (else the nearest-texel
// sampling turns it into glitter and, where it is regular, into moire
// bands). Nothing in it is coarser than a few dozen texels either: a broad
// swell repeats every 17.5 particles along the cord, where the eye picks it
// out as a row of light dashes.
using HeightFunction = float (*)(float u, float v);

// Smooth noise in [-0.5, 0.5] with `around` cells round the tube (half the
// map's width) and `along` cells down the map.
float grain(float u, float v, int around, int along, uint64_t seed) {
    const float twice = 2.0f * u;
    return periodicNoise(twice - std::floor(twice), v, around, along, seed) - 0.5f;
}

// Fine grain of a few sizes, even over the whole map: cells of about five
// and eight texels, each from two seeds offset by half a cell so that the
// noise's lattice does not show.
float evenGrain(float u, float v, uint64_t seed) {
    return grain(u, v, 24, 48, seed) + grain(u + 0.5f / 48.0f, v + 0.5f / 48.0f, 24, 48, seed + 1) +
           0.7f * grain(u, v, 16, 32, seed + 2) +
           0.7f * grain(u + 0.5f / 32.0f, v + 0.5f / 32.0f, 16, 32, seed + 3);
}

// Woven carpet: short fibres crossing each way, the weave broken up so it
// has no rows.
float wovenCarpet(float u, float v) {
    const float weft = grain(u, v, 14, 64, 11) + grain(u + 0.5f / 28.0f, v + 0.5f / 64.0f, 14, 64, 12);
    const float warp = grain(u, v, 32, 24, 13) + grain(u + 0.5f / 64.0f, v + 0.5f / 24.0f, 32, 24, 14);
    return 0.6f * (std::fabs(weft) + std::fabs(warp)) + 0.5f * evenGrain(u, v, 15);
}

// Cut pile: round tufts of uneven height packed close, a fuzz over them.
float pileCarpet(float u, float v) {
    const float tufts = grain(u, v, 22, 44, 23) + grain(u + 0.5f / 44.0f, v + 0.5f / 44.0f, 22, 44, 24);
    return tufts * std::fabs(tufts) + 0.35f * evenGrain(u, v, 25);
}

// Brushed metal: fine, long streaks along the cord.
float brushedMetal(float u, float v) {
    return grain(u, v, 32, 4, 31) + 0.7f * grain(u, v, 20, 6, 33) + 0.4f * grain(u, v, 28, 12, 35);
}

// Twisted string: three plies winding round the tube, fibres along them.
float twistedString(float u, float v) {
    const float around = 2.0f * u - std::floor(2.0f * u);
    const float phase = 3.0f * around + 24.0f * v;
    const float ply = std::sin(kPi * (phase - std::floor(phase)));
    return 0.8f * ply * ply + 0.5f * evenGrain(u, v, 43);
}

// Scales: small overlapping domes in staggered rows, each raised a little
// differently so the rows do not read as stripes.
float snakeScales(float u, float v) {
    constexpr int rows = 28;
    constexpr int columns = 9; // round the tube, so 18 across the map
    const float across = 2.0f * u - std::floor(2.0f * u);
    float best = 0.0f;
    // The dome of the nearest scale wins; neighbours are taken on the torus.
    const int j0 = static_cast<int>(v * rows);
    for (int dj = -1; dj <= 1; ++dj) {
        const int j = j0 + dj;
        const float shift = ((j % 2) + 2) % 2 == 0 ? 0.0f : 0.5f;
        const float cy = (static_cast<float>(j) + 0.5f) / rows;
        const int i0 = static_cast<int>(std::floor(across * columns - shift));
        for (int di = -1; di <= 1; ++di) {
            const int i = i0 + di;
            const float cx = (static_cast<float>(i) + 0.5f + shift) / columns;
            const float a = (across - cx) * columns / 0.62f;
            const float b = (v - cy) * rows / 0.8f;
            const float r2 = a * a + b * b;
            if (r2 < 1.0f) {
                Dice dice(uint64_t((i % columns + columns) % columns) * 131u +
                          uint64_t((j % rows + rows) % rows));
                // Raised towards the lower edge, where a scale lies on the next.
                const float dome = (1.0f - r2) * (0.7f - 0.3f * b) * (0.7f + 0.3f * dice.unit());
                best = std::max(best, dome);
            }
        }
    }
    return best + 0.15f * evenGrain(u, v, 47);
}

// Clean wallpaper: a satin finish, the finest and mildest of the grains.
float cleanWallpaper(float u, float v) {
    return evenGrain(u, v, 51);
}

// Plastic shutter: ribs along the tube, each a low arch, ten round it,
// their line wavering a little.
float plasticShutter(float u, float v) {
    constexpr int ribs = 10;
    const float across = 2.0f * u - std::floor(2.0f * u);
    const float x = across * ribs + 0.3f * grain(u, v, 3, 6, 53);
    const float b = x - std::floor(x);
    return std::sin(kPi * b) + 0.3f * evenGrain(u, v, 55);
}

// Spots: small round bumps of a few sizes scattered over the tube.
float spots(float u, float v) {
    constexpr int count = 90;
    const float across = 2.0f * u - std::floor(2.0f * u);
    Dice dice(59);
    float sum = 0.0f;
    for (int k = 0; k < count; ++k) {
        const float cx = dice.unit();
        const float cy = dice.unit();
        const float radius = 0.025f + 0.02f * dice.unit();
        // The nearest copy of the spot on the torus; across runs over the
        // tube once, so a spot is twice as wide there as down the map.
        float du = std::fabs(across - cx);
        float dv = std::fabs(v - cy);
        du = std::min(du, 1.0f - du) * 0.5f;
        dv = std::min(dv, 1.0f - dv);
        const float r = std::sqrt(du * du + dv * dv) / radius;
        if (r < 1.0f) {
            sum = std::max(sum, 0.5f + 0.5f * std::cos(kPi * r));
        }
    }
    return sum + 0.15f * evenGrain(u, v, 61);
}

struct NormalMapRow {
    const char* name;
    HeightFunction height;
    float tilt; // the lean of 98 texels in 100, as a tangent
};

// clang-format off
constexpr NormalMapRow kNormalMaps[] = {
    {"carpet01_normal",                wovenCarpet,    0.30f}, // 0
    {"carpet03_normal",                pileCarpet,     0.35f}, // 1
    {"metal15_normal",                 brushedMetal,   0.25f}, // 2
    {"rough_string_normal",            twistedString,  0.40f}, // 3
    {"Golden_snakeskin_pxr128_normal", snakeScales,    0.40f}, // 4
    {"Wallpapercleannormal",           cleanWallpaper, 0.20f}, // 5
    {"plasticshutter_normal",          plasticShutter, 0.35f}, // 6
    {"Spots_pxr128_normal",            spots,          0.35f}, // 7
};
// clang-format on
static_assert(std::size(kNormalMaps) == kNormalMapCount);

} // namespace

const char* normalMapName(int index) {
    return kNormalMaps[index].name;
}

std::vector<uint8_t> makeNormalMap(int index) {
    const NormalMapRow& row = kNormalMaps[index];
    HeightField field(kEdge, kEdge);
    for (int y = 0; y < kEdge; ++y) {
        for (int x = 0; x < kEdge; ++x) {
            field.at(x, y) = row.height(static_cast<float>(x) / kEdge, static_cast<float>(y) / kEdge);
        }
    }
    return encodeNormalMap(field, row.tilt);
}

} // namespace VelmoraBundle
