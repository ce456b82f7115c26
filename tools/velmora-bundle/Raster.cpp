#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace VelmoraBundle {

float HeightField::wrapped(int x, int y) const {
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return at(x, y);
}

uint64_t Dice::next() {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

float Dice::unit() {
    return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f);
}

namespace {

float latticeValue(int i, int j, uint64_t seed) {
    Dice dice(seed ^ (uint64_t(uint32_t(i)) << 32) ^ uint64_t(uint32_t(j)) * 0x2545f4914f6cdd1dull);
    return dice.unit();
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

uint8_t toByte(float unitValue) {
    return static_cast<uint8_t>(std::lround(std::clamp(unitValue, 0.0f, 1.0f) * 255.0f));
}

} // namespace

float periodicNoise(float u, float v, int period, int periodY, uint64_t seed) {
    const float x = u * static_cast<float>(period);
    const float y = v * static_cast<float>(periodY);
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int i0 = ((static_cast<int>(fx) % period) + period) % period;
    const int j0 = ((static_cast<int>(fy) % periodY) + periodY) % periodY;
    const int i1 = (i0 + 1) % period;
    const int j1 = (j0 + 1) % periodY;
    const float tx = smooth(x - fx);
    const float ty = smooth(y - fy);
    const float a =
        latticeValue(i0, j0, seed) + (latticeValue(i1, j0, seed) - latticeValue(i0, j0, seed)) * tx;
    const float b =
        latticeValue(i0, j1, seed) + (latticeValue(i1, j1, seed) - latticeValue(i0, j1, seed)) * tx;
    return a + (b - a) * ty;
}

std::vector<uint8_t> encodeNormalMap(const HeightField& field, float tilt) {
    const int w = field.width;
    const int h = field.height;
    std::vector<float> dx(field.h.size());
    std::vector<float> dy(field.h.size());
    std::vector<float> slopes(field.h.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * w + x;
            dx[i] = 0.5f * (field.wrapped(x + 1, y) - field.wrapped(x - 1, y));
            dy[i] = 0.5f * (field.wrapped(x, y + 1) - field.wrapped(x, y - 1));
            slopes[i] = std::sqrt(dx[i] * dx[i] + dy[i] * dy[i]);
        }
    }
    std::vector<float> sorted = slopes;
    const std::size_t rank = sorted.size() * 98 / 100;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank), sorted.end());
    const float scale = sorted[rank] > 0.0f ? tilt / sorted[rank] : 0.0f;

    std::vector<uint8_t> rgba(field.h.size() * 4);
    for (std::size_t i = 0; i < field.h.size(); ++i) {
        const float nx = -dx[i] * scale;
        const float ny = -dy[i] * scale;
        const float length = std::sqrt(nx * nx + ny * ny + 1.0f);
        rgba[i * 4 + 0] = toByte(0.5f + 0.5f * nx / length);
        rgba[i * 4 + 1] = toByte(0.5f + 0.5f * ny / length);
        rgba[i * 4 + 2] = toByte(0.5f + 0.5f / length);
        rgba[i * 4 + 3] = 255;
    }
    return rgba;
}

std::vector<uint8_t> encodeRelief(const HeightField& field, float slope, int margin) {
    const int w = field.width;
    const int h = field.height;
    std::vector<uint8_t> rgba(field.h.size() * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = std::size_t(y) * w + x;
            uint8_t* texel = &rgba[i * 4];
            const bool edge = x < margin || y < margin || x >= w - margin || y >= h - margin;
            if (edge) {
                texel[0] = 128;
                texel[1] = 128;
                texel[2] = 255;
                texel[3] = 0;
                continue;
            }
            const float nx =
                -slope * 0.5f * (field.at(std::min(x + 1, w - 1), y) - field.at(std::max(x - 1, 0), y));
            const float ny =
                -slope * 0.5f * (field.at(x, std::min(y + 1, h - 1)) - field.at(x, std::max(y - 1, 0)));
            const float length = std::sqrt(nx * nx + ny * ny + 1.0f);
            texel[0] = toByte(0.5f + 0.5f * nx / length);
            texel[1] = toByte(0.5f + 0.5f * ny / length);
            texel[2] = toByte(0.5f + 0.5f / length);
            texel[3] = 255;
        }
    }
    return rgba;
}

namespace {

// The squared distance transform of one line: out[q] = min over p of
// (q - p)^2 + f[p], by the lower envelope of the parabolas rooted at each p.
void squaredDistanceLine(const std::vector<float>& f, std::vector<float>& out) {
    const int n = static_cast<int>(f.size());
    std::vector<int> root(std::size_t(n), 0);
    std::vector<float> from(std::size_t(n) + 1, 0.0f);
    constexpr float kFar = 1.0e20f;
    const auto meet = [&](int q, int p) {
        return ((f[std::size_t(q)] + float(q) * float(q)) - (f[std::size_t(p)] + float(p) * float(p))) /
               (2.0f * float(q - p));
    };
    int k = 0;
    from[0] = -kFar;
    from[1] = kFar;
    for (int q = 1; q < n; ++q) {
        float s = meet(q, root[std::size_t(k)]);
        while (s <= from[std::size_t(k)]) {
            --k;
            s = meet(q, root[std::size_t(k)]);
        }
        ++k;
        root[std::size_t(k)] = q;
        from[std::size_t(k)] = s;
        from[std::size_t(k) + 1] = kFar;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (from[std::size_t(k) + 1] < float(q)) {
            ++k;
        }
        const int p = root[std::size_t(k)];
        out[std::size_t(q)] = float(q - p) * float(q - p) + f[std::size_t(p)];
    }
}

} // namespace

HeightField insideDistance(const HeightField& mask) {
    const int w = mask.width;
    const int h = mask.height;
    // Far enough that no line of the picture holds a nearer root.
    const float far = float(w + h) * float(w + h);
    HeightField squared(w, h);
    std::vector<float> line(std::size_t(std::max(w, h)));
    std::vector<float> out(line.size());
    for (int y = 0; y < h; ++y) {
        line.resize(std::size_t(w));
        out.resize(std::size_t(w));
        for (int x = 0; x < w; ++x) {
            line[std::size_t(x)] = mask.at(x, y) >= 0.5f ? far : 0.0f;
        }
        squaredDistanceLine(line, out);
        for (int x = 0; x < w; ++x) {
            squared.at(x, y) = out[std::size_t(x)];
        }
    }
    line.resize(std::size_t(h));
    out.resize(std::size_t(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            line[std::size_t(y)] = squared.at(x, y);
        }
        squaredDistanceLine(line, out);
        for (int y = 0; y < h; ++y) {
            squared.at(x, y) = std::sqrt(out[std::size_t(y)]);
        }
    }
    return squared;
}

void blur(HeightField& field, int passes) {
    const int w = field.width;
    const int h = field.height;
    std::vector<float> tmp(field.h.size());
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                tmp[std::size_t(y) * w + x] =
                    (field.at(std::max(x - 1, 0), y) + field.at(x, y) + field.at(std::min(x + 1, w - 1), y)) /
                    3.0f;
            }
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                field.at(x, y) = (tmp[std::size_t(std::max(y - 1, 0)) * w + x] + tmp[std::size_t(y) * w + x] +
                                  tmp[std::size_t(std::min(y + 1, h - 1)) * w + x]) /
                                 3.0f;
            }
        }
    }
}

} // namespace VelmoraBundle
