#pragma once

#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

class CSource;

// The in-memory scene of a POD model file ("AB.POD.2.0"): cameras, lights,
// meshes with their vertex streams, nodes with their transforms, textures
// and materials. Arrays a file leaves out stay empty; strings keep the bytes
// the file stored, their zero byte included.
//
// Ownership: the scene owns every array (plain values). Main thread, or one
// thread per scene.

// Element types of a data stream.
enum class EPVRTDataType : uint32_t {
    None = 0,
    Float = 1,
    Int = 2,
    UnsignedShort = 3,
    RGBA = 4,
    ARGB = 5,
    D3DCOLOR = 6,
    UBYTE4 = 7,
    DEC3N = 8,
    Fixed16_16 = 9,
    UnsignedByte = 10,
    Short = 11,
    ShortNorm = 12,
    Byte = 13,
    ByteNorm = 14,
    UnsignedByteNorm = 15,
    UnsignedShortNorm = 16,
    UnsignedInt = 17,
    ABGR = 18,
};

// Bytes of one element of `type` as the file stores it (4, 2 or 1), or 0 for
// a type the format does not know.
uint32_t podElementWidth(uint32_t type);

// One vertex attribute or the face indices. `data` holds the stream's own
// bytes; a stream that lives in its mesh's interleaved block has no data and
// its first element at `offset` inside that block.
struct CPODData {
    uint32_t type = 0;
    uint32_t components = 0;
    uint32_t stride = 0;
    std::vector<uint8_t> data;
    uint32_t offset = 0;
};

struct SPODCamera {
    int32_t targetIndex = -1; // a node, or -1
    float fov = 0;
    float farPlane = 0;
    float nearPlane = 0;
    std::vector<float> fovAnimation;
};

struct SPODLight {
    int32_t targetIndex = -1; // a node, or -1
    PVRTVec3 colour;
    uint32_t type = 0;
    float constantAttenuation = 0;
    float linearAttenuation = 0;
    float quadraticAttenuation = 0;
    float falloffAngle = 0;
    float falloffExponent = 0;
};

struct SPODMesh {
    uint32_t numVertex = 0;
    uint32_t numFaces = 0;
    uint32_t numUVW = 0; // declared texture-coordinate channels
    CPODData faces;
    std::vector<uint32_t> stripLength;
    uint32_t numStrips = 0;
    CPODData vertex;
    CPODData normals;
    CPODData tangents;
    CPODData binormals;
    std::vector<CPODData> uvw; // numUVW channels
    CPODData vtxColours;
    CPODData boneIdx;
    CPODData boneWeight;
    std::vector<uint8_t> interleaved;
    std::vector<uint32_t> boneBatches;
    std::vector<uint32_t> boneBatchBoneCounts;
    std::vector<uint32_t> boneBatchOffsets;
    uint32_t boneBatchBoneMax = 0;
    uint32_t boneBatchCount = 0;
    PVRTMat4 unpackMatrix = PVRTMat4::identity();

    // Indices a draw of the whole mesh takes: 3 a triangle for a plain list,
    // faces + 2 x strips for strips. 64-bit, so no count wraps.
    uint64_t indexCount() const;
};

// Animation flags of a node.
constexpr uint32_t kPODHasPositionAnimation = 0x01;
constexpr uint32_t kPODHasRotationAnimation = 0x02;
constexpr uint32_t kPODHasScaleAnimation = 0x04;
constexpr uint32_t kPODHasMatrixAnimation = 0x08;

struct SPODNode {
    int32_t index = 0; // of the mesh, light or camera placed
    std::vector<char> name;
    // A node whose file gives no material or parent has none.
    int32_t materialIndex = -1;
    int32_t parentIndex = -1;
    uint32_t animationFlags = 0;
    std::vector<float> animPosition; // 3 a key
    std::vector<float> animRotation; // 4 a key: quaternion x, y, z, w
    std::vector<float> animScale;    // 7 a key, the scale first
    std::vector<float> animMatrix;   // 16 a key
    std::vector<uint32_t> animPositionIdx;
    std::vector<uint32_t> animRotationIdx;
    std::vector<uint32_t> animScaleIdx;
    std::vector<uint32_t> animMatrixIdx;
    std::vector<uint8_t> userData;
};

struct SPODTexture {
    std::vector<char> name;
};

struct SPODMaterial {
    std::vector<char> name;
    int32_t idxTexDiffuse = -1;
    int32_t idxTexAmbient = -1;
    int32_t idxTexSpecularColour = -1;
    int32_t idxTexSpecularLevel = -1;
    int32_t idxTexBump = -1;
    int32_t idxTexEmissive = -1;
    int32_t idxTexGlossiness = -1;
    int32_t idxTexOpacity = -1;
    int32_t idxTexReflection = -1;
    int32_t idxTexRefraction = -1;
    float opacity = 0;
    PVRTVec3 ambient;
    PVRTVec3 diffuse;
    PVRTVec3 specular;
    float shininess = 0;
    std::vector<char> effectFile;
    std::vector<char> effectName;
    uint32_t blendSrcRGB = 1;
    uint32_t blendSrcA = 1;
    uint32_t blendDstRGB = 0;
    uint32_t blendDstA = 0;
    uint32_t blendOpRGB = 0x8006;
    uint32_t blendOpA = 0x8006;
    PVRTVec4 blendColour;
    PVRTVec4 blendFactor;
    uint32_t flags = 0;
    std::vector<uint8_t> userData;
};

struct SPODScene {
    PVRTVec3 colourBackground;
    PVRTVec3 colourAmbient;
    uint32_t numCamera = 0;
    uint32_t numLight = 0;
    uint32_t numMesh = 0;
    uint32_t numNode = 0;
    uint32_t numMeshNode = 0;
    uint32_t numTexture = 0;
    uint32_t numMaterial = 0;
    uint32_t numFrame = 0;
    uint32_t flags = 0;
    uint32_t fps = 30;
    std::vector<uint8_t> userData;
    std::vector<SPODCamera> cameras;
    std::vector<SPODLight> lights;
    std::vector<SPODMesh> meshes;
    std::vector<SPODNode> nodes;
    std::vector<SPODTexture> textures;
    std::vector<SPODMaterial> materials;

    // The animation position: key `frame`, a fraction `blend` of the way to
    // the next key.
    int32_t frame = 0;
    float blend = 0;
    // Each node's world matrix at the current frame (its own transform after
    // its parents'), filled by a successful read and by setFrame.
    std::vector<PVRTMat4> worldCache;

    // Moves the animation to `time` in keys (2.5 is halfway from key 2 to
    // 3), clamped to the file's keys, and refreshes the world matrices.
    void setFrame(float time);

    // A node's own transform at the current frame, each part as its flags
    // and arrays give it: the static value when not animated, the identity's
    // part when the node holds no data. `node` must be below numNode.
    PVRTVec3 nodePosition(uint32_t node) const;
    PVRTQuaternion nodeRotation(uint32_t node) const;
    PVRTVec3 nodeScale(uint32_t node) const;
    // translation x rotation x scale.
    PVRTMat4 nodeMatrix(uint32_t node) const;
};

// The rotation of quaternion q (x, y, z, w) as the game's model files and
// layouts turn: by columns (1 - 2(y² + z²), 2(xy - zw), 2(xz + yw), 0),
// (2(xy + zw), 1 - 2(x² + z²), 2(yz - xw), 0), (2(xz - yw), 2(yz + xw),
// 1 - 2(x² + y²), 0), (0, 0, 0, 1).
PVRTMat4 podRotationMatrix(const PVRTQuaternion& q);

// Reads a whole POD file from `source` into `scene` (emptied first). True
// when the file is complete and consistent; false on anything else (cut
// blocks, lengths or counts that do not fit the file, bad indices, parent
// cycles, a byte-order or fixed-point file), with whatever was read left in
// the scene. Logs only the byte-order and fixed-point failures.
bool readPOD(CSource& source, SPODScene& scene);

// True when every index of a read scene points inside its arrays, no parent
// chain has a cycle and every node holds the keys its flags and the frame
// count promise: what readPOD checks before it computes any transform.
bool validatePODScene(const SPODScene& scene);
