#include "render/PVRTModelPOD.h"

#include "engine/Log.h"
#include "render/PVRTResourceFile.h"

#include <cstring>

// Every length, count and index comes from the file, so none is trusted: a
// length is checked against the bytes that remain before anything is
// allocated for it, a count must fit the records that could still follow,
// and a scalar block must be exactly as long as its value.

namespace {

constexpr uint32_t kEnd = 0x80000000u;
constexpr uint32_t kTagVersion = 1000;
constexpr uint32_t kTagScene = 1001;
constexpr uint32_t kTagSwappedVersion = 0xE8030000u;
constexpr char kVersion[] = "AB.POD.2.0";
static_assert(sizeof(kVersion) == 11, "the version block holds 11 bytes");

// The fewest bytes a record container takes: its opening and closing markers.
constexpr uint64_t kSmallestRecord = 16;

uint32_t littleEndian(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

class Reader {
public:
    explicit Reader(CSource& source) : source(source) {}

    bool marker(uint32_t& tag, uint32_t& length) {
        uint8_t bytes[8];
        if (!source.read(bytes, 8)) {
            return false;
        }
        tag = littleEndian(bytes);
        length = littleEndian(bytes + 4);
        return true;
    }

    bool skip(uint32_t length) { return source.skip(length); }
    std::size_t remaining() const { return source.remaining(); }

    // `count` words of exactly `length` bytes.
    bool words(uint32_t length, uint32_t* out, std::size_t count) {
        if (length != count * 4) {
            return false;
        }
        uint8_t bytes[64];
        if (count > sizeof bytes / 4 || !source.read(bytes, length)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = littleEndian(bytes + 4 * i);
        }
        return true;
    }
    bool u32(uint32_t length, uint32_t& out) { return words(length, &out, 1); }
    bool i32(uint32_t length, int32_t& out) {
        uint32_t word = 0;
        if (!u32(length, word)) {
            return false;
        }
        out = static_cast<int32_t>(word);
        return true;
    }
    bool floats(uint32_t length, float* out, std::size_t count) {
        uint32_t bits[16];
        if (count > 16 || !words(length, bits, count)) {
            return false;
        }
        std::memcpy(out, bits, count * 4);
        return true;
    }
    bool f32(uint32_t length, float& out) { return floats(length, &out, 1); }
    bool vec3(uint32_t length, PVRTVec3& out) {
        float v[3];
        if (!floats(length, v, 3)) {
            return false;
        }
        out = PVRTVec3(v[0], v[1], v[2]);
        return true;
    }
    bool vec4(uint32_t length, PVRTVec4& out) {
        float v[4];
        if (!floats(length, v, 4)) {
            return false;
        }
        out = PVRTVec4(v[0], v[1], v[2], v[3]);
        return true;
    }

    bool bytes(uint32_t length, std::vector<uint8_t>& out) {
        if (length > remaining()) {
            return false;
        }
        out.assign(length, 0);
        return length == 0 || source.read(out.data(), length);
    }

    // A whole number of words; an array of fewer than 4 bytes stays absent.
    template <typename T> bool array(uint32_t length, std::vector<T>& out) {
        static_assert(sizeof(T) == 4);
        if (length < 4) {
            out.clear();
            return skip(length);
        }
        std::vector<uint8_t> raw;
        if (length % 4 != 0 || !bytes(length, raw)) {
            return false;
        }
        out.resize(length / 4);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const uint32_t word = littleEndian(&raw[4 * i]);
            std::memcpy(&out[i], &word, 4);
        }
        return true;
    }

    // Stored with its zero byte; one without it is refused.
    bool string(uint32_t length, std::vector<char>& out) {
        std::vector<uint8_t> raw;
        if (length == 0 || !bytes(length, raw) || raw.back() != 0) {
            return false;
        }
        out.assign(raw.begin(), raw.end());
        return true;
    }

    bool data(uint32_t tag, CPODData& stream, bool asOffset);
    bool camera(SPODCamera& camera);
    bool light(SPODLight& light);
    bool mesh(SPODMesh& mesh);
    bool node(SPODNode& node);
    bool texture(SPODTexture& texture);
    bool material(SPODMaterial& material);
    bool scene(SPODScene& scene);

private:
    CSource& source;
};

bool Reader::data(uint32_t tag, CPODData& stream, bool asOffset) {
    stream = CPODData();
    uint32_t sub = 0;
    uint32_t length = 0;
    while (marker(sub, length)) {
        bool ok = true;
        switch (sub) {
        case 9000:
            ok = u32(length, stream.type);
            break;
        case 9001:
            ok = u32(length, stream.components);
            break;
        case 9002:
            ok = u32(length, stream.stride);
            break;
        case 9003:
            ok = asOffset ? u32(length, stream.offset) : bytes(length, stream.data);
            break;
        default:
            if (sub == (tag | kEnd)) {
                // The data must be whole elements of a type the format knows.
                const uint32_t width = podElementWidth(stream.type);
                return stream.data.empty() || (width != 0 && stream.data.size() % width == 0);
            }
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::camera(SPODCamera& camera) {
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case 2010 | kEnd:
            return true;
        case 8000:
            ok = i32(length, camera.targetIndex);
            break;
        case 8001:
            ok = f32(length, camera.fov);
            break;
        case 8002:
            ok = f32(length, camera.farPlane);
            break;
        case 8003:
            ok = f32(length, camera.nearPlane);
            break;
        case 8004:
            ok = array(length, camera.fovAnimation);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::light(SPODLight& light) {
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case 2011 | kEnd:
            return true;
        case 7000:
            ok = i32(length, light.targetIndex);
            break;
        case 7001:
            ok = vec3(length, light.colour);
            break;
        case 7002:
            ok = u32(length, light.type);
            break;
        case 7003:
            ok = f32(length, light.constantAttenuation);
            break;
        case 7004:
            ok = f32(length, light.linearAttenuation);
            break;
        case 7005:
            ok = f32(length, light.quadraticAttenuation);
            break;
        case 7006:
            ok = f32(length, light.falloffAngle);
            break;
        case 7007:
            ok = f32(length, light.falloffExponent);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::mesh(SPODMesh& mesh) {
    mesh.unpackMatrix = PVRTMat4::identity();
    // Once the interleaved block is in, the vertex streams hold offsets into
    // it; the faces always carry their own indices.
    bool interleaved = false;
    uint32_t channels = 0;
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case 2012 | kEnd:
            return channels == mesh.numUVW;
        case 6000:
            ok = u32(length, mesh.numVertex);
            break;
        case 6001:
            ok = u32(length, mesh.numFaces);
            break;
        case 6002:
            ok = channels == 0 && u32(length, mesh.numUVW) &&
                 uint64_t(mesh.numUVW) * kSmallestRecord <= remaining();
            if (ok) {
                mesh.uvw.assign(mesh.numUVW, CPODData());
            }
            break;
        case 6003:
            ok = data(tag, mesh.faces, false);
            break;
        case 6004:
            ok = array(length, mesh.stripLength);
            break;
        case 6005:
            ok = u32(length, mesh.numStrips);
            break;
        case 6006:
            ok = data(tag, mesh.vertex, interleaved);
            break;
        case 6007:
            ok = data(tag, mesh.normals, interleaved);
            break;
        case 6008:
            ok = data(tag, mesh.tangents, interleaved);
            break;
        case 6009:
            ok = data(tag, mesh.binormals, interleaved);
            break;
        case 6010:
            ok = channels < mesh.uvw.size() && data(tag, mesh.uvw[channels++], interleaved);
            break;
        case 6011:
            ok = data(tag, mesh.vtxColours, interleaved);
            break;
        case 6012:
            ok = data(tag, mesh.boneIdx, interleaved);
            break;
        case 6013:
            ok = data(tag, mesh.boneWeight, interleaved);
            break;
        case 6014:
            ok = bytes(length, mesh.interleaved);
            interleaved = true;
            break;
        case 6015:
            ok = array(length, mesh.boneBatches);
            break;
        case 6016:
            ok = array(length, mesh.boneBatchBoneCounts);
            break;
        case 6017:
            ok = array(length, mesh.boneBatchOffsets);
            break;
        case 6018:
            ok = u32(length, mesh.boneBatchBoneMax);
            break;
        case 6019:
            ok = u32(length, mesh.boneBatchCount);
            break;
        case 6020:
            ok = floats(length, mesh.unpackMatrix.f, 16);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::node(SPODNode& node) {
    float position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float scale[7] = {1, 1, 1, 0, 0, 0, 0};
    bool hasStatic = false;
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case 2013 | kEnd:
            // Static values become one-key arrays unless the file also gave
            // keys, which then count as animation.
            if (hasStatic) {
                if (node.animPosition.empty()) {
                    node.animPosition.assign(position, position + 3);
                } else {
                    node.animationFlags |= kPODHasPositionAnimation;
                }
                if (node.animRotation.empty()) {
                    node.animRotation.assign(rotation, rotation + 4);
                } else {
                    node.animationFlags |= kPODHasRotationAnimation;
                }
                if (node.animScale.empty()) {
                    node.animScale.assign(scale, scale + 7);
                } else {
                    node.animationFlags |= kPODHasScaleAnimation;
                }
            }
            return true;
        case 5000:
            ok = i32(length, node.index);
            break;
        case 5001:
            ok = string(length, node.name);
            break;
        case 5002:
            ok = i32(length, node.materialIndex);
            break;
        case 5003:
            ok = i32(length, node.parentIndex);
            break;
        case 5004:
            ok = floats(length, position, 3);
            hasStatic = true;
            break;
        case 5005:
            ok = floats(length, rotation, 4);
            hasStatic = true;
            break;
        case 5006:
            ok = floats(length, scale, 3);
            hasStatic = true;
            break;
        case 5007:
            ok = array(length, node.animPosition);
            break;
        case 5008:
            ok = array(length, node.animRotation);
            break;
        case 5009:
            ok = array(length, node.animScale);
            break;
        case 5011:
            ok = array(length, node.animMatrix);
            break;
        case 5012:
            ok = u32(length, node.animationFlags);
            break;
        case 5013:
            ok = array(length, node.animPositionIdx);
            break;
        case 5014:
            ok = array(length, node.animRotationIdx);
            break;
        case 5015:
            ok = array(length, node.animScaleIdx);
            break;
        case 5016:
            ok = array(length, node.animMatrixIdx);
            break;
        case 5017:
            ok = bytes(length, node.userData);
            break;
        default:
            ok = skip(length); // the static matrix (5010) among them
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::texture(SPODTexture& texture) {
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case 2014 | kEnd:
            return true;
        case 4000:
            ok = string(length, texture.name);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

bool Reader::material(SPODMaterial& material) {
    material = SPODMaterial();
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        SPODMaterial& m = material;
        switch (tag) {
        case 2015 | kEnd:
            return true;
        case 3000:
            ok = string(length, m.name);
            break;
        case 3001:
            ok = i32(length, m.idxTexDiffuse);
            break;
        case 3002:
            ok = f32(length, m.opacity);
            break;
        case 3003:
            ok = vec3(length, m.ambient);
            break;
        case 3004:
            ok = vec3(length, m.diffuse);
            break;
        case 3005:
            ok = vec3(length, m.specular);
            break;
        case 3006:
            ok = f32(length, m.shininess);
            break;
        case 3007:
            ok = string(length, m.effectFile);
            break;
        case 3008:
            ok = string(length, m.effectName);
            break;
        case 3009:
            ok = i32(length, m.idxTexAmbient);
            break;
        case 3010:
            ok = i32(length, m.idxTexSpecularColour);
            break;
        case 3011:
            ok = i32(length, m.idxTexSpecularLevel);
            break;
        case 3012:
            ok = i32(length, m.idxTexBump);
            break;
        case 3013:
            ok = i32(length, m.idxTexEmissive);
            break;
        case 3014:
            ok = i32(length, m.idxTexGlossiness);
            break;
        case 3015:
            ok = i32(length, m.idxTexOpacity);
            break;
        case 3016:
            ok = i32(length, m.idxTexReflection);
            break;
        case 3017:
            ok = i32(length, m.idxTexRefraction);
            break;
        case 3018:
            ok = u32(length, m.blendSrcRGB);
            break;
        case 3019:
            ok = u32(length, m.blendSrcA);
            break;
        case 3020:
            ok = u32(length, m.blendDstRGB);
            break;
        case 3021:
            ok = u32(length, m.blendDstA);
            break;
        case 3022:
            ok = u32(length, m.blendOpRGB);
            break;
        case 3023:
            ok = u32(length, m.blendOpA);
            break;
        case 3024:
            ok = vec4(length, m.blendColour);
            break;
        case 3025:
            ok = vec4(length, m.blendFactor);
            break;
        case 3026:
            ok = u32(length, m.flags);
            break;
        case 3027:
            ok = bytes(length, m.userData);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

// Allocates `count` records of a kind, refusing a count whose records could
// not fit in what is left of the file (a huge count would otherwise allocate
// gigabytes before the first record is read) and a second count once
// records of that kind have been read.
template <typename T>
bool allocate(Reader& reader, uint32_t length, uint32_t& count, std::vector<T>& records, uint32_t read) {
    if (read != 0 || !reader.u32(length, count) || uint64_t(count) * kSmallestRecord > reader.remaining()) {
        return false;
    }
    records.assign(count, T());
    return true;
}

// The next record of a kind, or false when all declared ones were read.
template <typename T, typename Read> bool next(std::vector<T>& records, uint32_t& read, Read readRecord) {
    return read < records.size() && readRecord(records[read++]);
}

bool Reader::scene(SPODScene& s) {
    s.fps = 30;
    uint32_t cameras = 0, lights = 0, meshes = 0, nodes = 0, textures = 0, materials = 0;
    uint32_t tag = 0;
    uint32_t length = 0;
    while (marker(tag, length)) {
        bool ok = true;
        switch (tag) {
        case kTagScene | kEnd:
            return cameras == s.numCamera && lights == s.numLight && meshes == s.numMesh &&
                   nodes == s.numNode && textures == s.numTexture && materials == s.numMaterial;
        case 2000:
            ok = vec3(length, s.colourBackground);
            break;
        case 2001:
            ok = vec3(length, s.colourAmbient);
            break;
        case 2002:
            ok = allocate(*this, length, s.numCamera, s.cameras, cameras);
            break;
        case 2003:
            ok = allocate(*this, length, s.numLight, s.lights, lights);
            break;
        case 2004:
            ok = allocate(*this, length, s.numMesh, s.meshes, meshes);
            break;
        case 2005:
            ok = allocate(*this, length, s.numNode, s.nodes, nodes);
            break;
        case 2006:
            ok = u32(length, s.numMeshNode);
            break;
        case 2007:
            ok = allocate(*this, length, s.numTexture, s.textures, textures);
            break;
        case 2008:
            ok = allocate(*this, length, s.numMaterial, s.materials, materials);
            break;
        case 2009:
            ok = u32(length, s.numFrame);
            break;
        case 2010:
            ok = next(s.cameras, cameras, [this](SPODCamera& r) { return camera(r); });
            break;
        case 2011:
            ok = next(s.lights, lights, [this](SPODLight& r) { return light(r); });
            break;
        case 2012:
            ok = next(s.meshes, meshes, [this](SPODMesh& r) { return mesh(r); });
            break;
        case 2013:
            ok = next(s.nodes, nodes, [this](SPODNode& r) { return node(r); });
            break;
        case 2014:
            ok = next(s.textures, textures, [this](SPODTexture& r) { return texture(r); });
            break;
        case 2015:
            ok = next(s.materials, materials, [this](SPODMaterial& r) { return material(r); });
            break;
        case 2016:
            ok = u32(length, s.flags);
            break;
        case 2017:
            ok = u32(length, s.fps);
            break;
        case 2018:
            ok = bytes(length, s.userData);
            break;
        default:
            ok = skip(length);
        }
        if (!ok) {
            return false;
        }
    }
    return false;
}

// The end of a file with both its version and its scene: fixed-point data
// is refused whichever way the file ended, then the scene must hang
// together before its transforms are prepared.
bool finish(SPODScene& scene, bool complete) {
    if (!complete) {
        return false;
    }
    if ((scene.flags & 1u) != 0) {
        ZQ::logToStderr(
            "Error: The POD file is in fixed point format but the tools haven't been compiled with fixed "
            "point enabled.\n");
        return false;
    }
    if (!validatePODScene(scene)) {
        return false;
    }
    scene.setFrame(0);
    return true;
}

} // namespace

bool readPOD(CSource& source, SPODScene& scene) {
    scene = SPODScene();
    Reader reader(source);
    bool version = false;
    bool sceneRead = false;
    uint32_t tag = 0;
    uint32_t length = 0;
    while (reader.marker(tag, length)) {
        switch (tag) {
        case kTagVersion: {
            char text[sizeof(kVersion)];
            if (length != sizeof(kVersion) || !source.read(text, length) ||
                std::memcmp(text, kVersion, sizeof(kVersion)) != 0) {
                return false;
            }
            version = true;
            break;
        }
        case kTagScene:
            // A second scene would be read over the first.
            if (sceneRead || !reader.scene(scene)) {
                return false;
            }
            sceneRead = true;
            break;
        case kTagScene | kEnd:
            return finish(scene, version && sceneRead);
        case kTagSwappedVersion:
            ZQ::logToStderr("Error: Endianness mismatch between the .pod file and the platform.\n");
            return false;
        default:
            if (!reader.skip(length)) {
                return false;
            }
        }
    }
    return finish(scene, version && sceneRead);
}
