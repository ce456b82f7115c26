#include "Models.h"

#include <algorithm>
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
    // A triangle wound so that it faces the way its vertex normals lean:
    // the swept and height-field surfaces below are built without caring
    // which way round their rows run. One of no area (two corners in one
    // place, where a row closes to a point) is left out.
    void facingTriangle(uint16_t a, uint16_t b, uint16_t c) {
        const float* p = &mesh.vertices[std::size_t(a) * 6];
        const float* q = &mesh.vertices[std::size_t(b) * 6];
        const float* r = &mesh.vertices[std::size_t(c) * 6];
        const float e[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        const float f[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
        const float n[3] = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2], e[0] * f[1] - e[1] * f[0]};
        if (std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) < 1e-9f) {
            return;
        }
        float lean = 0.0f;
        for (const float* v : {p, q, r}) {
            lean += n[0] * v[3] + n[1] * v[4] + n[2] * v[5];
        }
        if (lean >= 0.0f) {
            triangle(a, b, c);
        } else {
            triangle(a, c, b);
        }
    }
    void facingQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
        facingTriangle(a, b, c);
        facingTriangle(c, d, a);
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

// One point of a section through a pad's rim: `in` is how far it lies inside
// the outline, z its height, and (out, up) its normal, `out` along the
// outline's outward normal.
struct SectionPoint {
    float in, z, out, up;
};

// Appends to `section` an arc of `steps` segments round the centre
// (in, z), from angle `from` to angle `to` (0 faces out, a quarter turn up).
void arc(std::vector<SectionPoint>& section, float in, float z, float radius, float from, float to,
         int steps) {
    for (int k = 0; k <= steps; ++k) {
        const float a = from + (to - from) * static_cast<float>(k) / static_cast<float>(steps);
        section.push_back({in - radius * std::cos(a), z + radius * std::sin(a), std::cos(a), std::sin(a)});
    }
}

// A pad lying in the x-z plane: a flat top and bottom joined by a rounded
// rim, the top's edge rounded wide enough to catch the light all round.
void disc(ModelMesh& mesh, float radius, int segments) {
    Builder b(mesh);
    const float top = 0.08f * radius;
    const float round = 0.1f * radius;
    const float foot = 0.03f * radius;
    std::vector<SectionPoint> section;
    arc(section, foot, -top + foot, foot, -0.5f * kPi, 0.0f, 3);
    arc(section, round, top - round, round, 0.0f, 0.5f * kPi, 8);
    const auto place = [&](const SectionPoint& p, float c, float s) {
        // The section's "up" is the model's +y; the outline lies in x-z.
        const float r = radius - p.in;
        return b.vertex(r * s, p.z, r * c, p.out * s, p.up, p.out * c);
    };
    const int rows = static_cast<int>(section.size());
    std::vector<uint16_t> ring(std::size_t(segments) * rows);
    for (int i = 0; i < segments; ++i) {
        const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        for (int j = 0; j < rows; ++j) {
            ring[std::size_t(i) * rows + j] =
                place(section[std::size_t(j)], std::cos(angle), std::sin(angle));
        }
    }
    for (int i = 0; i < segments; ++i) {
        const int n = (i + 1) % segments;
        for (int j = 0; j + 1 < rows; ++j) {
            b.facingQuad(ring[std::size_t(i) * rows + j], ring[std::size_t(n) * rows + j],
                         ring[std::size_t(n) * rows + j + 1], ring[std::size_t(i) * rows + j + 1]);
        }
    }
    // The flat top and bottom, each a fan from its centre to the rim's
    // innermost ring, with normals of its own.
    const SectionPoint& last = section.back();
    const SectionPoint& first = section.front();
    const uint16_t topCentre = b.vertex(0, last.z, 0, 0, 1, 0);
    const uint16_t bottomCentre = b.vertex(0, first.z, 0, 0, -1, 0);
    std::vector<uint16_t> topRing;
    std::vector<uint16_t> bottomRing;
    for (int i = 0; i < segments; ++i) {
        const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        topRing.push_back(place({last.in, last.z, 0.0f, 1.0f}, std::cos(angle), std::sin(angle)));
        bottomRing.push_back(place({first.in, first.z, 0.0f, -1.0f}, std::cos(angle), std::sin(angle)));
    }
    for (int i = 0; i < segments; ++i) {
        const int n = (i + 1) % segments;
        b.facingTriangle(topCentre, topRing[std::size_t(i)], topRing[std::size_t(n)]);
        b.facingTriangle(bottomCentre, bottomRing[std::size_t(i)], bottomRing[std::size_t(n)]);
    }
}

// A box with rounded edges and corners, centred on the origin: the points
// of a finely cut cube pulled onto the box whose edges are quarter rounds
// of radius `round` (a unit-sized cube's units).
void roundedBox(ModelMesh& mesh, float size, float round, int steps) {
    Builder b(mesh);
    const float half = 0.5f * size;
    const float core = half - round;
    // Cuts along each axis of a face: `steps` through each rounded edge,
    // one across the flat middle.
    std::vector<float> cuts;
    for (int k = 0; k <= steps; ++k) {
        cuts.push_back(-half + round * (1.0f - std::cos(0.5f * kPi * static_cast<float>(k) / steps)));
    }
    for (int k = steps; k >= 0; --k) {
        cuts.push_back(half - round * (1.0f - std::cos(0.5f * kPi * static_cast<float>(k) / steps)));
    }
    const int n = static_cast<int>(cuts.size());
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {-1.0f, 1.0f}) {
            const int a1 = (axis + 1) % 3;
            const int a2 = (axis + 2) % 3;
            std::vector<uint16_t> grid;
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) {
                    float p[3];
                    p[axis] = side * half;
                    p[a1] = cuts[std::size_t(i)];
                    p[a2] = cuts[std::size_t(j)];
                    float q[3];
                    float d[3];
                    for (int c = 0; c < 3; ++c) {
                        q[c] = std::clamp(p[c], -core, core);
                        d[c] = p[c] - q[c];
                    }
                    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                    for (int c = 0; c < 3; ++c) {
                        d[c] /= length;
                    }
                    grid.push_back(b.vertex(q[0] + round * d[0], q[1] + round * d[1], q[2] + round * d[2],
                                            d[0], d[1], d[2]));
                }
            }
            for (int i = 0; i + 1 < n; ++i) {
                for (int j = 0; j + 1 < n; ++j) {
                    const auto at = [&](int r, int c) { return grid[std::size_t(r) * n + c]; };
                    b.facingQuad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
                }
            }
        }
    }
}

// The story's tablet, facing +z: a mitred frame with a rounded outer edge
// and a hollow inner edge, a groove, and a raised panel whose bevel rises to
// a writing field bowed a little towards the reader, so the light runs over
// it. The front is one height field over the board, cut finely where its
// profile turns; the sides drop straight to a flat back.
constexpr float kSlateWidth = 1.6f;
constexpr float kSlateHeight = 1.0f;
constexpr float kSlateBack = -0.03f;

// The front's height at `in` from the nearer edge of the board.
float slateProfile(float in) {
    const auto quarter = [](float t) { // 0 to 1, steep at 0, flat at 1
        const float s = 1.0f - std::clamp(t, 0.0f, 1.0f);
        return std::sqrt(1.0f - s * s);
    };
    const auto ease = [](float t) { // 0 to 1, flat at both ends
        const float s = std::clamp(t, 0.0f, 1.0f);
        return s * s * (3.0f - 2.0f * s);
    };
    constexpr float side = 0.02f;   // the sides' height over the panel's groove
    constexpr float crown = 0.045f; // the frame's top at its edges
    constexpr float swell = 0.008f; // and how much higher in its middle
    constexpr float outer = 0.018f; // the outer round's width
    constexpr float frame = 0.075f; // where the frame's hollow meets the groove
    constexpr float hollow = 0.02f; // the hollow's width
    constexpr float groove = 0.09f; // where the panel's bevel starts
    constexpr float bevel = 0.07f;  // its width
    constexpr float panel = 0.018f; // the bevel's rise
    if (in < outer) {
        return side + (crown - side) * quarter(in / outer);
    }
    if (in < frame - hollow) {
        // The frame's top swells a little between its edges, a moulding.
        const float t = (in - outer) / (frame - hollow - outer);
        return crown + swell * std::sin(kPi * t);
    }
    if (in < frame) {
        // A hollow: the frame's inner edge drops steeply, then eases out.
        return crown * (1.0f - quarter((in - (frame - hollow)) / hollow));
    }
    if (in < groove) {
        return 0.0f;
    }
    return panel * ease((in - groove) / bevel);
}

void slate(ModelMesh& mesh) {
    Builder b(mesh);
    const float halfX = 0.5f * kSlateWidth;
    const float halfY = 0.5f * kSlateHeight;
    // Cuts along one axis: fine through the profile near both edges, coarse
    // over the field.
    const auto cutsFor = [](float half) {
        std::vector<float> cuts;
        constexpr float fine = 0.17f;
        constexpr int fineSteps = 40;
        for (int k = 0; k < fineSteps; ++k) {
            const float t = static_cast<float>(k) / fineSteps;
            cuts.push_back(-half + fine * t * t * (3.0f - 2.0f * t) * 0.5f + fine * 0.5f * t);
        }
        const int middle = static_cast<int>(std::ceil((2.0f * (half - fine)) / 0.05f));
        for (int k = 0; k <= middle; ++k) {
            cuts.push_back(-half + fine + 2.0f * (half - fine) * static_cast<float>(k) / middle);
        }
        for (int k = fineSteps - 1; k >= 0; --k) {
            const float t = static_cast<float>(k) / fineSteps;
            cuts.push_back(half - fine * t * t * (3.0f - 2.0f * t) * 0.5f - fine * 0.5f * t);
        }
        return cuts;
    };
    const std::vector<float> xs = cutsFor(halfX);
    const std::vector<float> ys = cutsFor(halfY);
    // The field bows up by this much in its middle: enough that the light
    // runs across it from one end of the slate to the other.
    constexpr float bow = 0.06f;
    const auto height = [&](float x, float y) {
        const float in = std::min(halfX - std::fabs(x), halfY - std::fabs(y));
        const float u = x / halfX;
        const float v = y / halfY;
        return slateProfile(in) + bow * (1.0f - u * u) * (1.0f - v * v) * std::min(in / 0.16f, 1.0f);
    };
    const int nx = static_cast<int>(xs.size());
    const int ny = static_cast<int>(ys.size());
    std::vector<uint16_t> front(std::size_t(nx) * ny);
    constexpr float h = 0.001f;
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const float x = xs[std::size_t(i)];
            const float y = ys[std::size_t(j)];
            // The slope from the height a step either side, kept on the board.
            const float x0 = std::max(x - h, -halfX), x1 = std::min(x + h, halfX);
            const float y0 = std::max(y - h, -halfY), y1 = std::min(y + h, halfY);
            const float gx = (height(x1, y) - height(x0, y)) / (x1 - x0);
            const float gy = (height(x, y1) - height(x, y0)) / (y1 - y0);
            front[std::size_t(j) * nx + i] = b.vertex(x, y, height(x, y), -gx, -gy, 1.0f);
        }
    }
    for (int j = 0; j + 1 < ny; ++j) {
        for (int i = 0; i + 1 < nx; ++i) {
            const auto at = [&](int c, int r) { return front[std::size_t(r) * nx + c]; };
            // Cut each cell along the diagonal that runs away from the
            // board's centre, so the mitres at the corners stay straight.
            const bool flip = (xs[std::size_t(i)] < 0.0f) != (ys[std::size_t(j)] < 0.0f);
            if (flip) {
                b.facingTriangle(at(i, j), at(i + 1, j), at(i, j + 1));
                b.facingTriangle(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
            } else {
                b.facingQuad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
            }
        }
    }
    // The sides, straight down from the front's edge, and the back: a fan
    // from its centre to the sides' feet.
    std::vector<std::pair<float, float>> outline;
    for (int i = 0; i < nx; ++i) {
        outline.emplace_back(xs[std::size_t(i)], -halfY);
    }
    for (int j = 1; j < ny; ++j) {
        outline.emplace_back(halfX, ys[std::size_t(j)]);
    }
    for (int i = nx - 2; i >= 0; --i) {
        outline.emplace_back(xs[std::size_t(i)], halfY);
    }
    for (int j = ny - 2; j > 0; --j) {
        outline.emplace_back(-halfX, ys[std::size_t(j)]);
    }
    const uint16_t backCentre = b.vertex(0, 0, kSlateBack, 0, 0, -1);
    const std::size_t count = outline.size();
    for (std::size_t k = 0; k < count; ++k) {
        const auto [x0, y0] = outline[k];
        const auto [x1, y1] = outline[(k + 1) % count];
        // The side's outward normal: along x on the left and right, along y
        // on the top and bottom.
        const bool vertical = x0 == x1;
        const float sx = vertical ? (x0 > 0.0f ? 1.0f : -1.0f) : 0.0f;
        const float sy = vertical ? 0.0f : (y0 > 0.0f ? 1.0f : -1.0f);
        const uint16_t a = b.vertex(x0, y0, height(x0, y0), sx, sy, 0);
        const uint16_t c = b.vertex(x1, y1, height(x1, y1), sx, sy, 0);
        const uint16_t d = b.vertex(x0, y0, kSlateBack, sx, sy, 0);
        const uint16_t e = b.vertex(x1, y1, kSlateBack, sx, sy, 0);
        b.facingQuad(d, e, c, a);
        const uint16_t f = b.vertex(x0, y0, kSlateBack, 0, 0, -1);
        const uint16_t g = b.vertex(x1, y1, kSlateBack, 0, 0, -1);
        b.facingTriangle(backCentre, f, g);
    }
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
    {"cube",       [](ModelMesh& m) { roundedBox(m, 1.0f, 0.08f, 4); }}, // 5
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
