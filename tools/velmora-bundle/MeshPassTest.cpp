// The models' winding through the game's own mesh pass: drawn with the GL
// state the frame gives that pass (back faces culled, counter-clockwise
// fronts, depth test LEQUAL), each model must look exactly as it does with
// culling off, where the depth test alone keeps the nearest surface, both
// through the default view and through the scene camera, whose look-at
// mirrors x. A model wound the other way loses its near side to culling and
// shows its far one.
#include "Models.h"
#include "PodWriter.h"
#include "engine/CloudletContainer.h"
#include "engine/Globals.h"
#include "render/MeshInstance.h"
#include "render/PodBox.h"
#include "render/RenderMesh.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <GLES2/gl2ext.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace VelmoraBundle;

class OneInstance : public ZQ::CloudletContainer {
public:
    void getCloudlets(std::vector<ZQ::Cloudlet*>& out) override { out.push_back(instance); }
    ZQ::Cloudlet* instance = nullptr;
};

class MeshPassTest : public HeadlessGLTest, protected CordStage {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        width = static_cast<int>(ZQ::gGlobals.screenSize.x) / 2;
        height = static_cast<int>(ZQ::gGlobals.screenSize.y) / 2;
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        // 24 bits where GL has them: the unculled reference must not let a
        // thin model's two faces fight in depth.
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        const bool depth24 = extensions != nullptr && std::strstr(extensions, "GL_OES_depth24") != nullptr;
        glRenderbufferStorage(GL_RENDERBUFFER, depth24 ? GL_DEPTH_COMPONENT24_OES : GL_DEPTH_COMPONENT16,
                              width, height);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, width, height);
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &depth);
        glDeleteTextures(1, &colour);
        HeadlessGLTest::TearDown();
    }

    // The model in the middle of the screen, a third of its width, turned
    // to show three sides; `cull` as the frame sets it for the pass.
    std::vector<uint8_t> draw(ZQ::PodModel* model, bool cull) {
        ZQ::MeshInstance instance(model, 0);
        instance.layout.position =
            PVRTVec3(ZQ::gGlobals.screenSize.x * 0.5f, ZQ::gGlobals.screenSize.y * 0.5f, 0);
        instance.layout.angles = PVRTVec3(0.6f, 0.7f, 0.2f);
        instance.layout.scale = ZQ::gGlobals.screenSize.x / 3.0f;
        instance.step();
        OneInstance container;
        container.instance = &instance;
        pass.instances = &container;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        if (cull) {
            glEnable(GL_CULL_FACE);
        }
        pass.render();
        pass.instances = nullptr;
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        return HeadlessGL::readPixels(0, 0, width, height);
    }

    // Pixels drawn at all, and pixels that differ between culled and not.
    std::pair<int, int> compare(ZQ::PodModel* model) {
        const std::vector<uint8_t> culled = draw(model, true);
        const std::vector<uint8_t> whole = draw(model, false);
        int covered = 0;
        int differing = 0;
        for (std::size_t i = 0; i < culled.size(); i += 4) {
            covered += whole[i + 3] > 0 ? 1 : 0;
            bool same = true;
            for (int c = 0; c < 4; ++c) {
                same = same && std::abs(int(culled[i + c]) - int(whole[i + c])) <= 2;
            }
            differing += same ? 0 : 1;
        }
        return {covered, differing};
    }

    ZQ::RenderMesh pass;
    int width = 0;
    int height = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLuint framebuffer = 0;
};

TEST_F(MeshPassTest, CullingKeepsTheNearSideOfEveryModel) {
    // The bundle's models, and the same meshes wound the other way.
    TempFolder reversedFolder;
    for (int id = 0; id < kModelCount; ++id) {
        ModelMesh mesh = makeModel(id);
        std::vector<float> positions;
        std::vector<float> normals;
        for (std::size_t i = 0; i < mesh.vertices.size(); i += 6) {
            positions.insert(positions.end(), &mesh.vertices[i], &mesh.vertices[i + 3]);
            normals.insert(normals.end(), &mesh.vertices[i + 3], &mesh.vertices[i + 6]);
        }
        for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
            std::swap(mesh.indices[i + 1], mesh.indices[i + 2]);
        }
        const PodWriter::Scene scene = PodWriter::meshScene(
            {PodWriter::interleavedMesh(positions, normals, mesh.indices)}, modelName(id));
        ASSERT_TRUE(PodWriter::writeFile(reversedFolder.path() + "/" + modelName(id) + ".pod",
                                         PodWriter::write(scene)));
    }
    ZQ::PodBox bundle;
    bundle.setUp();
    ZQ::PodBox reversed(reversedFolder.path());
    reversed.setUp();
    ZQ::gGlobals.cameraModel = nullptr;
    for (const char* view : {"default view", "scene camera"}) {
        for (int32_t id = 0; id < ZQ::PodBox::kModelCount; ++id) {
            const char* name = ZQ::PodBox::modelName(id);
            const auto [covered, differing] = compare(bundle.model(id));
            EXPECT_GT(covered, 500) << name << ", " << view;
            EXPECT_LT(differing * 100, covered) << name << " shows its far side, " << view;
            const auto [coveredReversed, differingReversed] = compare(reversed.model(id));
            EXPECT_GT(differingReversed * 5, coveredReversed * 4) << name << ", " << view;
        }
        setUpStage(); // the scene camera, at rest
    }
    tearDownStage();
    bundle.tearDown();
    reversed.tearDown();
    EXPECT_NO_GL_ERROR();
}

} // namespace
