#include "stage/MandalaMesher.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// Where the mesher keeps its per-tile values in the tile's work area. The
// generators zero the last nine words, which hold the spare pairs.
constexpr int kReliefWord = 0; // 3 corners x (x, y, z)
constexpr int kNormalWord = 9; // 3 corners x vertex normal
constexpr int kFaceWord = 18;  // face normal
constexpr int kSpareWord = 21; // 3 corners x spare pair
static_assert(kSpareWord + 6 == PatternTile::kWorkWords);

constexpr float kWeldTolerance = 0.0001f;
constexpr float kAmplitude = 0.05f;
constexpr double kTwoPi = 6.283185307179586;

PVRTVec3 readVec3(const PatternTile& tile, int word) {
    return PVRTVec3(tile.work[word], tile.work[word + 1], tile.work[word + 2]);
}

void writeVec3(PatternTile& tile, int word, const PVRTVec3& v) {
    tile.work[word] = v.x;
    tile.work[word + 1] = v.y;
    tile.work[word + 2] = v.z;
}

// Unit length, or nothing: a degenerate tile (a zero or non-finite cross
// product) must not steer the normals of its neighbours.
PVRTVec3 faceNormal(const PVRTVec3& p0, const PVRTVec3& p1, const PVRTVec3& p2) {
    const PVRTVec3 n = (p0 - p2).cross(p1 - p2);
    const float length = n.length();
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return PVRTVec3();
    }
    return n * (1.0f / length);
}

// The averaged normal of a weld; faces that cancel out (or only degenerate
// ones) leave the wall's own facing rather than a NaN.
PVRTVec3 averagedNormal(const PVRTVec3& sum, std::size_t count) {
    const PVRTVec3 mean = sum * (1.0f / static_cast<float>(count));
    const float length = mean.length();
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return PVRTVec3(0.0f, 0.0f, 1.0f);
    }
    return mean * (1.0f / length);
}

void widen(PVRTVec2& min, PVRTVec2& max, const PVRTVec2& p) {
    // Comparisons with NaN are false, so a NaN coordinate leaves the bounds alone.
    if (p.x < min.x) {
        min.x = p.x;
    }
    if (p.y < min.y) {
        min.y = p.y;
    }
    if (p.x > max.x) {
        max.x = p.x;
    }
    if (p.y > max.y) {
        max.y = p.y;
    }
}

} // namespace

void MandalaMesh::destroy(MandalaMesh* mesh) {
    if (mesh == nullptr) {
        return;
    }
    if (mesh->vbo != 0) {
        glDeleteBuffers(1, &mesh->vbo);
    }
    delete mesh;
}

std::vector<PatternTile*>& MandalaVertexMap::entryFor(const PVRTVec2& corner) {
    const MandalaPointKey key(corner);
    // The own bucket first, as a plain lookup: a mesh without corners split
    // across cells welds exactly as before, entry for entry.
    if (const auto found = points.find(key); found != points.end()) {
        return found->second;
    }
    // Points closer than the tolerance round at most one cell apart on each
    // axis. A probe at a neighbour cell's centre hashes as every point of
    // that cell does; its bucket is scanned with the tolerance to `corner`.
    const float cellX = std::round(corner.x * 10000.0f);
    const float cellY = std::round(corner.y * 10000.0f);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0) {
                continue;
            }
            const MandalaPointKey probe(PVRTVec2((cellX + static_cast<float>(dx)) * kWeldTolerance,
                                                 (cellY + static_cast<float>(dy)) * kWeldTolerance));
            const std::size_t bucket = points.bucket(probe);
            for (auto it = points.begin(bucket); it != points.end(bucket); ++it) {
                if (it->first == key) {
                    return it->second;
                }
            }
        }
    }
    return points.emplace(key, std::vector<PatternTile*>()).first->second;
}

void addTileVertices(MandalaVertexMap& map, PatternTile* tile) {
    if (!tile->children.empty()) {
        for (PatternTile* child : tile->children) {
            addTileVertices(map, child);
        }
        return;
    }
    map.tiles.push_back(tile);
    for (const PVRTVec2& corner : tile->points) {
        map.entryFor(corner).push_back(tile);
    }
}

float mandalaHeight(float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    // The phase is formed in double and rounded once, so a point far out
    // keeps its place on the spiral.
    const float phase = static_cast<float>((static_cast<double>(a) + kTwoPi) * static_cast<double>(r));
    return -kAmplitude * std::cos(phase);
}

MandalaMesh* meshPattern(PatternGraph& graph) {
    auto* mesh = new MandalaMesh();
    MandalaVertexMap map;
    for (PatternTile* tile : graph.tiles) {
        addTileVertices(map, tile);
    }

    for (const PatternTile* tile : map.tiles) {
        for (const PVRTVec2& corner : tile->points) {
            widen(mesh->min, mesh->max, corner);
        }
    }

    for (PatternTile* tile : map.tiles) {
        PVRTVec3 relief[3];
        for (int c = 0; c < 3; ++c) {
            const float x = std::clamp(tile->points[c].x, mesh->min.x, mesh->max.x);
            const float y = std::clamp(tile->points[c].y, mesh->min.y, mesh->max.y);
            relief[c] = PVRTVec3(x, y, mandalaHeight(x, y));
            writeVec3(*tile, kReliefWord + 3 * c, relief[c]);
        }
        writeVec3(*tile, kFaceWord, faceNormal(relief[0], relief[1], relief[2]));
    }

    for (const auto& [key, tiles] : map.points) {
        PVRTVec3 sum;
        for (const PatternTile* tile : tiles) {
            sum = sum + readVec3(*tile, kFaceWord);
        }
        const PVRTVec3 normal = averagedNormal(sum, tiles.size());
        for (PatternTile* tile : tiles) {
            for (int c = 0; c < 3; ++c) {
                const PVRTVec2& p = tile->points[c];
                if (std::fabs(p.x - key.point.x) < kWeldTolerance &&
                    std::fabs(p.y - key.point.y) < kWeldTolerance) {
                    writeVec3(*tile, kNormalWord + 3 * c, normal);
                }
            }
        }
    }

    mesh->vertices.reserve(map.tiles.size() * 3);
    for (const PatternTile* tile : map.tiles) {
        const float value = static_cast<float>(tile->value);
        for (int c = 0; c < 3; ++c) {
            const PVRTVec2 spare(tile->work[kSpareWord + 2 * c], tile->work[kSpareWord + 2 * c + 1]);
            mesh->vertices.push_back(MandalaVertex{readVec3(*tile, kReliefWord + 3 * c),
                                                   readVec3(*tile, kNormalWord + 3 * c), spare, value});
        }
    }
    return mesh;
}

} // namespace ZQ
