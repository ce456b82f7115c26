#include "PodWriter.h"

#include <cstring>

namespace PodWriter {

namespace {

template <typename T> std::vector<uint8_t> asBytes(const std::vector<T>& values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    if (!bytes.empty())
        std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

DataStream floatStream(uint32_t components, const std::vector<float>& values) {
    return {kFloat, components, components * 4, asBytes(values), 0};
}

// A square of two triangles drawn from separate streams.
Mesh separateStreamsMesh() {
    Mesh mesh;
    mesh.vertexCount = 4;
    mesh.faceCount = 2;
    mesh.faces = {kUnsignedShort, 1, 2, asBytes(std::vector<uint16_t>{0, 1, 2, 2, 1, 3}), 0};
    mesh.vertices = floatStream(3, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0});
    mesh.normals = floatStream(3, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
    mesh.tangents = floatStream(3, {1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0});
    mesh.binormals = floatStream(3, {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0});
    mesh.uvws.push_back(floatStream(2, {0, 0, 1, 0, 0, 1, 1, 1}));
    mesh.uvws.push_back(floatStream(2, {0.5f, 0.5f, 1, 0.5f, 0.5f, 1, 1, 1}));
    mesh.colours = {kRGBA, 4, 4, asBytes(std::vector<uint8_t>(16, 200)), 0};
    mesh.boneIndices = {kUnsignedByte, 1, 1, {0, 1, 0, 1}, 0};
    mesh.boneWeights = floatStream(1, {1, 0.5f, 0.25f, 1});
    mesh.boneBatches = {0, 1};
    mesh.boneBatchBoneCounts = {2};
    mesh.boneBatchOffsets = {0};
    mesh.boneBatchBoneMax = 2;
    mesh.boneBatchCount = 1;
    mesh.unpackMatrix = std::array<float, 16>{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 1, 1, 1};
    return mesh;
}

// A strip of two triangles, vertices interleaved with a texture channel.
Mesh interleavedStripMesh() {
    Mesh mesh = interleavedMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1},
                                {0, 1, 2, 3});
    mesh.faceCount = 2;
    mesh.stripCount = 1;
    mesh.stripLengths = {2};
    mesh.uvws.push_back({kFloat, 2, 24, {}, 12});
    return mesh;
}

} // namespace

Scene sampleScene() {
    Scene scene;
    scene.background = {0.1f, 0.2f, 0.3f};
    scene.ambient = {0.4f, 0.5f, 0.6f};
    scene.cameras.push_back({3, 0.8f, 500, 2, {0.8f, 0.9f, 1.0f}});
    scene.cameras.push_back({-1, 1.1f, 90, 0.5f, {}});
    scene.lights.push_back({4, {1, 0.9f, 0.8f}, 1, 1.5f, 0.25f, 0.125f, 0.7f, 2});
    scene.lights.push_back({-1, {0.1f, 0.2f, 0.3f}, 2, 1, 0, 0, 0, 0});
    scene.meshes.push_back(separateStreamsMesh());
    scene.meshes.push_back(interleavedStripMesh());

    Node animated;
    animated.index = 0;
    animated.name = "square";
    animated.materialIndex = 1;
    animated.animationFlags = 0x01 | 0x02 | 0x04;
    animated.position = {0, 0, 0, 1, 2, 3};
    animated.rotation = {0, 0, 0, 1, 0, 0, 0.70710678f, 0.70710678f};
    animated.scale = {1, 1, 1, 0, 0, 0, 0, 2, 2, 2, 0, 0, 0, 0};
    animated.userData = {1, 2, 3};
    Node child;
    child.index = 1;
    child.name = "strip";
    child.materialIndex = 0;
    child.parentIndex = 0;
    child.staticPosition = std::array<float, 3>{5, 0, 0};
    child.staticRotation = std::array<float, 4>{0, 0, 0, 1};
    child.staticScale = std::array<float, 3>{1, 2, 3};
    Node cameraNode;
    cameraNode.index = 0;
    cameraNode.name = "camera";
    cameraNode.animationFlags = 0x08;
    cameraNode.matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1};
    cameraNode.matrixIndex = {0};
    cameraNode.positionIndex = {0, 3};
    cameraNode.rotationIndex = {0, 4};
    cameraNode.scaleIndex = {0, 7};
    scene.nodes = {animated, child, cameraNode};
    scene.meshNodeCount = 2;

    scene.textures.push_back({"stone"});
    scene.textures.push_back({"wood"});
    Material plain;
    plain.name = "plain";
    Material rich;
    rich.name = "rich";
    for (int32_t i = 0; i < 10; ++i)
        rich.textures[static_cast<std::size_t>(i)] = i % 2;
    rich.opacity = 0.5f;
    rich.ambient = {0.1f, 0.1f, 0.2f};
    rich.diffuse = {0.7f, 0.6f, 0.5f};
    rich.specular = {0.9f, 0.9f, 0.9f};
    rich.shininess = 0.3f;
    rich.effectFile = "effects.pfx";
    rich.effectName = "Gloss";
    rich.blendSourceColour = 0x0302;
    rich.blendSourceAlpha = 0x0302;
    rich.blendDestinationColour = 0x0303;
    rich.blendDestinationAlpha = 0x0303;
    rich.blendOperationColour = 0x800A;
    rich.blendOperationAlpha = 0x800B;
    rich.blendColour = {0.1f, 0.2f, 0.3f, 0.4f};
    rich.blendFactor = {0.5f, 0.6f, 0.7f, 0.8f};
    rich.flags = 1;
    rich.userData = {9, 8, 7, 6};
    scene.materials = {plain, rich};

    scene.frameCount = 2;
    scene.framesPerSecond = 24;
    scene.userData = {42, 43};
    return scene;
}

} // namespace PodWriter
