#include "engine/MathHelpers.h"
#include "render/PVRTModelPOD.h"

#include <algorithm>
#include <cmath>

// What a read scene must satisfy before anyone indexes into it, and the
// node transforms computed from it.

namespace {

// One kind of a node's keys: floats a key apart, and floats a key holds.
struct KeyShape {
    uint64_t stride;
    uint64_t width;
};
constexpr KeyShape kPositionKeys{3, 3};
constexpr KeyShape kRotationKeys{4, 4};
constexpr KeyShape kScaleKeys{7, 3}; // the scale, then four floats nobody reads
constexpr KeyShape kMatrixKeys{16, 16};

uint32_t keyCount(const SPODScene& scene) {
    return std::max<uint32_t>(scene.numFrame, 1);
}

// Animated keys need one key a frame, through the index table when there is
// one; static data needs one key.
bool keysFit(const std::vector<float>& keys, const std::vector<uint32_t>& table, bool animated,
             uint32_t frames, KeyShape shape) {
    if (keys.empty()) {
        return table.empty() && !animated;
    }
    if (!animated) {
        return keys.size() >= shape.width;
    }
    if (table.empty()) {
        return keys.size() >= shape.stride * (frames - 1) + shape.width;
    }
    if (table.size() < frames) {
        return false;
    }
    return std::all_of(table.begin(), table.begin() + frames,
                       [&](uint32_t first) { return uint64_t(first) + shape.width <= keys.size(); });
}

bool indexIn(int32_t index, uint32_t count) {
    return index >= 0 && static_cast<uint32_t>(index) < count;
}

bool optionalIndexIn(int32_t index, uint32_t count) {
    return index == -1 || indexIn(index, count);
}

// Float offset of key `frame` of a node's keys.
uint64_t keyOffset(const std::vector<uint32_t>& table, uint32_t frame, uint64_t stride) {
    return table.empty() ? stride * frame : table[frame];
}

} // namespace

bool validatePODScene(const SPODScene& scene) {
    if (scene.numMeshNode > scene.numNode) {
        return false;
    }
    const uint32_t frames = keyCount(scene);
    for (uint32_t i = 0; i < scene.numNode; ++i) {
        const SPODNode& node = scene.nodes[i];
        if (i < scene.numMeshNode && (!indexIn(node.index, scene.numMesh) ||
                                      !optionalIndexIn(node.materialIndex, scene.numMaterial))) {
            return false;
        }
        if (!optionalIndexIn(node.parentIndex, scene.numNode)) {
            return false;
        }
        const uint32_t flags = node.animationFlags;
        if (!keysFit(node.animPosition, node.animPositionIdx, flags & kPODHasPositionAnimation, frames,
                     kPositionKeys) ||
            !keysFit(node.animRotation, node.animRotationIdx, flags & kPODHasRotationAnimation, frames,
                     kRotationKeys) ||
            !keysFit(node.animScale, node.animScaleIdx, flags & kPODHasScaleAnimation, frames, kScaleKeys) ||
            !keysFit(node.animMatrix, node.animMatrixIdx, flags & kPODHasMatrixAnimation, frames,
                     kMatrixKeys)) {
            return false;
        }
        // A parent chain longer than the node count has a cycle.
        int32_t parent = node.parentIndex;
        for (uint32_t steps = 0; parent != -1; ++steps) {
            if (steps == scene.numNode) {
                return false;
            }
            parent = scene.nodes[static_cast<uint32_t>(parent)].parentIndex;
        }
    }
    for (const SPODCamera& camera : scene.cameras) {
        if (!optionalIndexIn(camera.targetIndex, scene.numNode)) {
            return false;
        }
    }
    for (const SPODLight& light : scene.lights) {
        if (!optionalIndexIn(light.targetIndex, scene.numNode)) {
            return false;
        }
    }
    for (const SPODMaterial& m : scene.materials) {
        for (int32_t texture : {m.idxTexDiffuse, m.idxTexAmbient, m.idxTexSpecularColour,
                                m.idxTexSpecularLevel, m.idxTexBump, m.idxTexEmissive, m.idxTexGlossiness,
                                m.idxTexOpacity, m.idxTexReflection, m.idxTexRefraction}) {
            if (!optionalIndexIn(texture, scene.numTexture)) {
                return false;
            }
        }
    }
    for (const SPODMesh& mesh : scene.meshes) {
        if (mesh.stripLength.size() < mesh.numStrips) {
            return false;
        }
    }
    return true;
}

uint32_t podElementWidth(uint32_t type) {
    switch (static_cast<EPVRTDataType>(type)) {
    case EPVRTDataType::Float:
    case EPVRTDataType::Int:
    case EPVRTDataType::RGBA:
    case EPVRTDataType::ARGB:
    case EPVRTDataType::D3DCOLOR:
    case EPVRTDataType::UBYTE4:
    case EPVRTDataType::DEC3N:
    case EPVRTDataType::Fixed16_16:
    case EPVRTDataType::UnsignedInt:
    case EPVRTDataType::ABGR:
        return 4;
    case EPVRTDataType::UnsignedShort:
    case EPVRTDataType::Short:
    case EPVRTDataType::ShortNorm:
    case EPVRTDataType::UnsignedShortNorm:
        return 2;
    case EPVRTDataType::UnsignedByte:
    case EPVRTDataType::Byte:
    case EPVRTDataType::ByteNorm:
    case EPVRTDataType::UnsignedByteNorm:
        return 1;
    case EPVRTDataType::None:
        break;
    }
    return 0;
}

uint64_t SPODMesh::indexCount() const {
    return numStrips == 0 ? uint64_t(numFaces) * 3 : uint64_t(numFaces) + 2 * uint64_t(numStrips);
}

PVRTMat4 podRotationMatrix(const PVRTQuaternion& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    PVRTMat4 m = PVRTMat4::identity();
    m.f[0] = 1 - 2 * (y * y + z * z);
    m.f[1] = 2 * (x * y - z * w);
    m.f[2] = 2 * (x * z + y * w);
    m.f[4] = 2 * (x * y + z * w);
    m.f[5] = 1 - 2 * (x * x + z * z);
    m.f[6] = 2 * (y * z - x * w);
    m.f[8] = 2 * (x * z - y * w);
    m.f[9] = 2 * (y * z + x * w);
    m.f[10] = 1 - 2 * (x * x + y * y);
    return m;
}

void SPODScene::setFrame(float time) {
    const float last = static_cast<float>(keyCount(*this) - 1);
    const float t = std::isnan(time) ? 0.0f : std::clamp(time, 0.0f, last);
    frame = static_cast<int32_t>(std::floor(t));
    blend = t - static_cast<float>(frame);

    // Parents first: a node's chain is walked up to the first node already
    // done (the reader refused cycles), then filled in on the way down.
    worldCache.assign(numNode, PVRTMat4::identity());
    std::vector<bool> done(numNode, false);
    std::vector<uint32_t> chain;
    for (uint32_t i = 0; i < numNode; ++i) {
        for (int32_t n = static_cast<int32_t>(i); n != -1 && !done[static_cast<uint32_t>(n)];
             n = nodes[static_cast<uint32_t>(n)].parentIndex) {
            chain.push_back(static_cast<uint32_t>(n));
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const int32_t parent = nodes[*it].parentIndex;
            worldCache[*it] =
                parent == -1 ? nodeMatrix(*it) : worldCache[static_cast<uint32_t>(parent)] * nodeMatrix(*it);
            done[*it] = true;
        }
        chain.clear();
    }
}

PVRTVec3 SPODScene::nodePosition(uint32_t index) const {
    const SPODNode& node = nodes[index];
    const std::vector<float>& keys = node.animPosition;
    if (keys.empty()) {
        return PVRTVec3(0, 0, 0);
    }
    if ((node.animationFlags & kPODHasPositionAnimation) == 0) {
        return PVRTVec3(keys[0], keys[1], keys[2]);
    }
    const uint32_t f = static_cast<uint32_t>(frame);
    const uint32_t g = std::min(f + 1, keyCount(*this) - 1);
    const float* a = &keys[keyOffset(node.animPositionIdx, f, 3)];
    const float* b = &keys[keyOffset(node.animPositionIdx, g, 3)];
    const PVRTVec3 p0(a[0], a[1], a[2]);
    const PVRTVec3 p1(b[0], b[1], b[2]);
    return p0 + (p1 - p0) * blend;
}

PVRTQuaternion SPODScene::nodeRotation(uint32_t index) const {
    const SPODNode& node = nodes[index];
    const std::vector<float>& keys = node.animRotation;
    if (keys.empty()) {
        return PVRTQuaternion();
    }
    if ((node.animationFlags & kPODHasRotationAnimation) == 0) {
        return PVRTQuaternion(keys[0], keys[1], keys[2], keys[3]);
    }
    const uint32_t f = static_cast<uint32_t>(frame);
    const uint32_t g = std::min(f + 1, keyCount(*this) - 1);
    const float* a = &keys[keyOffset(node.animRotationIdx, f, 4)];
    const float* b = &keys[keyOffset(node.animRotationIdx, g, 4)];
    PVRTQuaternion q;
    ZQ::quaternionSlerp(q, PVRTQuaternion(a[0], a[1], a[2], a[3]), PVRTQuaternion(b[0], b[1], b[2], b[3]),
                        blend);
    return q;
}

PVRTVec3 SPODScene::nodeScale(uint32_t index) const {
    const SPODNode& node = nodes[index];
    const std::vector<float>& keys = node.animScale;
    if (keys.empty()) {
        return PVRTVec3(1, 1, 1);
    }
    if ((node.animationFlags & kPODHasScaleAnimation) == 0) {
        return PVRTVec3(keys[0], keys[1], keys[2]);
    }
    const uint32_t f = static_cast<uint32_t>(frame);
    const uint32_t g = std::min(f + 1, keyCount(*this) - 1);
    const float* a = &keys[keyOffset(node.animScaleIdx, f, 7)];
    const float* b = &keys[keyOffset(node.animScaleIdx, g, 7)];
    const PVRTVec3 s0(a[0], a[1], a[2]);
    const PVRTVec3 s1(b[0], b[1], b[2]);
    return s0 + (s1 - s0) * blend;
}

PVRTMat4 SPODScene::nodeMatrix(uint32_t index) const {
    const PVRTVec3 p = nodePosition(index);
    const PVRTVec3 s = nodeScale(index);
    return PVRTMat4::translation(p.x, p.y, p.z) * podRotationMatrix(nodeRotation(index)) *
           PVRTMat4::scale(s.x, s.y, s.z);
}
