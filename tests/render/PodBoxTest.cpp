#include "render/PodBox.h"

#include "PodFixtures.h"
#include "support/HeadlessGL.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ZQ::PodBox;

// Every model of the box written into a folder of its own.
class PodBoxTest : public HeadlessGLTest {
protected:
    void put(int32_t id, const PodWriter::Scene& scene) {
        ASSERT_TRUE(PodWriter::writeFile(folder.file(std::string(PodBox::modelName(id)) + ".pod"),
                                         PodWriter::write(scene)));
    }
    void putAll() {
        for (int32_t id = 0; id < PodBox::kModelCount; ++id) {
            const float low[3] = {-1.0f - static_cast<float>(id), -2, -3};
            const float high[3] = {4, 5, 6.0f + static_cast<float>(id)};
            put(id, PodWriter::meshScene({PodFixtures::box(low, high)}, PodBox::modelName(id)));
        }
    }
    // setUp with the platform log captured.
    std::string setUpLogged(PodBox& box) {
        testing::internal::CaptureStderr();
        box.setUp();
        return testing::internal::GetCapturedStderr();
    }
    static GLint bufferSize(GLenum target, GLuint name) {
        GLint size = -1;
        glBindBuffer(target, name);
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        glBindBuffer(target, 0);
        return size;
    }

    TempFolder folder;
};

TEST_F(PodBoxTest, EveryModelLoadsIntoStaticBuffersWithItsBounds) {
    putAll();
    PodBox box(folder.path());
    EXPECT_EQ(setUpLogged(box), "");
    ASSERT_EQ(box.models.size(), static_cast<std::size_t>(PodBox::kModelCount));
    for (int32_t id = 0; id < PodBox::kModelCount; ++id) {
        const ZQ::PodModel* model = box.model(id);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->name, PodBox::modelName(id));
        ASSERT_EQ(model->meshCount(), 1u);
        EXPECT_TRUE(model->drawable(0));
        EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, model->vertexBuffers[0]), 8 * 24);
        EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, model->indexBuffers[0]), 36 * 2);
        const ZQ::PodModel::Corners& c = model->bounds[0];
        EXPECT_EQ(c[0], PVRTVec3(-1.0f - static_cast<float>(id), -2, -3));
        EXPECT_EQ(c[7], PVRTVec3(4, 5, 6.0f + static_cast<float>(id)));
        EXPECT_EQ(c[4], PVRTVec3(4, -2, -3)); // bit 2: the maximum x
        EXPECT_EQ(c[1], PVRTVec3(-1.0f - static_cast<float>(id), -2, 6.0f + static_cast<float>(id)));
    }
    EXPECT_EQ(box.model(PodBox::kModelCount), nullptr);
    const GLuint vertices = box.model(0)->vertexBuffers[0];
    box.tearDown();
    EXPECT_TRUE(box.models.empty());
    EXPECT_FALSE(glIsBuffer(vertices));
}

TEST_F(PodBoxTest, AMissingOrBrokenFileLeavesThatModelEmptyAndTheOthersLoad) {
    putAll();
    std::filesystem::remove(folder.file("sphere.pod"));
    std::vector<uint8_t> cut = PodWriter::write(PodWriter::sampleScene());
    cut.resize(cut.size() / 2);
    ASSERT_TRUE(PodWriter::writeFile(folder.file("cube.pod"), cut));
    PodBox box(folder.path());
    const std::string log = setUpLogged(box);
    // Named in the box's order, the file that is missing and the one that is broken.
    EXPECT_EQ(log, "res==PVR_FAIL: no sphere.pod in " + folder.path() +
                       "\nres==PVR_FAIL: " + folder.file("cube.pod") + " is not a model the game can read\n");
    EXPECT_EQ(box.model(PodBox::kSphere)->meshCount(), 0u);
    EXPECT_EQ(box.model(PodBox::kCube)->meshCount(), 0u);
    EXPECT_EQ(box.model(PodBox::kCube)->scene->numMesh, 0u);
    EXPECT_TRUE(box.model(PodBox::kTorus)->drawable(0));
    EXPECT_TRUE(box.model(PodBox::kSlate)->drawable(0));
    box.tearDown();
}

TEST_F(PodBoxTest, MeshesWhoseDataDoesNotFitAreRefusedNotUploaded) {
    const float low[3] = {0, 0, 0};
    const float high[3] = {1, 1, 1};
    struct Case {
        const char* what;
        void (*spoil)(PodWriter::Mesh&);
    };
    const Case cases[] = {
        {"no interleaved block",
         [](PodWriter::Mesh& m) {
             m.interleaved.clear();
             m.vertices = {PodWriter::kFloat, 3, 12, std::vector<uint8_t>(96), 0};
             m.normals = {PodWriter::kFloat, 3, 12, std::vector<uint8_t>(96), 0};
         }},
        {"normals past the block", [](PodWriter::Mesh& m) { m.normals.offset = 16; }},
        {"a stride past the block", [](PodWriter::Mesh& m) { m.vertices.stride = m.normals.stride = 28; }},
        {"positions at another stride than the normals", [](PodWriter::Mesh& m) { m.normals.stride = 12; }},
        {"a face index past the vertices", [](PodWriter::Mesh& m) { m.faces.data[4] = 8; }},
        {"more faces than indices", [](PodWriter::Mesh& m) { m.faceCount = 13; }},
        {"32-bit indices", [](PodWriter::Mesh& m) { m.faces.type = PodWriter::kUnsignedInt; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PodWriter::Mesh good = PodFixtures::box(low, high);
        PodWriter::Mesh bad = good;
        c.spoil(bad);
        put(PodBox::kTorus, PodWriter::meshScene({good, bad}, "pair"));
        PodBox box(folder.path());
        const std::string log = setUpLogged(box);
        const ZQ::PodModel* model = box.model(PodBox::kTorus);
        ASSERT_EQ(model->meshCount(), 2u);
        EXPECT_TRUE(model->drawable(0));
        EXPECT_FALSE(model->drawable(1));
        EXPECT_EQ(model->vertexBuffers[1], 0u);
        EXPECT_EQ(model->indexBuffers[1], 0u);
        EXPECT_NE(log.find("Model torus: mesh 1 is not drawn: "), std::string::npos) << log;
        box.tearDown();
    }
}

TEST_F(PodBoxTest, AStripMeshUploadsFacesPlusTwoIndicesAStrip) {
    // Two strips of 2 and 3 triangles over 7 vertices: 5 + 2 x 2 indices.
    std::vector<float> positions(21, 0.0f);
    std::vector<float> normals(21, 0.0f);
    for (int v = 0; v < 7; ++v) {
        positions[static_cast<std::size_t>(3 * v)] = static_cast<float>(v);
    }
    PodWriter::Mesh strips = PodWriter::interleavedMesh(positions, normals, {0, 1, 2, 3, 3, 4, 5, 6, 6});
    strips.faceCount = 5;
    strips.stripCount = 2;
    strips.stripLengths = {2, 3};
    put(PodBox::kTorus, PodWriter::meshScene({strips}, "strips"));
    PodBox box(folder.path());
    setUpLogged(box);
    const ZQ::PodModel* model = box.model(PodBox::kTorus);
    ASSERT_TRUE(model->drawable(0));
    EXPECT_EQ(model->scene->meshes[0].indexCount(), 9u);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, model->indexBuffers[0]), 18);
    box.tearDown();
}

} // namespace
