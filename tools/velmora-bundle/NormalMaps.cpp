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
// period 1 on both: every frequency below is a whole number of cycles.
using HeightFunction = float (*)(float u, float v);

// Fine fibre noise shared by the textile maps.
float fibres(float u, float v, int across, int along, uint64_t seed) {
    return periodicNoise(u, v, across, along, seed) - 0.5f;
}

// Plain weave: sixteen threads each way, over one and under the next.
float wovenCarpet(float u, float v) {
    constexpr int threads = 16;
    const float x = u * threads;
    const float y = v * threads;
    const int i = static_cast<int>(x);
    const int j = static_cast<int>(y);
    const float a = x - static_cast<float>(i);
    const float b = y - static_cast<float>(j);
    const bool weftOnTop = (i + j) % 2 == 0;
    const float across = weftOnTop ? std::sin(kPi * b) : std::sin(kPi * a);
    const float along = weftOnTop ? std::sin(kPi * a) : std::sin(kPi * b);
    return std::sqrt(across) * (0.7f + 0.3f * along) + 0.15f * fibres(u, v, 128, 128, 11);
}

// Cut pile: staggered rows of round tufts with a fuzzy top.
float pileCarpet(float u, float v) {
    constexpr int rows = 24;
    const float y = v * rows;
    const int j = static_cast<int>(y);
    const float shift = (j % 2 == 0) ? 0.0f : 0.5f;
    const float x = u * rows + shift;
    const float a = x - std::floor(x) - 0.5f;
    const float b = y - static_cast<float>(j) - 0.5f;
    const float r = std::sqrt(a * a + b * b) * 2.0f;
    const float tuft = r < 1.0f ? std::cos(0.5f * kPi * r) : 0.0f;
    return tuft + 0.35f * fibres(u, v, 64, 64, 23) + 0.2f * fibres(u, v, 256, 256, 29);
}

// Brushed metal: long, fine streaks along u.
float brushedMetal(float u, float v) {
    return periodicNoise(u, v, 4, 128, 31) + 0.5f * periodicNoise(u, v, 8, 256, 37) +
           0.2f * periodicNoise(u, v, 32, 64, 41);
}

// Twisted string: plies winding diagonally, with fibres along them.
float twistedString(float u, float v) {
    const float phase = 6.0f * u + 6.0f * v;
    const float ply = std::sqrt(std::fabs(std::sin(kPi * phase)));
    const float along = periodicNoise(u, v, 16, 128, 43) - 0.5f;
    return ply + 0.25f * along;
}

// Scales: staggered rows of domes, each overlapping the row below.
float snakeScales(float u, float v) {
    constexpr int rows = 10;
    constexpr int columns = 8;
    float best = 0.0f;
    // The dome of the nearest scale wins; neighbours are taken on the torus.
    const int j0 = static_cast<int>(v * rows);
    for (int dj = -1; dj <= 1; ++dj) {
        const int j = j0 + dj;
        const float shift = ((j % 2) + 2) % 2 == 0 ? 0.0f : 0.5f;
        const float cy = (static_cast<float>(j) + 0.5f) / rows;
        const int i0 = static_cast<int>(u * columns - shift);
        for (int di = -1; di <= 1; ++di) {
            const float cx = (static_cast<float>(i0 + di) + 0.5f + shift) / columns;
            const float a = (u - cx) * columns / 0.62f;
            const float b = (v - cy) * rows / 0.8f;
            const float r2 = a * a + b * b;
            if (r2 < 1.0f) {
                // Raised towards the lower edge, where a scale lies on the next.
                const float dome = (1.0f - r2) * (0.7f - 0.3f * b);
                best = std::max(best, dome);
            }
        }
    }
    return best + 0.05f * fibres(u, v, 64, 64, 47);
}

// Clean wallpaper: a soft embossed lattice of diamonds and rounds.
float cleanWallpaper(float u, float v) {
    const float a = 2.0f * kPi * 4.0f * u;
    const float b = 2.0f * kPi * 4.0f * v;
    const float diamonds = std::fabs(std::sin(0.5f * (a + b))) + std::fabs(std::sin(0.5f * (a - b)));
    const float rounds = std::cos(2.0f * a) * std::cos(2.0f * b);
    return 0.6f * diamonds + 0.25f * rounds;
}

// Plastic shutter: twelve slats, each a low arch with a groove below it.
float plasticShutter(float u, float v) {
    constexpr int slats = 12;
    const float y = v * slats;
    const float b = y - std::floor(y);
    const float arch = b < 0.9f ? std::sin(kPi * b / 0.9f) * 0.8f + 0.2f * b : 0.0f;
    return arch + 0.04f * fibres(u, v, 32, 8, 53);
}

// Spots: round bumps of several sizes scattered over the torus.
float spots(float u, float v) {
    constexpr int count = 36;
    Dice dice(59);
    float sum = 0.0f;
    for (int k = 0; k < count; ++k) {
        const float cx = dice.unit();
        const float cy = dice.unit();
        const float radius = 0.03f + 0.05f * dice.unit();
        // The nearest copy of the spot on the torus.
        float du = std::fabs(u - cx);
        float dv = std::fabs(v - cy);
        du = std::min(du, 1.0f - du);
        dv = std::min(dv, 1.0f - dv);
        const float r = std::sqrt(du * du + dv * dv) / radius;
        if (r < 1.0f) {
            sum = std::max(sum, 0.5f + 0.5f * std::cos(kPi * r));
        }
    }
    return sum + 0.05f * fibres(u, v, 64, 64, 61);
}

struct NormalMapRow {
    const char* name;
    HeightFunction height;
    float tilt; // the lean of 98 texels in 100, as a tangent
};

// clang-format off
constexpr NormalMapRow kNormalMaps[] = {
    {"carpet01_normal",                wovenCarpet,    0.45f}, // 0
    {"carpet03_normal",                pileCarpet,     0.40f}, // 1
    {"metal15_normal",                 brushedMetal,   0.20f}, // 2
    {"rough_string_normal",            twistedString,  0.45f}, // 3
    {"Golden_snakeskin_pxr128_normal", snakeScales,    0.45f}, // 4
    {"Wallpapercleannormal",           cleanWallpaper, 0.25f}, // 5
    {"plasticshutter_normal",          plasticShutter, 0.40f}, // 6
    {"Spots_pxr128_normal",            spots,          0.40f}, // 7
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
