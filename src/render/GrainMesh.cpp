#include "render/GrainMesh.h"

#include "cords/GrainEmitter.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <cstring>

namespace ZQ {

namespace {

struct Corner {
    float x, y, z;
};

struct ShapeVertex {
    Corner position;
    Corner normal;
};

// Hexagonal prism: circumradius 0.5, faces at z = +-0.25. Corners Hk of the
// hexagon; t on top, b at the bottom.
constexpr float kHx = 0.4330f;
constexpr Corner H0t{0.0f, 0.5f, 0.25f}, H0b{0.0f, 0.5f, -0.25f};
constexpr Corner H1t{kHx, 0.25f, 0.25f}, H1b{kHx, 0.25f, -0.25f};
constexpr Corner H2t{kHx, -0.25f, 0.25f}, H2b{kHx, -0.25f, -0.25f};
constexpr Corner H3t{0.0f, -0.5f, 0.25f}, H3b{0.0f, -0.5f, -0.25f};
constexpr Corner H4t{-kHx, -0.25f, 0.25f}, H4b{-kHx, -0.25f, -0.25f};
constexpr Corner H5t{-kHx, 0.25f, 0.25f}, H5b{-kHx, 0.25f, -0.25f};

// clang-format off
constexpr Corner kSide0 { 0.5f,  0.866f, 0.0f};
constexpr Corner kSide1 { 1.0f,  0.0f,   0.0f};
constexpr Corner kSide2 { 0.5f, -0.866f, 0.0f};
constexpr Corner kSide3 {-0.5f, -0.866f, 0.0f};
constexpr Corner kSide4 {-1.0f,  0.0f,   0.0f};
constexpr Corner kSide5 {-0.5f,  0.866f, 0.0f};
constexpr Corner kTop   { 0.0f,  0.0f,   1.0f};
constexpr Corner kBottom{ 0.0f,  0.0f,  -1.0f};

constexpr ShapeVertex kPrismVertices[] = {
    {H0b, kSide0}, {H0t, kSide0}, {H1t, kSide0}, {H1b, kSide0},                       //  0
    {H1b, kSide1}, {H1t, kSide1}, {H2t, kSide1}, {H2b, kSide1},                       //  4
    {H2b, kSide2}, {H2t, kSide2}, {H3t, kSide2}, {H3b, kSide2},                       //  8
    {H3b, kSide3}, {H3t, kSide3}, {H4t, kSide3}, {H4b, kSide3},                       // 12
    {H1t, kTop}, {H3t, kTop}, {H2t, kTop}, {H5t, kTop}, {H4t, kTop}, {H0t, kTop},     // 16
    {H0t, kSide5}, {H0b, kSide5}, {H5b, kSide5}, {H5t, kSide5},                       // 22
    {H4b, kSide4}, {H4t, kSide4}, {H5t, kSide4}, {H5b, kSide4},                       // 26
    {H0b, kBottom}, {H4b, kBottom}, {H5b, kBottom}, {H2b, kBottom}, {H3b, kBottom},
    {H1b, kBottom},                                                                    // 30
};
static_assert(std::size(kPrismVertices) == GrainMesh::kShapeVertices);

constexpr uint16_t kPrismIndices[] = {
     0,  1,  2,    0,  2,  3,    4,  5,  6,    4,  6,  7,   //  0 sides
     8,  9, 10,    8, 10, 11,   12, 13, 14,   12, 14, 15,   // 12
    16, 17, 18,   19, 20, 17,   16, 21, 19,   16, 19, 17,   // 24 top
    22, 23, 24,   22, 24, 25,   26, 27, 28,   26, 28, 29,   // 36 sides
    30, 31, 32,   33, 34, 31,   30, 35, 33,   30, 33, 31,   // 48 bottom
};
static_assert(std::size(kPrismIndices) == 60);

// Triangular ring: an outer triangle of circumradius 0.75 at z = 0, an inner
// one of circumradius 0.375 on a top and a bottom layer; nine flat quads.
constexpr Corner O0 { 0.75f,   0.0f,      0.0f};
constexpr Corner O1 {-0.375f,  0.649519f, 0.0f};
constexpr Corner O2 {-0.375f, -0.649519f, 0.0f};
constexpr Corner It0{ 0.375f,  0.0f,      0.216506f};
constexpr Corner It1{-0.1875f, 0.324760f, 0.216506f};
constexpr Corner It2{-0.1875f,-0.324760f, 0.216506f};
constexpr Corner Ib0{ 0.375f,  0.0f,     -0.216506f};
constexpr Corner Ib1{-0.1875f, 0.324760f,-0.216506f};
constexpr Corner Ib2{-0.1875f,-0.324760f,-0.216506f};

struct Quad {
    Corner a, b, c, d;
    Corner normal;
};

constexpr Quad kRingQuads[] = {
    {O0,  O1,  It1, It0, { 0.3780f,  0.6547f,  0.6547f}}, // 0
    {It0, It1, Ib1, Ib0, {-0.5f,    -0.8660f,  0.0f}},    // 1
    {O0,  Ib0, Ib1, O1,  { 0.3780f,  0.6547f, -0.6547f}}, // 2
    {O1,  O2,  It2, It1, {-0.7559f,  0.0f,     0.6547f}}, // 3
    {It1, It2, Ib2, Ib1, { 1.0f,     0.0f,     0.0f}},    // 4
    {Ib1, Ib2, O2,  O1,  {-0.7559f,  0.0f,    -0.6547f}}, // 5
    {O2,  O0,  It0, It2, { 0.3780f, -0.6547f,  0.6547f}}, // 6
    {It2, It0, Ib0, Ib2, {-0.5f,     0.8660f,  0.0f}},    // 7
    {O0,  O2,  Ib2, Ib0, { 0.3780f, -0.6547f, -0.6547f}}, // 8
};
// clang-format on
static_assert(std::size(kRingQuads) * 4 == GrainMesh::kShapeVertices);

constexpr int32_t kRingIndices = 6 * static_cast<int32_t>(std::size(kRingQuads));

GrainMesh::Vertex grainVertex(int32_t grain, const Corner& position, const Corner& normal) {
    return {static_cast<float>(grain), {position.x, position.y, position.z}, {normal.x, normal.y, normal.z}};
}

// One grain's copy of the shape: its indices first, offset by the vertices
// already in the mesh, then its vertices.
void appendGrain(GrainMesh& mesh, int32_t shape, int32_t grain) {
    GrainMesh::Vertex vertices[GrainMesh::kShapeVertices];
    uint16_t indices[60];
    int32_t indexCount = 0;
    const auto base = static_cast<uint16_t>(mesh.vCount);
    if (shape == 0) {
        for (uint16_t index : kPrismIndices) {
            indices[indexCount++] = static_cast<uint16_t>(base + index);
        }
        for (int32_t v = 0; v < GrainMesh::kShapeVertices; ++v) {
            vertices[v] = grainVertex(grain, kPrismVertices[v].position, kPrismVertices[v].normal);
        }
    } else {
        int32_t v = 0;
        for (const Quad& quad : kRingQuads) {
            const auto k = static_cast<uint16_t>(base + v);
            for (int32_t offset : {0, 1, 2, 0, 2, 3}) {
                indices[indexCount++] = static_cast<uint16_t>(k + offset);
            }
            for (const Corner* corner : {&quad.a, &quad.b, &quad.c, &quad.d}) {
                vertices[v++] = grainVertex(grain, *corner, quad.normal);
            }
        }
    }
    mesh.addIndices(indices, indexCount);
    mesh.addVertices(vertices, GrainMesh::kShapeVertices);
}

} // namespace

int32_t GrainMesh::shapeIndexCount(int32_t shape) {
    switch (shape) {
    case 0:
        return static_cast<int32_t>(std::size(kPrismIndices));
    case 1:
        return kRingIndices;
    default:
        return 0;
    }
}

GrainMesh::GrainMesh() : vertices(new Vertex[MAX_ELEMENTS]()), indices(new uint16_t[MAX_ELEMENTS]) {
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
}

GrainMesh::~GrainMesh() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
    delete[] vertices;
    delete[] indices;
}

void GrainMesh::addVertices(const Vertex* run, int32_t count) {
    ZQ_ASSERT(vCount + count < MAX_ELEMENTS);
    std::memcpy(vertices + vCount, run, static_cast<std::size_t>(count) * sizeof(Vertex));
    vCount += count;
}

void GrainMesh::addIndices(const uint16_t* run, int32_t count) {
    ZQ_ASSERT(iCount + count < MAX_ELEMENTS);
    std::memcpy(indices + iCount, run, static_cast<std::size_t>(count) * sizeof(uint16_t));
    iCount += count;
}

void GrainMesh::loadBuffers() {
    ZQ_ASSERT(vCount > 0);
    ZQ_ASSERT(iCount > 0);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vCount) * static_cast<GLsizeiptr>(sizeof(Vertex)),
                 vertices, GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(iCount) * static_cast<GLsizeiptr>(sizeof(uint16_t)), indices,
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GrainMesh::build(GrainEmitter& emitter) {
    ZQ_ASSERT(emitter.mesh == nullptr);
    // The shape is the game's own choice, never read from content: one
    // without a mesh is a programming error.
    const int32_t shape = emitter.getShape();
    ZQ_ASSERT(shapeIndexCount(shape) > 0);
    // The points screen never asks for an empty burst; a mesh without
    // grains would draw nothing and hide the caller's mistake.
    ZQ_ASSERT(emitter.getMaxCount() > 0);
    emitter.layout.scale = 0.5f / gGlobals.worldScale;
    auto* mesh = new GrainMesh();
    emitter.mesh = mesh;
    emitter.releaseMesh = &GrainMesh::release;
    mesh->indicesPerGrain = shapeIndexCount(shape);
    for (int32_t g = 0; g < emitter.getMaxCount(); ++g) {
        appendGrain(*mesh, shape, g);
    }
    mesh->loadBuffers();
}

void GrainMesh::release(GrainEmitter& emitter) {
    delete emitter.mesh;
    emitter.mesh = nullptr;
}

} // namespace ZQ
