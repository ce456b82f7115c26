#include "Models.h"

#include <cmath>
#include <iterator>

namespace VelmoraBundle {

namespace {

constexpr float kPi = 3.14159265f;

class Builder {
public:
    explicit Builder(ModelMesh& mesh) : mesh(mesh) {}

    uint16_t vertex(float x, float y, float z, float nx, float ny, float nz) {
        const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
        mesh.vertices.insert(mesh.vertices.end(), {x, y, z, nx / length, ny / length, nz / length});
        return static_cast<uint16_t>(mesh.vertexCount() - 1);
    }
    // Counter-clockwise as given.
    void triangle(uint16_t a, uint16_t b, uint16_t c) { mesh.indices.insert(mesh.indices.end(), {a, b, c}); }
    void quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
        triangle(a, b, c);
        triangle(c, d, a);
    }

private:
    ModelMesh& mesh;
};

// A ring of radius `major` round the z axis, its tube of radius `minor`.
void torus(ModelMesh& mesh, float major, float minor, int around, int tube) {
    Builder b(mesh);
    const uint16_t first = static_cast<uint16_t>(mesh.vertexCount());
    for (int i = 0; i <= around; ++i) {
        const float u = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(around);
        for (int j = 0; j <= tube; ++j) {
            const float v = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(tube);
            const float nx = std::cos(v) * std::cos(u);
            const float ny = std::cos(v) * std::sin(u);
            const float nz = std::sin(v);
            const float r = major + minor * std::cos(v);
            b.vertex(r * std::cos(u), r * std::sin(u), minor * nz, nx, ny, nz);
        }
    }
    const int row = tube + 1;
    for (int i = 0; i < around; ++i) {
        for (int j = 0; j < tube; ++j) {
            const auto at = [&](int a, int c) { return static_cast<uint16_t>(first + a * row + c); };
            b.quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        }
    }
}

void sphere(ModelMesh& mesh, float radius, int slices, int stacks) {
    Builder b(mesh);
    for (int i = 0; i <= stacks; ++i) {
        const float theta = kPi * static_cast<float>(i) / static_cast<float>(stacks); // from +y down
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(slices);
            const float nx = std::sin(theta) * std::sin(phi);
            const float ny = std::cos(theta);
            const float nz = std::sin(theta) * std::cos(phi);
            b.vertex(radius * nx, radius * ny, radius * nz, nx, ny, nz);
        }
    }
    const int row = slices + 1;
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const auto at = [&](int a, int c) { return static_cast<uint16_t>(a * row + c); };
            // Going down a stack and round in phi, seen from outside.
            if (i != 0) {
                b.triangle(at(i, j), at(i + 1, j), at(i, j + 1));
            }
            if (i != stacks - 1) {
                b.triangle(at(i, j + 1), at(i + 1, j), at(i + 1, j + 1));
            }
        }
    }
}

// A pad lying in the x-z plane: a flat top and bottom, a straight side and a
// chamfer round the top edge that catches the light.
void disc(ModelMesh& mesh, float radius, int segments) {
    Builder b(mesh);
    const float height = 0.08f * radius * 2.0f;
    const float chamfer = 0.12f * radius;
    const float top = 0.5f * height;
    const float shoulder = top - 0.5f * chamfer;
    const float bottom = -0.5f * height;
    const float inner = radius - chamfer;
    const uint16_t topCentre = b.vertex(0, top, 0, 0, 1, 0);
    const uint16_t bottomCentre = b.vertex(0, bottom, 0, 0, -1, 0);
    for (int i = 0; i < segments; ++i) {
        const auto angle = [&](int k) { return 2.0f * kPi * static_cast<float>(k % segments) / segments; };
        const float c0 = std::cos(angle(i)), s0 = std::sin(angle(i));
        const float c1 = std::cos(angle(i + 1)), s1 = std::sin(angle(i + 1));
        // Top: seen from +y, counter-clockwise runs from +z towards +x.
        const uint16_t t0 = b.vertex(inner * s0, top, inner * c0, 0, 1, 0);
        const uint16_t t1 = b.vertex(inner * s1, top, inner * c1, 0, 1, 0);
        b.triangle(topCentre, t0, t1);
        // Chamfer: leaning out at 45 degrees.
        const uint16_t h0 = b.vertex(inner * s0, top, inner * c0, s0, 1, c0);
        const uint16_t h1 = b.vertex(inner * s1, top, inner * c1, s1, 1, c1);
        const uint16_t k0 = b.vertex(radius * s0, shoulder, radius * c0, s0, 1, c0);
        const uint16_t k1 = b.vertex(radius * s1, shoulder, radius * c1, s1, 1, c1);
        b.quad(h0, k0, k1, h1);
        // Side.
        const uint16_t u0 = b.vertex(radius * s0, shoulder, radius * c0, s0, 0, c0);
        const uint16_t u1 = b.vertex(radius * s1, shoulder, radius * c1, s1, 0, c1);
        const uint16_t d0 = b.vertex(radius * s0, bottom, radius * c0, s0, 0, c0);
        const uint16_t d1 = b.vertex(radius * s1, bottom, radius * c1, s1, 0, c1);
        b.quad(u0, d0, d1, u1);
        // Bottom, seen from -y.
        const uint16_t b0 = b.vertex(radius * s0, bottom, radius * c0, 0, -1, 0);
        const uint16_t b1 = b.vertex(radius * s1, bottom, radius * c1, 0, -1, 0);
        b.triangle(bottomCentre, b1, b0);
    }
}

// An axis-aligned box centred on the origin, a flat normal per face.
void box(ModelMesh& mesh, float sx, float sy, float sz) {
    Builder b(mesh);
    const float hx = 0.5f * sx, hy = 0.5f * sy, hz = 0.5f * sz;
    struct Face {
        float n[3], u[3], v[3]; // normal, and two edges with u x v = n
    };
    const Face faces[] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    for (const Face& f : faces) {
        uint16_t corner[4];
        const float su[4] = {-1, 1, 1, -1};
        const float sv[4] = {-1, -1, 1, 1};
        for (int k = 0; k < 4; ++k) {
            const float x = f.n[0] + su[k] * f.u[0] + sv[k] * f.v[0];
            const float y = f.n[1] + su[k] * f.u[1] + sv[k] * f.v[1];
            const float z = f.n[2] + su[k] * f.u[2] + sv[k] * f.v[2];
            corner[k] = b.vertex(x * hx, y * hy, z * hz, f.n[0], f.n[1], f.n[2]);
        }
        b.quad(corner[0], corner[1], corner[2], corner[3]);
    }
}

// The story's tablet: a thin board facing +z with a raised frame round its
// writing face, like a school slate.
void slate(ModelMesh& mesh) {
    box(mesh, 1.6f, 1.0f, 0.04f);
    constexpr float frame = 0.08f;
    constexpr float depth = 0.06f;
    // The bars stand on the board's face and rise above it.
    const float z = 0.5f * depth;
    const auto add = [&](float cx, float cy, float sx, float sy) {
        ModelMesh bar;
        box(bar, sx, sy, depth);
        const uint16_t base = static_cast<uint16_t>(mesh.vertexCount());
        for (std::size_t i = 0; i < bar.vertices.size(); i += 6) {
            mesh.vertices.insert(mesh.vertices.end(),
                                 {bar.vertices[i] + cx, bar.vertices[i + 1] + cy, bar.vertices[i + 2] + z,
                                  bar.vertices[i + 3], bar.vertices[i + 4], bar.vertices[i + 5]});
        }
        for (uint16_t index : bar.indices) {
            mesh.indices.push_back(static_cast<uint16_t>(base + index));
        }
    };
    add(0.0f, 0.5f - 0.5f * frame, 1.6f, frame);
    add(0.0f, -0.5f + 0.5f * frame, 1.6f, frame);
    add(-0.8f + 0.5f * frame, 0.0f, frame, 1.0f - 2.0f * frame);
    add(0.8f - 0.5f * frame, 0.0f, frame, 1.0f - 2.0f * frame);
}

struct ModelRow {
    const char* name;
    void (*make)(ModelMesh& mesh);
};

// clang-format off
constexpr ModelRow kModels[] = {
    {"torus",      [](ModelMesh& m) { torus(m, 0.5f, 0.1f, 48, 16); }},  // 0
    {"sphere",     [](ModelMesh& m) { sphere(m, 0.5f, 32, 16); }},       // 1
    {"disc",       [](ModelMesh& m) { disc(m, 0.5f, 64); }},             // 2
    {"discmedium", [](ModelMesh& m) { disc(m, 0.375f, 48); }},           // 3
    {"discsmall",  [](ModelMesh& m) { disc(m, 0.25f, 32); }},            // 4
    {"cube",       [](ModelMesh& m) { box(m, 1.0f, 1.0f, 1.0f); }},      // 5
    {"slate",      slate},                                               // 6
};
// clang-format on
static_assert(std::size(kModels) == kModelCount);

} // namespace

const char* modelName(int id) {
    return kModels[id].name;
}

ModelMesh makeModel(int id) {
    ModelMesh mesh;
    kModels[id].make(mesh);
    return mesh;
}

} // namespace VelmoraBundle
