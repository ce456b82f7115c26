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

    // Reads the chunks of one block up to its end marker `end`, each through
    // `chunk(tag, length)`, which reads or skips it and answers whether it
    // was sound; false for a bad chunk, or a file that ends first.
    template <typename Chunk> bool block(uint32_t end, Chunk chunk) {
        uint32_t tag = 0;
        uint32_t length = 0;
        while (marker(tag, length)) {
            if (tag == end) {
                return true;
            }
            if (!chunk(tag, length)) {
                return false;
            }
        }
        return false;
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
    const bool read = block(tag | kEnd, [&](uint32_t sub, uint32_t length) {
        switch (sub) {
        case 9000:
            return u32(length, stream.type);
        case 9001:
            return u32(length, stream.components);
        case 9002:
            return u32(length, stream.stride);
        case 9003:
            return asOffset ? u32(length, stream.offset) : bytes(length, stream.data);
        default:
            return skip(length);
        }
    });
    // The data must be whole elements of a type the format knows.
    const uint32_t width = podElementWidth(stream.type);
    return read && (stream.data.empty() || (width != 0 && stream.data.size() % width == 0));
}

bool Reader::camera(SPODCamera& camera) {
    return block(2010 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 8000:
            return i32(length, camera.targetIndex);
        case 8001:
            return f32(length, camera.fov);
        case 8002:
            return f32(length, camera.farPlane);
        case 8003:
            return f32(length, camera.nearPlane);
        case 8004:
            return array(length, camera.fovAnimation);
        default:
            return skip(length);
        }
    });
}

bool Reader::light(SPODLight& light) {
    return block(2011 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 7000:
            return i32(length, light.targetIndex);
        case 7001:
            return vec3(length, light.colour);
        case 7002:
            return u32(length, light.type);
        case 7003:
            return f32(length, light.constantAttenuation);
        case 7004:
            return f32(length, light.linearAttenuation);
        case 7005:
            return f32(length, light.quadraticAttenuation);
        case 7006:
            return f32(length, light.falloffAngle);
        case 7007:
            return f32(length, light.falloffExponent);
        default:
            return skip(length);
        }
    });
}

bool Reader::mesh(SPODMesh& mesh) {
    mesh.unpackMatrix = PVRTMat4::identity();
    // Once the interleaved block is in, the vertex streams hold offsets into
    // it; the faces always carry their own indices.
    bool interleaved = false;
    uint32_t channels = 0;
    const bool read = block(2012 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 6000:
            return u32(length, mesh.numVertex);
        case 6001:
            return u32(length, mesh.numFaces);
        case 6002:
            if (channels != 0 || !u32(length, mesh.numUVW) ||
                uint64_t(mesh.numUVW) * kSmallestRecord > remaining()) {
                return false;
            }
            mesh.uvw.assign(mesh.numUVW, CPODData());
            return true;
        case 6003:
            return data(tag, mesh.faces, false);
        case 6004:
            return array(length, mesh.stripLength);
        case 6005:
            return u32(length, mesh.numStrips);
        case 6006:
            return data(tag, mesh.vertex, interleaved);
        case 6007:
            return data(tag, mesh.normals, interleaved);
        case 6008:
            return data(tag, mesh.tangents, interleaved);
        case 6009:
            return data(tag, mesh.binormals, interleaved);
        case 6010:
            return channels < mesh.uvw.size() && data(tag, mesh.uvw[channels++], interleaved);
        case 6011:
            return data(tag, mesh.vtxColours, interleaved);
        case 6012:
            return data(tag, mesh.boneIdx, interleaved);
        case 6013:
            return data(tag, mesh.boneWeight, interleaved);
        case 6014:
            interleaved = true;
            return bytes(length, mesh.interleaved);
        case 6015:
            return array(length, mesh.boneBatches);
        case 6016:
            return array(length, mesh.boneBatchBoneCounts);
        case 6017:
            return array(length, mesh.boneBatchOffsets);
        case 6018:
            return u32(length, mesh.boneBatchBoneMax);
        case 6019:
            return u32(length, mesh.boneBatchCount);
        case 6020:
            return floats(length, mesh.unpackMatrix.f, 16);
        default:
            return skip(length);
        }
    });
    return read && channels == mesh.numUVW;
}

bool Reader::node(SPODNode& node) {
    float position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float scale[7] = {1, 1, 1, 0, 0, 0, 0};
    bool hasStatic = false;
    const bool read = block(2013 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 5000:
            return i32(length, node.index);
        case 5001:
            return string(length, node.name);
        case 5002:
            return i32(length, node.materialIndex);
        case 5003:
            return i32(length, node.parentIndex);
        case 5004:
            hasStatic = true;
            return floats(length, position, 3);
        case 5005:
            hasStatic = true;
            return floats(length, rotation, 4);
        case 5006:
            hasStatic = true;
            return floats(length, scale, 3);
        case 5007:
            return array(length, node.animPosition);
        case 5008:
            return array(length, node.animRotation);
        case 5009:
            return array(length, node.animScale);
        case 5011:
            return array(length, node.animMatrix);
        case 5012:
            return u32(length, node.animationFlags);
        case 5013:
            return array(length, node.animPositionIdx);
        case 5014:
            return array(length, node.animRotationIdx);
        case 5015:
            return array(length, node.animScaleIdx);
        case 5016:
            return array(length, node.animMatrixIdx);
        case 5017:
            return bytes(length, node.userData);
        default:
            return skip(length); // the static matrix (5010) among them
        }
    });
    if (!read) {
        return false;
    }
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
}

bool Reader::texture(SPODTexture& texture) {
    return block(2014 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 4000:
            return string(length, texture.name);
        default:
            return skip(length);
        }
    });
}

bool Reader::material(SPODMaterial& material) {
    material = SPODMaterial();
    SPODMaterial& m = material;
    return block(2015 | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 3000:
            return string(length, m.name);
        case 3001:
            return i32(length, m.idxTexDiffuse);
        case 3002:
            return f32(length, m.opacity);
        case 3003:
            return vec3(length, m.ambient);
        case 3004:
            return vec3(length, m.diffuse);
        case 3005:
            return vec3(length, m.specular);
        case 3006:
            return f32(length, m.shininess);
        case 3007:
            return string(length, m.effectFile);
        case 3008:
            return string(length, m.effectName);
        case 3009:
            return i32(length, m.idxTexAmbient);
        case 3010:
            return i32(length, m.idxTexSpecularColour);
        case 3011:
            return i32(length, m.idxTexSpecularLevel);
        case 3012:
            return i32(length, m.idxTexBump);
        case 3013:
            return i32(length, m.idxTexEmissive);
        case 3014:
            return i32(length, m.idxTexGlossiness);
        case 3015:
            return i32(length, m.idxTexOpacity);
        case 3016:
            return i32(length, m.idxTexReflection);
        case 3017:
            return i32(length, m.idxTexRefraction);
        case 3018:
            return u32(length, m.blendSrcRGB);
        case 3019:
            return u32(length, m.blendSrcA);
        case 3020:
            return u32(length, m.blendDstRGB);
        case 3021:
            return u32(length, m.blendDstA);
        case 3022:
            return u32(length, m.blendOpRGB);
        case 3023:
            return u32(length, m.blendOpA);
        case 3024:
            return vec4(length, m.blendColour);
        case 3025:
            return vec4(length, m.blendFactor);
        case 3026:
            return u32(length, m.flags);
        case 3027:
            return bytes(length, m.userData);
        default:
            return skip(length);
        }
    });
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
    const bool read = block(kTagScene | kEnd, [&](uint32_t tag, uint32_t length) {
        switch (tag) {
        case 2000:
            return vec3(length, s.colourBackground);
        case 2001:
            return vec3(length, s.colourAmbient);
        case 2002:
            return allocate(*this, length, s.numCamera, s.cameras, cameras);
        case 2003:
            return allocate(*this, length, s.numLight, s.lights, lights);
        case 2004:
            return allocate(*this, length, s.numMesh, s.meshes, meshes);
        case 2005:
            return allocate(*this, length, s.numNode, s.nodes, nodes);
        case 2006:
            return u32(length, s.numMeshNode);
        case 2007:
            return allocate(*this, length, s.numTexture, s.textures, textures);
        case 2008:
            return allocate(*this, length, s.numMaterial, s.materials, materials);
        case 2009:
            return u32(length, s.numFrame);
        case 2010:
            return next(s.cameras, cameras, [this](SPODCamera& r) { return camera(r); });
        case 2011:
            return next(s.lights, lights, [this](SPODLight& r) { return light(r); });
        case 2012:
            return next(s.meshes, meshes, [this](SPODMesh& r) { return mesh(r); });
        case 2013:
            return next(s.nodes, nodes, [this](SPODNode& r) { return node(r); });
        case 2014:
            return next(s.textures, textures, [this](SPODTexture& r) { return texture(r); });
        case 2015:
            return next(s.materials, materials, [this](SPODMaterial& r) { return material(r); });
        case 2016:
            return u32(length, s.flags);
        case 2017:
            return u32(length, s.fps);
        case 2018:
            return bytes(length, s.userData);
        default:
            return skip(length);
        }
    });
    return read && cameras == s.numCamera && lights == s.numLight && meshes == s.numMesh &&
           nodes == s.numNode && textures == s.numTexture && materials == s.numMaterial;
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
