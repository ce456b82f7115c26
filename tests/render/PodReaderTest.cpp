#include "PodFixtures.h"
#include "render/PVRTModelPOD.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using PodFixtures::read;
using namespace PodWriter;

std::vector<char> text(const std::string& s) {
    return std::vector<char>(s.c_str(), s.c_str() + s.size() + 1);
}

void expectStream(const CPODData& got, const DataStream& wanted, bool asOffset, const char* what) {
    SCOPED_TRACE(what);
    if (wanted.components == 0) {
        // Not written: the stream stays absent.
        EXPECT_EQ(got.components, 0u);
        EXPECT_TRUE(got.data.empty());
        return;
    }
    EXPECT_EQ(got.type, wanted.type);
    EXPECT_EQ(got.components, wanted.components);
    EXPECT_EQ(got.stride, wanted.stride);
    if (asOffset) {
        EXPECT_TRUE(got.data.empty());
        EXPECT_EQ(got.offset, wanted.offset);
    } else {
        EXPECT_EQ(got.data, wanted.data);
    }
}

void expectVec(const PVRTVec3& got, const std::array<float, 3>& wanted) {
    EXPECT_EQ(got.x, wanted[0]);
    EXPECT_EQ(got.y, wanted[1]);
    EXPECT_EQ(got.z, wanted[2]);
}

// The file as a scene writes it, with `tail` appended inside the scene just
// before its end marker.
std::vector<uint8_t> withInScene(const Scene& scene, const std::vector<uint8_t>& tail) {
    std::vector<uint8_t> bytes = write(scene);
    bytes.insert(bytes.end() - 8, tail.begin(), tail.end());
    return bytes;
}

TEST(PodReaderTest, ASceneWithEveryBlockKindComesBackFieldForField) {
    const Scene wanted = sampleScene();
    SPODScene got;
    ASSERT_TRUE(read(write(wanted), got));

    expectVec(got.colourBackground, wanted.background);
    expectVec(got.colourAmbient, wanted.ambient);
    EXPECT_EQ(got.numFrame, wanted.frameCount);
    EXPECT_EQ(got.fps, *wanted.framesPerSecond);
    EXPECT_EQ(got.flags, wanted.flags);
    EXPECT_EQ(got.userData, wanted.userData);
    EXPECT_EQ(got.numMeshNode, wanted.meshNodeCount);

    ASSERT_EQ(got.numCamera, wanted.cameras.size());
    for (std::size_t i = 0; i < wanted.cameras.size(); ++i) {
        const Camera& w = wanted.cameras[i];
        const SPODCamera& g = got.cameras[i];
        EXPECT_EQ(g.targetIndex, w.targetIndex);
        EXPECT_EQ(g.fov, w.fov);
        EXPECT_EQ(g.farPlane, w.farPlane);
        EXPECT_EQ(g.nearPlane, w.nearPlane);
        EXPECT_EQ(g.fovAnimation, w.fovAnimation);
    }
    ASSERT_EQ(got.numLight, wanted.lights.size());
    for (std::size_t i = 0; i < wanted.lights.size(); ++i) {
        const Light& w = wanted.lights[i];
        const SPODLight& g = got.lights[i];
        EXPECT_EQ(g.targetIndex, w.targetIndex);
        expectVec(g.colour, w.colour);
        EXPECT_EQ(g.type, w.type);
        EXPECT_EQ(g.constantAttenuation, w.constantAttenuation);
        EXPECT_EQ(g.linearAttenuation, w.linearAttenuation);
        EXPECT_EQ(g.quadraticAttenuation, w.quadraticAttenuation);
        EXPECT_EQ(g.falloffAngle, w.falloffAngle);
        EXPECT_EQ(g.falloffExponent, w.falloffExponent);
    }
    ASSERT_EQ(got.numMesh, wanted.meshes.size());
    for (std::size_t i = 0; i < wanted.meshes.size(); ++i) {
        SCOPED_TRACE("mesh " + std::to_string(i));
        const Mesh& w = wanted.meshes[i];
        const SPODMesh& g = got.meshes[i];
        const bool interleaved = !w.interleaved.empty();
        EXPECT_EQ(g.numVertex, w.vertexCount);
        EXPECT_EQ(g.numFaces, w.faceCount);
        EXPECT_EQ(g.numStrips, w.stripCount);
        EXPECT_EQ(g.stripLength, w.stripLengths);
        EXPECT_EQ(g.interleaved, w.interleaved);
        // Faces are always the mesh's own copy.
        expectStream(g.faces, w.faces, false, "faces");
        expectStream(g.vertex, w.vertices, interleaved, "vertices");
        expectStream(g.normals, w.normals, interleaved, "normals");
        expectStream(g.tangents, w.tangents, interleaved, "tangents");
        expectStream(g.binormals, w.binormals, interleaved, "binormals");
        expectStream(g.vtxColours, w.colours, interleaved, "colours");
        expectStream(g.boneIdx, w.boneIndices, interleaved, "bone indices");
        expectStream(g.boneWeight, w.boneWeights, interleaved, "bone weights");
        ASSERT_EQ(g.numUVW, w.uvws.size());
        ASSERT_EQ(g.uvw.size(), w.uvws.size());
        for (std::size_t c = 0; c < w.uvws.size(); ++c) {
            expectStream(g.uvw[c], w.uvws[c], interleaved, "texture channel");
        }
        EXPECT_EQ(g.boneBatches, w.boneBatches);
        EXPECT_EQ(g.boneBatchBoneCounts, w.boneBatchBoneCounts);
        EXPECT_EQ(g.boneBatchOffsets, w.boneBatchOffsets);
        EXPECT_EQ(g.boneBatchBoneMax, w.boneBatchBoneMax);
        EXPECT_EQ(g.boneBatchCount, w.boneBatchCount);
        const std::array<float, 16> unpack =
            w.unpackMatrix.value_or(std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
        EXPECT_EQ(std::vector<float>(g.unpackMatrix.f, g.unpackMatrix.f + 16),
                  std::vector<float>(unpack.begin(), unpack.end()));
    }
    ASSERT_EQ(got.numNode, wanted.nodes.size());
    for (std::size_t i = 0; i < wanted.nodes.size(); ++i) {
        SCOPED_TRACE("node " + std::to_string(i));
        const Node& w = wanted.nodes[i];
        const SPODNode& g = got.nodes[i];
        EXPECT_EQ(g.index, w.index);
        EXPECT_EQ(g.name, text(w.name));
        EXPECT_EQ(g.materialIndex, w.materialIndex);
        EXPECT_EQ(g.parentIndex, w.parentIndex);
        EXPECT_EQ(g.animMatrix, w.matrix);
        EXPECT_EQ(g.animPositionIdx, w.positionIndex);
        EXPECT_EQ(g.animRotationIdx, w.rotationIndex);
        EXPECT_EQ(g.animScaleIdx, w.scaleIndex);
        EXPECT_EQ(g.animMatrixIdx, w.matrixIndex);
        EXPECT_EQ(g.userData, w.userData);
        if (!w.staticPosition) {
            EXPECT_EQ(g.animPosition, w.position);
            EXPECT_EQ(g.animRotation, w.rotation);
            EXPECT_EQ(g.animScale, w.scale);
            EXPECT_EQ(g.animationFlags, w.animationFlags);
        }
    }
    ASSERT_EQ(got.numTexture, wanted.textures.size());
    for (std::size_t i = 0; i < wanted.textures.size(); ++i) {
        EXPECT_EQ(got.textures[i].name, text(wanted.textures[i].name));
    }
    ASSERT_EQ(got.numMaterial, wanted.materials.size());
    for (std::size_t i = 0; i < wanted.materials.size(); ++i) {
        SCOPED_TRACE("material " + std::to_string(i));
        const Material& w = wanted.materials[i];
        const SPODMaterial& g = got.materials[i];
        EXPECT_EQ(g.name, text(w.name));
        const int32_t indices[] = {g.idxTexDiffuse,       g.idxTexAmbient, g.idxTexSpecularColour,
                                   g.idxTexSpecularLevel, g.idxTexBump,    g.idxTexEmissive,
                                   g.idxTexGlossiness,    g.idxTexOpacity, g.idxTexReflection,
                                   g.idxTexRefraction};
        EXPECT_EQ(std::vector<int32_t>(indices, indices + 10),
                  std::vector<int32_t>(w.textures.begin(), w.textures.end()));
        EXPECT_EQ(g.opacity, w.opacity);
        expectVec(g.ambient, w.ambient);
        expectVec(g.diffuse, w.diffuse);
        expectVec(g.specular, w.specular);
        EXPECT_EQ(g.shininess, w.shininess);
        EXPECT_EQ(g.effectFile, w.effectFile.empty() ? std::vector<char>() : text(w.effectFile));
        EXPECT_EQ(g.effectName, w.effectName.empty() ? std::vector<char>() : text(w.effectName));
        EXPECT_EQ(g.blendSrcRGB, w.blendSourceColour);
        EXPECT_EQ(g.blendSrcA, w.blendSourceAlpha);
        EXPECT_EQ(g.blendDstRGB, w.blendDestinationColour);
        EXPECT_EQ(g.blendDstA, w.blendDestinationAlpha);
        EXPECT_EQ(g.blendOpRGB, w.blendOperationColour);
        EXPECT_EQ(g.blendOpA, w.blendOperationAlpha);
        EXPECT_EQ(g.blendColour.w, w.blendColour[3]);
        EXPECT_EQ(g.blendFactor.x, w.blendFactor[0]);
        EXPECT_EQ(g.flags, w.flags);
        EXPECT_EQ(g.userData, w.userData);
    }
}

TEST(PodReaderTest, StaticValuesBecomeOneKeyArraysUnlessKeysCameToo) {
    const Scene scene = sampleScene();
    SPODScene got;
    ASSERT_TRUE(read(write(scene), got));
    // Node 1 holds only static values: one key each, scale padded to seven.
    const SPODNode& still = got.nodes[1];
    EXPECT_EQ(still.animPosition, (std::vector<float>{5, 0, 0}));
    EXPECT_EQ(still.animRotation, (std::vector<float>{0, 0, 0, 1}));
    EXPECT_EQ(still.animScale, (std::vector<float>{1, 2, 3, 0, 0, 0, 0}));
    EXPECT_EQ(still.animationFlags, 0u);

    // A static position beside position keys turns the keys into animation.
    Scene both = meshScene(
        {PodFixtures::box(std::array<float, 3>{0, 0, 0}.data(), std::array<float, 3>{1, 1, 1}.data())},
        "both");
    both.nodes[0].position = {1, 2, 3};
    SPODScene keyed;
    ASSERT_TRUE(read(write(both), keyed));
    EXPECT_EQ(keyed.nodes[0].animPosition, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(keyed.nodes[0].animationFlags, kPODHasPositionAnimation);
    EXPECT_EQ(keyed.nodes[0].animRotation, (std::vector<float>{0, 0, 0, 1}));
}

TEST(PodReaderTest, EveryCutOfAValidFileFailsWithoutReadingPastIt) {
    const std::vector<uint8_t> whole = write(sampleScene());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        // Exactly `size` bytes on the heap, so a read past them is caught by
        // the address sanitizer.
        SPODScene scene;
        EXPECT_FALSE(
            read(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(size)), scene))
            << "cut at " << size;
    }
    SPODScene scene;
    EXPECT_TRUE(read(whole, scene));
}

TEST(PodReaderTest, TheVersionBlockMustHoldExactlyTheVersion) {
    const Scene scene = meshScene({}, "empty");
    for (const std::string& version : {std::string("AB.POD.2.0"), std::string("AB.POD.3.0"),
                                       std::string("AB.POD.2."), std::string("AB.POD.2.0x")}) {
        BlockWriter writer;
        writer.string(1000, version);
        writeScene(writer, scene);
        SPODScene got;
        EXPECT_EQ(read(writer.data(), got), version == "AB.POD.2.0") << version;
    }
    // The version written without its zero byte: 10 bytes.
    BlockWriter writer;
    writer.bytes(1000, "AB.POD.2.0", 10);
    writeScene(writer, scene);
    SPODScene got;
    EXPECT_FALSE(read(writer.data(), got));
    // No version at all.
    BlockWriter none;
    writeScene(none, scene);
    EXPECT_FALSE(read(none.data(), got));
}

TEST(PodReaderTest, ForeignTagsAreSkippedAndTheEndOfTheDataEndsTheFile) {
    const Scene scene = sampleScene();
    BlockWriter writer;
    writer.bytes(4242, "history", 8); // before the version
    writeVersion(writer);
    writeScene(writer, scene);
    writer.u32(77, 5); // after the scene
    SPODScene plain;
    SPODScene withHistory;
    ASSERT_TRUE(read(write(scene), plain));
    ASSERT_TRUE(read(writer.data(), withHistory));
    EXPECT_EQ(withHistory.numNode, plain.numNode);
    EXPECT_EQ(withHistory.meshes[0].faces.data, plain.meshes[0].faces.data);

    // Inside the scene.
    BlockWriter inner;
    inner.bytes(2999, "x", 1);
    SPODScene skipped;
    EXPECT_TRUE(read(withInScene(scene, inner.data()), skipped));

    // A file-level end marker ends the file at once.
    BlockWriter ended;
    writeVersion(ended);
    writeScene(ended, scene);
    ended.end(1001);
    ended.raw("garbage", 7);
    EXPECT_TRUE(read(ended.data(), skipped));
}

TEST(PodReaderTest, ByteOrderAndFixedPointFilesFailWithTheirMessage) {
    BlockWriter swapped;
    swapped.marker(0xE8030000u, 0x0B000000u);
    testing::internal::CaptureStderr();
    SPODScene scene;
    EXPECT_FALSE(read(swapped.data(), scene));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Endianness mismatch between the .pod file and the platform.\n");

    Scene fixed = meshScene({}, "fixed");
    fixed.flags = 1;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(read(write(fixed), scene));
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(),
        "Error: The POD file is in fixed point format but the tools haven't been compiled with fixed point "
        "enabled.\n");
}

// Each mutation of the sample scene breaks one promise the file makes.
TEST(PodReaderTest, InconsistentScenesAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(Scene&);
    };
    const Case cases[] = {
        {"a mesh node places a mesh that does not exist", [](Scene& s) { s.nodes[0].index = 2; }},
        {"a parent beyond the nodes", [](Scene& s) { s.nodes[1].parentIndex = 3; }},
        {"a parent cycle", [](Scene& s) { s.nodes[0].parentIndex = 1; }},
        {"a parent whose own parent lies beyond the nodes",
         [](Scene& s) {
             s.nodes[0].parentIndex = 2;
             s.nodes[2].parentIndex = 1000;
         }},
        {"a node is its own parent", [](Scene& s) { s.nodes[2].parentIndex = 2; }},
        {"more mesh nodes than nodes", [](Scene& s) { s.meshNodeCount = 4; }},
        {"a material beyond the materials", [](Scene& s) { s.nodes[0].materialIndex = 2; }},
        {"a texture beyond the textures", [](Scene& s) { s.materials[1].textures[4] = 2; }},
        {"a camera aims at no node", [](Scene& s) { s.cameras[0].targetIndex = 3; }},
        {"a light aims at no node", [](Scene& s) { s.lights[0].targetIndex = -2; }},
        {"position keys for fewer frames", [](Scene& s) { s.frameCount = 3; }},
        {"a key index past the keys",
         [](Scene& s) {
             s.nodes[0].rotationIndex = {0, 5};
         }},
        {"fewer strip lengths than strips", [](Scene& s) { s.meshes[1].stripCount = 2; }},
        {"a stream of half elements", [](Scene& s) { s.meshes[0].faces.data.push_back(0); }},
        {"a stream of an unknown type", [](Scene& s) { s.meshes[0].vertices.type = 99; }},
    };
    for (const Case& c : cases) {
        Scene scene = sampleScene();
        c.spoil(scene);
        SPODScene got;
        EXPECT_FALSE(read(write(scene), got)) << c.what;
    }
}

TEST(PodReaderTest, CountsAndLengthsThatDoNotFitTheFileAreRefused) {
    const Scene scene = sampleScene();
    auto refused = [&](const std::vector<uint8_t>& tail, const char* what) {
        SPODScene got;
        EXPECT_FALSE(read(withInScene(scene, tail), got)) << what;
    };
    // A count of records no file of this size could hold, and a second count.
    for (uint32_t tag = 2002; tag <= 2008; ++tag) {
        if (tag == 2006) {
            continue;
        }
        BlockWriter huge;
        huge.u32(tag, 0xFFFFFFFFu);
        refused(huge.data(), "a huge count");
    }
    // One record more than declared.
    BlockWriter extra;
    extra.begin(2014);
    extra.string(4000, "extra");
    extra.end(2014);
    refused(extra.data(), "a record past its count");
    // A block longer than the file.
    BlockWriter longBlock;
    longBlock.marker(2018, 0xFFFFFFF0u);
    refused(longBlock.data(), "a block longer than the file");
    // A scalar of the wrong size.
    BlockWriter wide;
    wide.bytes(2017, "12345678", 8);
    refused(wide.data(), "an eight-byte count");

    // A string without its zero byte, a record before its count.
    BlockWriter unterminated;
    writeVersion(unterminated);
    unterminated.begin(1001);
    unterminated.u32(2007, 1);
    unterminated.begin(2014);
    unterminated.bytes(4000, "stone", 5);
    unterminated.end(2014);
    unterminated.end(1001);
    SPODScene got;
    EXPECT_FALSE(read(unterminated.data(), got));
    BlockWriter early;
    writeVersion(early);
    early.begin(1001);
    early.begin(2014);
    early.string(4000, "stone");
    early.end(2014);
    early.end(1001);
    EXPECT_FALSE(read(early.data(), got));

    // Declared texture channels that never come: the channel count (the
    // third scalar of the mesh) rewritten from 0 to 1.
    BlockWriter mesh;
    Mesh bare = sampleScene().meshes[0];
    bare.uvws.clear();
    writeMesh(mesh, bare);
    for (uint8_t channels : {0, 1}) {
        std::vector<uint8_t> bytes = mesh.data();
        bytes[8 + 2 * 12 + 8] = channels;
        BlockWriter file;
        writeVersion(file);
        file.begin(1001);
        file.u32(2004, 1);
        file.raw(bytes.data(), bytes.size());
        file.end(1001);
        EXPECT_EQ(read(file.data(), got), channels == 0);
    }
}

TEST(PodReaderTest, WorldMatricesFollowTheParentsAtTheCurrentFrame) {
    SPODScene scene;
    ASSERT_TRUE(read(write(sampleScene()), scene));
    // Frame 0: node 0 at the origin unturned, so its child sits at its own
    // static position.
    const PVRTVec3 child0 = scene.worldCache[1].transformPoint(PVRTVec3(0, 0, 0));
    EXPECT_FLOAT_EQ(child0.x, 5.0f);
    EXPECT_FLOAT_EQ(child0.y, 0.0f);

    // Frame 1: node 0 at (1, 2, 3), turned a quarter about z, scale 2. The
    // child's (5, 0, 0) scales to (10, 0, 0), turns (as the files turn) to
    // (0, -10, 0) and moves to (1, -8, 3).
    scene.setFrame(1.0f);
    const PVRTVec3 child1 = scene.worldCache[1].transformPoint(PVRTVec3(0, 0, 0));
    EXPECT_NEAR(child1.x, 1.0f, 1e-5f);
    EXPECT_NEAR(child1.y, -8.0f, 1e-5f);
    EXPECT_NEAR(child1.z, 3.0f, 1e-5f);

    // Halfway: the position blends linearly; times past the keys clamp.
    scene.setFrame(0.5f);
    const PVRTVec3 half = scene.nodePosition(0);
    EXPECT_FLOAT_EQ(half.x, 0.5f);
    EXPECT_FLOAT_EQ(half.z, 1.5f);
    scene.setFrame(7.0f);
    EXPECT_EQ(scene.frame, 1);
    EXPECT_EQ(scene.blend, 0.0f);
}

} // namespace
