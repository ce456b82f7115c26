#pragma once

#include <cstdint>
#include <vector>

// Height fields and the two encodings the game reads from them: the cord's
// tangent-space normal maps (RGB = the unit normal x 0.5 + 0.5) and the tile
// reliefs (the same RGB, alpha = how strongly the tile shader bends its
// front by it). Rows are stored bottom row first, as GL takes them, and y
// runs up, so the green channel leans towards the top of the picture.
namespace VelmoraBundle {

struct HeightField {
    int width = 0;
    int height = 0;
    std::vector<float> h; // row-major, row 0 at the bottom

    HeightField(int width, int height) : width(width), height(height), h(std::size_t(width) * height, 0.0f) {}
    float& at(int x, int y) { return h[std::size_t(y) * width + x]; }
    float at(int x, int y) const { return h[std::size_t(y) * width + x]; }
    // Wraps both coordinates: the field is a torus.
    float wrapped(int x, int y) const;
};

// A small deterministic random source (splitmix64): the same seed gives the
// same numbers on every machine, which the standard distributions do not.
class Dice {
public:
    explicit Dice(uint64_t seed) : state(seed) {}
    uint64_t next();
    float unit(); // [0, 1)

private:
    uint64_t state;
};

// Smooth value noise over the unit torus with `period` lattice cells across
// and `periodY` down; the lattice wraps, so the noise tiles. Values in [0, 1].
float periodicNoise(float u, float v, int period, int periodY, uint64_t seed);

// The tileable normal map of `field` (central differences that wrap). The
// slope is scaled so that 98 in 100 texels lean by at most `tilt` (the
// tangent of the angle): mild maps keep the shading readable.
std::vector<uint8_t> encodeNormalMap(const HeightField& field, float tilt);

// The relief of `field` (differences clamped at the edges), alpha 255
// except a band `margin` texels wide along every edge, which is flat and has
// alpha 0: the tile's frame samples a corner texel and must not be bent.
// `slope` multiplies the height differences.
std::vector<uint8_t> encodeRelief(const HeightField& field, float slope, int margin);

// For every texel of `mask` at or above one half, its distance in texels to
// the nearest texel below one half; 0 for those below. Exact Euclidean
// distances (two passes of the lower envelope of parabolas), so a bevel laid
// on them is as wide on a diagonal edge as on a straight one.
HeightField insideDistance(const HeightField& mask);

// Repeated 3x3 box blurs (clamped at the edges): a cheap Gaussian that turns
// a drawn mask into a rounded height field.
void blur(HeightField& field, int passes);

} // namespace VelmoraBundle
