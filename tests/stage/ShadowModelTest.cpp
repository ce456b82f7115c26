#include "stage/ShadowModel.h"

#include "cords/CordMeshWorker.h"
#include "cords/MeshBuffer.h"
#include "engine/Globals.h"
#include "support/GlobalsTest.h"
#include "support/HeadlessGL.h"

#include <GLES3/gl3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using ZQ::CordMeshWorker;
using ZQ::ShadowModel;

// A cord model of `particles` particles cut into `strings` strings the way the
// cord model cuts them, moving a little every frame. The cord-mesh jobs read
// it through the engine globals.
class MovingCord {
protected:
    MovingCord() { cord.instance->radius = 1.5f; }

    void layCord(int particles, int strings) {
        cord.count = particles;
        cord.segments.clear();
        const int k = particles / strings;
        for (int i = 0; i < strings - 1; ++i) {
            cord.segments.push_back({i * k, (i + 1) * k - 1, i});
        }
        cord.segments.push_back({(strings - 1) * k, particles - 1, strings - 1});
        moveCord(0);
    }
    void moveCord(int frame) {
        const float f = static_cast<float>(frame);
        for (int i = 0; i < cord.count; ++i) {
            const float a = 0.4f * static_cast<float>(i);
            cord.positions[i] = PVRTVec3(30.0f * std::cos(a + 0.05f * f), 2.0f * static_cast<float>(i),
                                         30.0f * std::sin(a) + std::sin(0.1f * f + a));
        }
    }

    static bool sameArrays(const ZQ::MeshBuffer& a, const ZQ::MeshBuffer& b) {
        if (a.vertexBytes != b.vertexBytes || a.indexBytes != b.indexBytes ||
            a.ranges.size() != b.ranges.size()) {
            return false;
        }
        for (size_t i = 0; i < a.ranges.size(); ++i) {
            if (a.ranges[i].firstIndex != b.ranges[i].firstIndex ||
                a.ranges[i].indexCount != b.ranges[i].indexCount) {
                return false;
            }
        }
        return std::memcmp(a.vertices, b.vertices, a.vertexBytes) == 0 &&
               std::memcmp(a.indices, b.indices, a.indexBytes) == 0;
    }

    ZQ::CordModel cord;
};

// Meshing needs no GL: these run without a context (and under the thread
// sanitizer).
class ShadowModelTest : public GlobalsTest, protected MovingCord {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.cordModel = &cord;
    }
};

class ShadowModelGLTest : public HeadlessGLTest, protected MovingCord {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.cordModel = &cord;
    }

    // The bytes a GL buffer holds, read back through a mapping (OpenGL ES 3,
    // which Mesa gives for a 2.0 request; the game itself never reads back).
    static std::vector<uint8_t> bufferBytes(GLenum target, GLuint name) {
        glBindBuffer(target, name);
        GLint size = 0;
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (size > 0) {
            const void* mapped = glMapBufferRange(target, 0, size, GL_MAP_READ_BIT);
            EXPECT_NE(mapped, nullptr);
            if (mapped != nullptr) {
                std::memcpy(bytes.data(), mapped, bytes.size());
            }
            glUnmapBuffer(target);
        }
        glBindBuffer(target, 0);
        return bytes;
    }
    static bool holds(const std::vector<uint8_t>& bytes, const void* data, size_t size) {
        return bytes.size() == size && std::memcmp(bytes.data(), data, size) == 0;
    }
};

TEST_F(ShadowModelTest, LoadingSizesTheArraysAndUnloadingFreesThem) {
    ShadowModel model(2);
    layCord(122, 4);
    model.loadJobs(cord.segments);
    ASSERT_EQ(model.getJobs().size(), 4u);
    size_t vertices = 0;
    size_t indices = 0;
    for (const auto& s : cord.segments) {
        vertices += static_cast<size_t>(14 + 14 * ((s.last - s.first) * 3 + 12));
        indices += static_cast<size_t>(84 * ((s.last - s.first) * 3 + 12));
    }
    EXPECT_EQ(model.getBuffer().vertexBytes, vertices * 36);
    EXPECT_EQ(model.getBuffer().indexBytes, indices * 4);
    EXPECT_EQ(model.getBuffer().ranges.size(), 4u);

    // A new level replaces the jobs and the arrays.
    layCord(40, 1);
    model.loadJobs(cord.segments);
    ASSERT_EQ(model.getJobs().size(), 1u);
    EXPECT_EQ(model.getBuffer().vertexBytes, static_cast<size_t>(14 + 14 * (39 * 3 + 12)) * 36);

    model.unloadJobs();
    EXPECT_TRUE(model.getJobs().empty());
    EXPECT_EQ(model.getBuffer().vertices, nullptr);
    EXPECT_EQ(model.getBuffer().indices, nullptr);
    EXPECT_EQ(model.getBuffer().vertexBytes, 0u);
    EXPECT_EQ(model.getBuffer().indexBytes, 0u);
    model.doStep(); // no jobs: nothing to run
}

// Meshing on two threads must give the bytes one thread gives, frame after
// frame, whichever way the strings are split.
TEST_F(ShadowModelTest, TwoThreadsGiveTheBytesOfOneOverAHundredFrames) {
    for (int strings : {2, 3, 4}) {
        layCord(122, strings);
        ShadowModel single(1);
        ShadowModel threaded(2);
        single.loadJobs(cord.segments);
        threaded.loadJobs(cord.segments);
        for (int frame = 0; frame < 100; ++frame) {
            moveCord(frame);
            single.meshJobs();
            threaded.meshJobs();
            ASSERT_TRUE(sameArrays(single.getBuffer(), threaded.getBuffer()))
                << strings << " strings, frame " << frame;
        }
        // Every string was meshed and its range written, whichever thread ran it.
        for (const CordMeshWorker* job : threaded.getJobs()) {
            const auto& range = threaded.getBuffer().ranges[static_cast<size_t>(job->getSegment().index)];
            EXPECT_EQ(range.firstIndex, job->firstIndex());
            EXPECT_EQ(range.indexCount, job->GetTriangleIndexCount());
            EXPECT_EQ(job->getFrame(), 100.0f);
        }
    }
}

// Frames handed over back to back with the other side early or late: a
// short cord of two strings leaves the owner nothing of its own, so it polls
// at once and the next hand-over follows the worker's last closely; a full
// cord keeps the worker busy for longer than the owner polls, so the owner
// blocks. No frame may be lost, run twice or read half-written.
TEST_F(ShadowModelTest, HandOversHoldWhicheverSideIsLate) {
    struct Case {
        int particles;
        int strings;
        int frames;
    };
    for (const Case& c : {Case{8, 2, 2000}, Case{13, 3, 1000}, Case{ZQ::CordModel::kMaxParticles, 4, 12}}) {
        SCOPED_TRACE(testing::Message() << c.particles << " particles, " << c.strings << " strings");
        layCord(c.particles, c.strings);
        ShadowModel single(1);
        ShadowModel threaded(2);
        single.loadJobs(cord.segments);
        threaded.loadJobs(cord.segments);
        for (int frame = 0; frame < c.frames; ++frame) {
            moveCord(frame);
            single.meshJobs();
            threaded.meshJobs();
            ASSERT_TRUE(sameArrays(single.getBuffer(), threaded.getBuffer())) << "frame " << frame;
        }
        const int64_t share = std::lround(static_cast<float>(c.strings) * 0.5f + 0.5f);
        EXPECT_EQ(threaded.getWorkerJobCount(), share * c.frames);
        for (const CordMeshWorker* job : threaded.getJobs()) {
            EXPECT_EQ(job->getFrame(), static_cast<float>(c.frames));
        }
    }
}

TEST_F(ShadowModelTest, TheWorkerTakesItsShareOnlyWhenAllowedAndWorthIt) {
    struct Case {
        int meshThreads;
        int strings;
        int64_t workerJobsPerFrame;
    };
    for (const Case& c : {Case{2, 1, 0}, Case{2, 2, 2}, Case{2, 3, 2}, Case{2, 4, 3}, Case{1, 4, 0}}) {
        SCOPED_TRACE(testing::Message() << c.meshThreads << " threads, " << c.strings << " strings");
        layCord(60, c.strings);
        ShadowModel model(c.meshThreads);
        model.loadJobs(cord.segments);
        for (int frame = 1; frame <= 3; ++frame) {
            model.meshJobs();
            EXPECT_EQ(model.getWorkerJobCount(), c.workerJobsPerFrame * frame);
        }
        // Each job ran once a frame, on whichever thread.
        for (const CordMeshWorker* job : model.getJobs()) {
            EXPECT_EQ(job->getFrame(), 3.0f);
        }
    }
}

TEST_F(ShadowModelTest, DestroyingStopsTheWorkerInAnyState) {
    layCord(122, 4);
    for (int steps : {0, 1, 3}) {
        auto model = std::make_unique<ShadowModel>(2);
        model->loadJobs(cord.segments);
        for (int i = 0; i < steps; ++i) {
            model->meshJobs();
        }
        model.reset(); // joins: a worker left blocked would hang here
    }
    SUCCEED();
}

TEST_F(ShadowModelGLTest, BuffersHoldExactlyTheBytesOfTheArrays) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    if (std::strstr(version, "OpenGL ES 3") == nullptr) {
        GTEST_SKIP() << "reading a buffer back needs OpenGL ES 3, have " << version;
    }
    layCord(122, 4);
    ShadowModel model(2);
    model.doStep(); // no jobs: nothing is made or uploaded
    EXPECT_EQ(model.getBuffer().vbo, 0u);
    EXPECT_EQ(model.getBuffer().ibo, 0u);

    model.loadJobs(cord.segments);
    for (int frame = 0; frame < 3; ++frame) {
        moveCord(frame);
        model.doStep();
        const ZQ::MeshBuffer& buffer = model.getBuffer();
        ASSERT_NE(buffer.vbo, 0u);
        ASSERT_NE(buffer.ibo, 0u);
        EXPECT_TRUE(holds(bufferBytes(GL_ARRAY_BUFFER, buffer.vbo), buffer.vertices, buffer.vertexBytes));
        EXPECT_TRUE(
            holds(bufferBytes(GL_ELEMENT_ARRAY_BUFFER, buffer.ibo), buffer.indices, buffer.indexBytes));
    }
    EXPECT_NO_GL_ERROR();

    // After the level the GL buffers keep the last upload while the arrays go.
    const std::vector<uint8_t> last = bufferBytes(GL_ARRAY_BUFFER, model.getBuffer().vbo);
    model.unloadJobs();
    model.doStep();
    EXPECT_EQ(bufferBytes(GL_ARRAY_BUFFER, model.getBuffer().vbo), last);
    EXPECT_FALSE(last.empty());
}

using ShadowModelDeathTest = ShadowModelTest;

TEST_F(ShadowModelDeathTest, SteppingFromAnotherThreadStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    layCord(60, 2);
    EXPECT_DEATH(
        {
            ShadowModel model(2);
            model.loadJobs(cord.segments);
            std::thread other([&model] { model.meshJobs(); });
            other.join();
        },
        "check failed: std::this_thread::get_id\\(\\) == owner\n    in meshJobs");
    EXPECT_DEATH(
        {
            auto* model = new ShadowModel(2);
            std::thread other([model] { delete model; });
            other.join();
        },
        "check failed: std::this_thread::get_id\\(\\) == owner\n    in ~ShadowModel");
}

} // namespace
