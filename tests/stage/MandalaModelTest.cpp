#include "stage/MandalaModel.h"

#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "levels/LevelTestRecords.h"
#include "levels/PatternGenerators.h"
#include "stage/MandalaMesher.h"
#include "support/HeadlessGL.h"

#include <GLES3/gl3.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using ZQ::MandalaInstance;
using ZQ::MandalaModel;
using ZQ::MandalaVertex;

constexpr int32_t kLevels = 76;

// A light catalogue of 76 levels whose wallpapers differ in size: level i
// lays (i + 1) x 2 squares, so its relief has 12 (i + 1) vertices.
std::vector<ZQ::LevelModel::Level> squareLevels() {
    std::vector<ZQ::LevelModel::Level> levels = LevelTestRecords::records(kLevels);
    for (int32_t i = 0; i < kLevels; ++i) {
        levels[static_cast<std::size_t>(i)].generator = ZQ::makeSquarePattern;
        levels[static_cast<std::size_t>(i)].width = static_cast<float>(i + 1) + 0.9f; // truncated
        levels[static_cast<std::size_t>(i)].height = 2.0f;
    }
    return levels;
}

int32_t verticesOfLevel(int32_t level) {
    return 12 * (level + 1);
}

// The relief's vertices as the GL buffer holds them. OpenGL ES 2.0 cannot
// read a buffer back; Mesa's contexts are ES 3.x unless forced down, where
// this gives nothing and the comparison is skipped.
std::vector<MandalaVertex> uploaded(const ZQ::MandalaMesh& mesh) {
    std::vector<MandalaVertex> out(static_cast<std::size_t>(mesh.count));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr || std::strncmp(version, "OpenGL ES 3", 11) != 0) {
        return {};
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    auto* map = static_cast<const MandalaVertex*>(glMapBufferRange(
        GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(out.size() * sizeof(MandalaVertex)), GL_MAP_READ_BIT));
    if (map != nullptr) {
        std::copy(map, map + out.size(), out.begin());
        glUnmapBuffer(GL_ARRAY_BUFFER);
    } else {
        out.clear();
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return out;
}

class MandalaModelTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        catalogue = std::make_unique<ZQ::LevelModel>(squareLevels(), LevelTestRecords::record("Ground"));
        ZQ::gGlobals.levelModel = catalogue.get();
        model.targetSize = 512.0f;
        model.setUp();
    }
    void TearDown() override {
        model.tearDown();
        HeadlessGLTest::TearDown();
    }

    std::unique_ptr<ZQ::LevelModel> catalogue;
    MandalaModel model;
};

TEST_F(MandalaModelTest, CollectWrapsTheReliefOfTheLevelBuilt) {
    catalogue->level = 7;
    model.clearInstances();
    model.build(0);
    MandalaInstance* instance = model.collect();
    ASSERT_NE(instance, nullptr);
    EXPECT_TRUE(model.changed);
    ASSERT_EQ(model.instances, std::vector<MandalaInstance*>{instance});
    ZQ::MandalaMesh& mesh = *instance->mesh;
    EXPECT_EQ(mesh.count, verticesOfLevel(7));
    EXPECT_NE(mesh.vbo, 0u);
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_EQ(instance->kind, 6);

    // The same pattern meshed here, on this thread.
    const ZQ::LevelModel::Level& record = catalogue->levels[7];
    std::unique_ptr<ZQ::PatternGraph> graph(record.generator(8, 2, record.patterns));
    std::unique_ptr<ZQ::MandalaMesh> reference(ZQ::meshPattern(*graph));
    EXPECT_EQ(mesh.min, reference->min);
    EXPECT_EQ(mesh.max, reference->max);
    const std::vector<MandalaVertex> inBuffer = uploaded(mesh);
    if (!inBuffer.empty()) {
        ASSERT_EQ(inBuffer.size(), reference->vertices.size());
        EXPECT_EQ(
            std::memcmp(inBuffer.data(), reference->vertices.data(), inBuffer.size() * sizeof(MandalaVertex)),
            0);
    }

    // The pose that puts the pattern at the texture's centre, its smaller
    // extent 1.5 textures across.
    const float h = ZQ::gGlobals.screenSize.y;
    EXPECT_EQ(instance->layout.position, PVRTVec3(256.0f, 256.0f, -0.55f * h));
    const PVRTVec2 extent = mesh.max - mesh.min;
    EXPECT_FLOAT_EQ(instance->layout.scale, 1.5f * 512.0f / std::min(extent.x, extent.y));
    std::vector<ZQ::Cloudlet*> items;
    model.getCloudlets(items);
    EXPECT_EQ(items, std::vector<ZQ::Cloudlet*>{instance});
}

TEST_F(MandalaModelTest, ASecondBuildBeforeCollectDiscardsTheFirst) {
    catalogue->level = 30;
    model.build(1);
    model.build(0);
    MandalaInstance* instance = model.collect();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->mesh->count, verticesOfLevel(30));
    EXPECT_EQ(model.instances.size(), 1u);
    // Nothing is left to collect.
    EXPECT_EQ(model.collect(), nullptr);
    EXPECT_EQ(model.instances.size(), 1u);
}

TEST_F(MandalaModelTest, TheNextLevelAfterTheLastIsTheFirst) {
    catalogue->level = kLevels - 1;
    model.build(1);
    MandalaInstance* instance = model.collect();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->mesh->count, verticesOfLevel(0));
}

TEST_F(MandalaModelTest, CollectWithoutABuildCreatesNothing) {
    model.changed = false;
    EXPECT_EQ(model.collect(), nullptr);
    EXPECT_TRUE(model.instances.empty());
    EXPECT_FALSE(model.changed);
}

TEST_F(MandalaModelTest, AnEmptyPatternStillGivesAnInstanceThatDrawsNothing) {
    model.queue(new ZQ::PatternGraph());
    MandalaInstance* instance = model.collect();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->mesh->count, 0);
    EXPECT_EQ(instance->mesh->min, PVRTVec2(0.0f, 0.0f));
    EXPECT_EQ(instance->mesh->max, PVRTVec2(0.0f, 0.0f));
}

TEST_F(MandalaModelTest, InstancesSharingAMeshFreeItOnce) {
    model.build(0);
    MandalaInstance* first = model.collect();
    ASSERT_NE(first, nullptr);
    auto* second = new MandalaInstance();
    second->mesh = first->mesh;
    model.instances.push_back(second);
    // A second delete of the mesh would be caught by AddressSanitizer.
    model.clearInstances();
    EXPECT_TRUE(model.instances.empty());
}

TEST_F(MandalaModelTest, TearDownStopsTheWorkerAndTheModelSetsUpAgain) {
    for (int round = 0; round < 3; ++round) {
        // A build still in flight, an uncollected mesh and an instance: all freed.
        model.build(0);
        MandalaInstance* instance = model.collect();
        ASSERT_NE(instance, nullptr);
        catalogue->level = round + 10;
        model.build(0);
        model.tearDown();
        EXPECT_EQ(model.job, nullptr);
        EXPECT_TRUE(model.instances.empty());
        model.setUp();
        model.build(0);
        instance = model.collect();
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->mesh->count, verticesOfLevel(round + 10));
        model.clearInstances();
    }
}

TEST_F(MandalaModelTest, ManyBuildsAndCollectsInARow) {
    // The hand-over under load, for ThreadSanitizer.
    for (int32_t i = 0; i < 40; ++i) {
        catalogue->level = i;
        model.clearInstances();
        model.build(i % 3 == 0 ? 1 : 0);
        if (i % 4 == 1) {
            model.build(0);
        }
        MandalaInstance* instance = model.collect();
        ASSERT_NE(instance, nullptr);
        const int32_t expected = i % 4 == 1 ? i : (i % 3 == 0 ? i + 1 : i);
        ASSERT_EQ(instance->mesh->count, verticesOfLevel(expected)) << "round " << i;
    }
}

// The priority request without privileges, and with other failures.
int refused(pthread_t, int, const sched_param*) {
    return EPERM;
}
int invalid(pthread_t, int, const sched_param*) {
    return EINVAL;
}
int granted(pthread_t, int policy, const sched_param* param) {
    return policy == SCHED_RR && param->sched_priority == sched_get_priority_min(SCHED_RR) ? 0 : EINVAL;
}

TEST(MandalaModelPriorityTest, ARefusedPriorityIsSilentAndOtherFailuresAreLogged) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(MandalaModel::requestLowestPriority(pthread_self(), refused));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(MandalaModel::requestLowestPriority(pthread_self(), granted));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(MandalaModel::requestLowestPriority(pthread_self(), invalid));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("relief worker keeps its priority"),
              std::string::npos);
}

} // namespace
