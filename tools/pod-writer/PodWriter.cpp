#include "PodWriter.h"

#include <cstdio>
#include <cstring>

namespace PodWriter {

namespace {

constexpr char kVersion[] = "AB.POD.2.0";
static_assert(sizeof(kVersion) == 11, "the version block holds 11 bytes");

constexpr uint32_t kTagVersion = 1000;
constexpr uint32_t kTagScene = 1001;

void writeStream(BlockWriter& writer, uint32_t tag, const DataStream& stream, bool asOffset,
                 bool always = false) {
    if (stream.components == 0 && !always)
        return;
    writer.begin(tag);
    writer.u32(9000, stream.type);
    writer.u32(9001, stream.components);
    writer.u32(9002, stream.stride);
    if (asOffset)
        writer.u32(9003, stream.offset);
    else
        writer.bytes(9003, stream.data.data(), stream.data.size());
    writer.end(tag);
}

void writeCamera(BlockWriter& writer, const Camera& camera) {
    writer.begin(2010);
    writer.i32(8000, camera.targetIndex);
    writer.f32(8001, camera.fov);
    writer.f32(8002, camera.farPlane);
    writer.f32(8003, camera.nearPlane);
    if (!camera.fovAnimation.empty())
        writer.floats(8004, camera.fovAnimation.data(), camera.fovAnimation.size());
    writer.end(2010);
}

void writeLight(BlockWriter& writer, const Light& light) {
    writer.begin(2011);
    writer.i32(7000, light.targetIndex);
    writer.floats(7001, light.colour.data(), 3);
    writer.u32(7002, light.type);
    writer.f32(7003, light.constantAttenuation);
    writer.f32(7004, light.linearAttenuation);
    writer.f32(7005, light.quadraticAttenuation);
    writer.f32(7006, light.falloffAngle);
    writer.f32(7007, light.falloffExponent);
    writer.end(2011);
}

void writeTexture(BlockWriter& writer, const Texture& texture) {
    writer.begin(2014);
    writer.string(4000, texture.name);
    writer.end(2014);
}

void writeMaterial(BlockWriter& writer, const Material& material) {
    // Tags of the ten texture indices, in the order of Material::textures.
    constexpr uint32_t kTextureTags[] = {3001, 3009, 3010, 3011, 3012, 3013, 3014, 3015, 3016, 3017};
    static_assert(sizeof(kTextureTags) / sizeof(kTextureTags[0]) == 10, "one tag a texture index");
    writer.begin(2015);
    writer.string(3000, material.name);
    for (std::size_t i = 0; i < 10; ++i)
        writer.i32(kTextureTags[i], material.textures[i]);
    writer.f32(3002, material.opacity);
    writer.floats(3003, material.ambient.data(), 3);
    writer.floats(3004, material.diffuse.data(), 3);
    writer.floats(3005, material.specular.data(), 3);
    writer.f32(3006, material.shininess);
    if (!material.effectFile.empty())
        writer.string(3007, material.effectFile);
    if (!material.effectName.empty())
        writer.string(3008, material.effectName);
    writer.u32(3018, material.blendSourceColour);
    writer.u32(3019, material.blendSourceAlpha);
    writer.u32(3020, material.blendDestinationColour);
    writer.u32(3021, material.blendDestinationAlpha);
    writer.u32(3022, material.blendOperationColour);
    writer.u32(3023, material.blendOperationAlpha);
    writer.floats(3024, material.blendColour.data(), 4);
    writer.floats(3025, material.blendFactor.data(), 4);
    writer.u32(3026, material.flags);
    if (!material.userData.empty())
        writer.bytes(3027, material.userData.data(), material.userData.size());
    writer.end(2015);
}

} // namespace

void BlockWriter::word(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void BlockWriter::marker(uint32_t tag, uint32_t length) {
    word(tag);
    word(length);
}

void BlockWriter::u32(uint32_t tag, uint32_t value) {
    words(tag, &value, 1);
}

void BlockWriter::floats(uint32_t tag, const float* values, std::size_t count) {
    marker(tag, static_cast<uint32_t>(count * 4));
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        word(bits);
    }
}

void BlockWriter::words(uint32_t tag, const uint32_t* values, std::size_t count) {
    marker(tag, static_cast<uint32_t>(count * 4));
    for (std::size_t i = 0; i < count; ++i)
        word(values[i]);
}

void BlockWriter::bytes(uint32_t tag, const void* data, std::size_t count) {
    marker(tag, static_cast<uint32_t>(count));
    raw(data, count);
}

void BlockWriter::string(uint32_t tag, const std::string& text) {
    bytes(tag, text.c_str(), text.size() + 1);
}

void BlockWriter::raw(const void* data, std::size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + count);
}

void writeVersion(BlockWriter& writer) {
    writer.bytes(kTagVersion, kVersion, sizeof(kVersion));
}

void writeMesh(BlockWriter& writer, const Mesh& mesh) {
    const bool interleaved = !mesh.interleaved.empty();
    writer.begin(2012);
    writer.u32(6000, mesh.vertexCount);
    writer.u32(6001, mesh.faceCount);
    writer.u32(6002, static_cast<uint32_t>(mesh.uvws.size()));
    if (interleaved)
        writer.bytes(6014, mesh.interleaved.data(), mesh.interleaved.size());
    writeStream(writer, 6003, mesh.faces, false);
    if (!mesh.stripLengths.empty())
        writer.words(6004, mesh.stripLengths.data(), mesh.stripLengths.size());
    writer.u32(6005, mesh.stripCount);
    writeStream(writer, 6006, mesh.vertices, interleaved);
    writeStream(writer, 6007, mesh.normals, interleaved);
    writeStream(writer, 6008, mesh.tangents, interleaved);
    writeStream(writer, 6009, mesh.binormals, interleaved);
    // Every channel is written, even an empty one: the reader counts them.
    for (const DataStream& uvw : mesh.uvws)
        writeStream(writer, 6010, uvw, interleaved, true);
    writeStream(writer, 6011, mesh.colours, interleaved);
    writeStream(writer, 6012, mesh.boneIndices, interleaved);
    writeStream(writer, 6013, mesh.boneWeights, interleaved);
    if (!mesh.boneBatches.empty())
        writer.words(6015, mesh.boneBatches.data(), mesh.boneBatches.size());
    if (!mesh.boneBatchBoneCounts.empty())
        writer.words(6016, mesh.boneBatchBoneCounts.data(), mesh.boneBatchBoneCounts.size());
    if (!mesh.boneBatchOffsets.empty())
        writer.words(6017, mesh.boneBatchOffsets.data(), mesh.boneBatchOffsets.size());
    writer.u32(6018, mesh.boneBatchBoneMax);
    writer.u32(6019, mesh.boneBatchCount);
    if (mesh.unpackMatrix)
        writer.floats(6020, mesh.unpackMatrix->data(), 16);
    writer.end(2012);
}

void writeNode(BlockWriter& writer, const Node& node) {
    writer.begin(2013);
    writer.i32(5000, node.index);
    writer.string(5001, node.name);
    writer.i32(5002, node.materialIndex);
    writer.i32(5003, node.parentIndex);
    if (node.staticPosition)
        writer.floats(5004, node.staticPosition->data(), 3);
    if (node.staticRotation)
        writer.floats(5005, node.staticRotation->data(), 4);
    if (node.staticScale)
        writer.floats(5006, node.staticScale->data(), 3);
    if (!node.position.empty())
        writer.floats(5007, node.position.data(), node.position.size());
    if (!node.rotation.empty())
        writer.floats(5008, node.rotation.data(), node.rotation.size());
    if (!node.scale.empty())
        writer.floats(5009, node.scale.data(), node.scale.size());
    if (!node.matrix.empty())
        writer.floats(5011, node.matrix.data(), node.matrix.size());
    writer.u32(5012, node.animationFlags);
    if (!node.positionIndex.empty())
        writer.words(5013, node.positionIndex.data(), node.positionIndex.size());
    if (!node.rotationIndex.empty())
        writer.words(5014, node.rotationIndex.data(), node.rotationIndex.size());
    if (!node.scaleIndex.empty())
        writer.words(5015, node.scaleIndex.data(), node.scaleIndex.size());
    if (!node.matrixIndex.empty())
        writer.words(5016, node.matrixIndex.data(), node.matrixIndex.size());
    if (!node.userData.empty())
        writer.bytes(5017, node.userData.data(), node.userData.size());
    writer.end(2013);
}

void writeScene(BlockWriter& writer, const Scene& scene) {
    writer.begin(kTagScene);
    writer.floats(2000, scene.background.data(), 3);
    writer.floats(2001, scene.ambient.data(), 3);
    writer.u32(2002, static_cast<uint32_t>(scene.cameras.size()));
    writer.u32(2003, static_cast<uint32_t>(scene.lights.size()));
    writer.u32(2004, static_cast<uint32_t>(scene.meshes.size()));
    writer.u32(2005, static_cast<uint32_t>(scene.nodes.size()));
    writer.u32(2006, scene.meshNodeCount);
    writer.u32(2007, static_cast<uint32_t>(scene.textures.size()));
    writer.u32(2008, static_cast<uint32_t>(scene.materials.size()));
    writer.u32(2009, scene.frameCount);
    writer.u32(2016, scene.flags);
    if (scene.framesPerSecond)
        writer.u32(2017, *scene.framesPerSecond);
    if (!scene.userData.empty())
        writer.bytes(2018, scene.userData.data(), scene.userData.size());
    for (const Camera& camera : scene.cameras)
        writeCamera(writer, camera);
    for (const Light& light : scene.lights)
        writeLight(writer, light);
    for (const Mesh& mesh : scene.meshes)
        writeMesh(writer, mesh);
    for (const Node& node : scene.nodes)
        writeNode(writer, node);
    for (const Texture& texture : scene.textures)
        writeTexture(writer, texture);
    for (const Material& material : scene.materials)
        writeMaterial(writer, material);
    writer.end(kTagScene);
}

std::vector<uint8_t> write(const Scene& scene) {
    BlockWriter writer;
    writeVersion(writer);
    writeScene(writer, scene);
    return writer.data();
}

Mesh interleavedMesh(const std::vector<float>& positions, const std::vector<float>& normals,
                     const std::vector<uint16_t>& indices) {
    Mesh mesh;
    const std::size_t count = positions.size() / 3;
    mesh.vertexCount = static_cast<uint32_t>(count);
    mesh.faceCount = static_cast<uint32_t>(indices.size() / 3);
    mesh.interleaved.resize(count * 24);
    for (std::size_t v = 0; v < count; ++v) {
        std::memcpy(&mesh.interleaved[v * 24], &positions[v * 3], 12);
        if (v * 3 + 2 < normals.size())
            std::memcpy(&mesh.interleaved[v * 24 + 12], &normals[v * 3], 12);
    }
    mesh.vertices = {kFloat, 3, 24, {}, 0};
    mesh.normals = {kFloat, 3, 24, {}, 12};
    mesh.faces.type = kUnsignedShort;
    mesh.faces.components = 1;
    mesh.faces.stride = 2;
    mesh.faces.data.resize(indices.size() * 2);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        mesh.faces.data[i * 2] = static_cast<uint8_t>(indices[i]);
        mesh.faces.data[i * 2 + 1] = static_cast<uint8_t>(indices[i] >> 8);
    }
    return mesh;
}

Scene meshScene(std::vector<Mesh> meshes, const std::string& name) {
    Scene scene;
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        Node node;
        node.index = static_cast<int32_t>(i);
        node.name = meshes.size() == 1 ? name : name + std::to_string(i);
        node.staticPosition = std::array<float, 3>{0, 0, 0};
        scene.nodes.push_back(node);
    }
    scene.meshNodeCount = static_cast<uint32_t>(meshes.size());
    scene.meshes = std::move(meshes);
    scene.frameCount = 1;
    return scene;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace PodWriter
