#pragma once

#include "MemorySource.h"
#include "PodWriter.h"
#include "render/PVRTModelPOD.h"
#include "render/PVRTResourceFile.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

// POD files for the reader, box and pass tests, written with the asset
// writer, and a byte source over them.
namespace PodFixtures {

inline bool read(const std::vector<uint8_t>& bytes, SPODScene& scene) {
    MemorySource source(bytes);
    return readPOD(source, scene);
}

// A torus around the z axis: tube radius r around a ring of radius R, `rings`
// x `sides` quads, smooth normals.
inline PodWriter::Mesh torus(float R, float r, uint16_t rings, uint16_t sides) {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<uint16_t> indices;
    const float turn = 6.2831853f;
    for (uint16_t i = 0; i <= rings; ++i) {
        const float u = turn * static_cast<float>(i) / static_cast<float>(rings);
        for (uint16_t j = 0; j <= sides; ++j) {
            const float v = turn * static_cast<float>(j) / static_cast<float>(sides);
            const float nx = std::cos(v) * std::cos(u);
            const float ny = std::cos(v) * std::sin(u);
            const float nz = std::sin(v);
            positions.insert(positions.end(), {R * std::cos(u) + r * nx, R * std::sin(u) + r * ny, r * nz});
            normals.insert(normals.end(), {nx, ny, nz});
        }
    }
    const uint16_t row = static_cast<uint16_t>(sides + 1);
    for (uint16_t i = 0; i < rings; ++i) {
        for (uint16_t j = 0; j < sides; ++j) {
            const uint16_t a = static_cast<uint16_t>(i * row + j);
            const uint16_t b = static_cast<uint16_t>(a + row);
            indices.insert(indices.end(), {a, b, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(a + 1),
                                           b, static_cast<uint16_t>(b + 1)});
        }
    }
    return PodWriter::interleavedMesh(positions, normals, indices);
}

// An axis-aligned box from `low` to `high`: 8 corners, 12 triangles.
inline PodWriter::Mesh box(const float low[3], const float high[3]) {
    std::vector<float> positions;
    std::vector<float> normals;
    for (int k = 0; k < 8; ++k) {
        positions.insert(positions.end(), {(k & 4) ? high[0] : low[0], (k & 2) ? high[1] : low[1],
                                           (k & 1) ? high[2] : low[2]});
        normals.insert(normals.end(),
                       {(k & 4) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f, (k & 1) ? 1.0f : -1.0f});
    }
    const std::vector<uint16_t> indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                           2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    return PodWriter::interleavedMesh(positions, normals, indices);
}

} // namespace PodFixtures
