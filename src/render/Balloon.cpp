#include "render/Balloon.h"

#include <cmath>

namespace ZQ {

namespace {

PVRTVec3 surface(float u, float w) {
    const float r = 0.5f * (1.0f - std::cos(u)) * std::sin(u);
    return {r * std::cos(w), r * std::sin(w), std::cos(u)};
}

Balloon::Vertex vertexAt(float u, float w) {
    Balloon::Vertex v{};
    v.position = surface(u, w);
    // Finite differences of a tenth of a radian, pointing outward.
    const PVRTVec3 du = surface(u + 0.1f, w) - v.position;
    const PVRTVec3 dw = surface(u, w + 0.1f) - v.position;
    const PVRTVec3 n = du.cross(dw);
    // At the tip the ring has radius 0, so dw and the cross product vanish:
    // the tip looks along the axis.
    v.normal = n.length() > 0.0f ? n.normalized() : PVRTVec3(0.0f, 0.0f, 1.0f);
    v.colour = PVRTVec3(1.0f, 1.0f, 1.0f);
    const float t = static_cast<float>(2.5 * (1.0 - static_cast<double>(u) / 3.141592653589793));
    v.texCoord[0] = 0.5f - t * std::cos(w);
    v.texCoord[1] = 0.5f + t * std::sin(w);
    return v;
}

float bandAngle(int32_t i) {
    return static_cast<float>(static_cast<double>(i) * 0.12566370614359174);
}

float sectorAngle(int32_t j) {
    return static_cast<float>(j) * 0.25132743f;
}

} // namespace

std::vector<Balloon::Vertex> Balloon::buildVertices() {
    std::vector<Vertex> vertices;
    vertices.reserve(kVertexCount);
    for (int32_t i = 0; i < kBands; ++i) {
        for (int32_t j = 1; j <= kSectors; ++j) {
            vertices.push_back(vertexAt(bandAngle(i), sectorAngle(j - 1)));
            vertices.push_back(vertexAt(bandAngle(i + 1), sectorAngle(j - 1)));
            vertices.push_back(vertexAt(bandAngle(i + 1), sectorAngle(j)));
            vertices.push_back(vertexAt(bandAngle(i), sectorAngle(j)));
        }
    }
    // The bottom band is nearly flat: it faces straight down.
    for (int32_t k = kVertexCount - 4 * kSectors; k < kVertexCount; ++k) {
        vertices[static_cast<std::size_t>(k)].normal = PVRTVec3(0.0f, 0.0f, -1.0f);
    }
    return vertices;
}

std::vector<uint16_t> Balloon::buildIndices() {
    std::vector<uint16_t> indices;
    indices.reserve(kIndexCount);
    for (int32_t quad = 0; quad < kBands * kSectors; ++quad) {
        const auto k = static_cast<uint16_t>(4 * quad);
        for (int32_t offset : {0, 1, 2, 0, 2, 3}) {
            indices.push_back(static_cast<uint16_t>(k + offset));
        }
    }
    return indices;
}

void Balloon::setUp() {
    const std::vector<Vertex> vertices = buildVertices();
    const std::vector<uint16_t> indices = buildIndices();
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenBuffers(1, &ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    indexCount = static_cast<uint16_t>(indices.size());
}

void Balloon::tearDown() {
    glDeleteBuffers(1, &vbo);
    glDeleteBuffers(1, &ibo);
    vbo = 0;
    ibo = 0;
}

} // namespace ZQ
