#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writes POD scene files ("AB.POD.2.0") from an in-memory scene: the model
// reader's test fixtures, the fuzzer's seed corpus and the bundle's models.
// It depends on nothing of the game, so a reader bug cannot hide behind a
// writer that shares its code. Every number is written little-endian.
namespace PodWriter {

// Element types of a data stream.
constexpr uint32_t kFloat = 1;
constexpr uint32_t kInt = 2;
constexpr uint32_t kUnsignedShort = 3;
constexpr uint32_t kRGBA = 4;
constexpr uint32_t kUnsignedByte = 10;
constexpr uint32_t kShort = 11;
constexpr uint32_t kUnsignedInt = 17;

// One vertex attribute or the face indices. `data` is written as the stream's
// own bytes; when its mesh has an interleaved block (and it is not the face
// stream) `offset` is written in its place: where the stream's first element
// lies inside that block. A stream with no components is not written.
struct DataStream {
    uint32_t type = kFloat;
    uint32_t components = 0;
    uint32_t stride = 0;
    std::vector<uint8_t> data;
    uint32_t offset = 0;
};

struct Mesh {
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    DataStream faces;
    std::vector<uint32_t> stripLengths;
    uint32_t stripCount = 0;
    DataStream vertices;
    DataStream normals;
    DataStream tangents;
    DataStream binormals;
    std::vector<DataStream> uvws; // one per texture-coordinate channel
    DataStream colours;
    DataStream boneIndices;
    DataStream boneWeights;
    // Written before the streams when not empty, which turns them into
    // offsets.
    std::vector<uint8_t> interleaved;
    std::vector<uint32_t> boneBatches;
    std::vector<uint32_t> boneBatchBoneCounts;
    std::vector<uint32_t> boneBatchOffsets;
    uint32_t boneBatchBoneMax = 0;
    uint32_t boneBatchCount = 0;
    std::optional<std::array<float, 16>> unpackMatrix;
};

struct Node {
    int32_t index = -1; // of the mesh, light or camera the node places
    std::string name;
    int32_t materialIndex = -1;
    int32_t parentIndex = -1;
    uint32_t animationFlags = 0;
    std::optional<std::array<float, 3>> staticPosition;
    std::optional<std::array<float, 4>> staticRotation; // quaternion x, y, z, w
    std::optional<std::array<float, 3>> staticScale;
    std::vector<float> position; // 3 a frame
    std::vector<float> rotation; // 4 a frame
    std::vector<float> scale;    // 7 a frame
    std::vector<float> matrix;   // 16 a frame
    std::vector<uint32_t> positionIndex;
    std::vector<uint32_t> rotationIndex;
    std::vector<uint32_t> scaleIndex;
    std::vector<uint32_t> matrixIndex;
    std::vector<uint8_t> userData;
};

struct Camera {
    int32_t targetIndex = -1;
    float fov = 0.7f;
    float farPlane = 1000.0f;
    float nearPlane = 1.0f;
    std::vector<float> fovAnimation;
};

struct Light {
    int32_t targetIndex = -1;
    std::array<float, 3> colour{1, 1, 1};
    uint32_t type = 0;
    float constantAttenuation = 1;
    float linearAttenuation = 0;
    float quadraticAttenuation = 0;
    float falloffAngle = 0;
    float falloffExponent = 0;
};

struct Texture {
    std::string name;
};

struct Material {
    std::string name;
    // Texture indices: diffuse, ambient, specular colour, specular level,
    // bump, emissive, glossiness, opacity, reflection, refraction.
    std::array<int32_t, 10> textures{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    float opacity = 1;
    std::array<float, 3> ambient{0, 0, 0};
    std::array<float, 3> diffuse{1, 1, 1};
    std::array<float, 3> specular{0, 0, 0};
    float shininess = 0;
    std::string effectFile;
    std::string effectName;
    uint32_t blendSourceColour = 1;
    uint32_t blendSourceAlpha = 1;
    uint32_t blendDestinationColour = 0;
    uint32_t blendDestinationAlpha = 0;
    uint32_t blendOperationColour = 0x8006;
    uint32_t blendOperationAlpha = 0x8006;
    std::array<float, 4> blendColour{0, 0, 0, 0};
    std::array<float, 4> blendFactor{0, 0, 0, 0};
    uint32_t flags = 0;
    std::vector<uint8_t> userData;
};

struct Scene {
    std::array<float, 3> background{0, 0, 0};
    std::array<float, 3> ambient{0, 0, 0};
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    std::vector<Mesh> meshes;
    std::vector<Node> nodes; // the mesh nodes first
    uint32_t meshNodeCount = 0;
    std::vector<Texture> textures;
    std::vector<Material> materials;
    uint32_t frameCount = 0;
    uint32_t flags = 0;
    std::optional<uint32_t> framesPerSecond;
    std::vector<uint8_t> userData;
};

// Block-level writing, for the whole-file writer below and for tests that
// need a file no scene describes (wrong counts, cut blocks, foreign tags).
class BlockWriter {
public:
    void marker(uint32_t tag, uint32_t length);
    void begin(uint32_t tag) { marker(tag, 0); }
    void end(uint32_t tag) { marker(tag | 0x80000000u, 0); }
    void u32(uint32_t tag, uint32_t value);
    void i32(uint32_t tag, int32_t value) { u32(tag, static_cast<uint32_t>(value)); }
    void f32(uint32_t tag, float value) { floats(tag, &value, 1); }
    void floats(uint32_t tag, const float* values, std::size_t count);
    void words(uint32_t tag, const uint32_t* values, std::size_t count);
    void bytes(uint32_t tag, const void* data, std::size_t count);
    // The text and its zero byte.
    void string(uint32_t tag, const std::string& text);
    // Bytes outside any block.
    void raw(const void* data, std::size_t count);

    const std::vector<uint8_t>& data() const { return out; }

private:
    void word(uint32_t value);

    std::vector<uint8_t> out;
};

// The version block ("AB.POD.2.0" and its zero byte), as a file starts.
void writeVersion(BlockWriter& writer);
// One scene container, end marker included.
void writeScene(BlockWriter& writer, const Scene& scene);
void writeMesh(BlockWriter& writer, const Mesh& mesh);
void writeNode(BlockWriter& writer, const Node& node);

// A whole file: the version, then the scene.
std::vector<uint8_t> write(const Scene& scene);

// A mesh of one interleaved block: 3 position floats, then 3 normal floats a
// vertex (stride 24, normals at offset 12), and a plain triangle list of
// 16-bit indices. `positions` and `normals` hold 3 floats a vertex.
Mesh interleavedMesh(const std::vector<float>& positions, const std::vector<float>& normals,
                     const std::vector<uint16_t>& indices);
// A scene of the given meshes, each placed by one root node at the origin
// named `name` (followed by the mesh's number when there are several).
Scene meshScene(std::vector<Mesh> meshes, const std::string& name);

// A small scene with every block kind and every field away from its default:
// two cameras, two lights, a mesh of separate streams with two texture
// channels, an interleaved mesh of triangle strips, three nodes (one animated,
// one child, one static), two textures and two materials.
Scene sampleScene();

// Writes `bytes` to `path`; false when the file cannot be written.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace PodWriter
