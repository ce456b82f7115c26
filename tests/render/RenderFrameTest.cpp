#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/Render.h"
#include "render/RenderProgram.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The GL state a pass found when it was called.
struct State {
    std::string pass;
    bool blend, depthTest, cullFace, depthMask;
    GLint cullMode, frontFace, depthFunc, blendSrc, blendDst, blendEquation;
    GLint framebuffer;
    GLint viewportWidth, viewportHeight;
    float drawHeight;
    int32_t kind;

    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& out, const State& s) {
    return out << s.pass << " blend " << s.blend << " depth " << s.depthTest << " cull " << s.cullFace
               << " mask " << s.depthMask << " cullMode 0x" << std::hex << s.cullMode << " front 0x"
               << s.frontFace << " func 0x" << s.depthFunc << " src 0x" << s.blendSrc << " dst 0x"
               << s.blendDst << " eq 0x" << s.blendEquation << std::dec << " fb " << s.framebuffer
               << " viewport " << s.viewportWidth << "x" << s.viewportHeight << " aim " << s.drawHeight << "/"
               << s.kind;
}

std::vector<State> gCalls;
float gDrawHeight = -1.0f;
int32_t gKind = -1;

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// Records the state it finds, as a pass would rely on it, and changes nothing.
class ProbePass : public ZQ::Render {
public:
    explicit ProbePass(std::string name) : name(std::move(name)) {}
    void render() override {
        GLboolean mask = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        gCalls.push_back({name, glIsEnabled(GL_BLEND) == GL_TRUE, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE,
                          glIsEnabled(GL_CULL_FACE) == GL_TRUE, mask == GL_TRUE, integer(GL_CULL_FACE_MODE),
                          integer(GL_FRONT_FACE), integer(GL_DEPTH_FUNC), integer(GL_BLEND_SRC_RGB),
                          integer(GL_BLEND_DST_RGB), integer(GL_BLEND_EQUATION_RGB),
                          integer(GL_FRAMEBUFFER_BINDING), viewport[2], viewport[3], gDrawHeight, gKind});
    }
    std::string name;
};

// A program that only counts its set-up and tear-down.
class CountingProgram : public ZQ::RenderProgram {
public:
    explicit CountingProgram(std::vector<std::string>& log, std::string name)
        : log(log), name(std::move(name)) {}
    void setUp() override { log.push_back("setUp " + name); }
    void tearDown() override { log.push_back("tearDown " + name); }
    std::vector<std::string>& log;
    std::string name;
};

class RenderFrameTest : public HeadlessGLTest {
protected:
    static constexpr float kWidth = 90.0f;
    static constexpr float kHeight = 160.0f;
    static constexpr float kTarget = 64.0f;

    void SetUp() override {
        HeadlessGLTest::SetUp();
        gCalls.clear();
        gDrawHeight = -1.0f;
        gKind = -1;
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        profile.targetSize = kTarget;
        targets.create(kWidth, kHeight, profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(kWidth),
                              static_cast<GLsizei>(kHeight));
        targets.setUp();

        ZQ::Render* ZQ::Globals::*const slots[] = {
            &ZQ::Globals::renderFlow,      &ZQ::Globals::renderBalloon,
            &ZQ::Globals::renderShadowMap, &ZQ::Globals::renderGoochMultiKnot,
            &ZQ::Globals::renderHolo,      &ZQ::Globals::renderCone,
            &ZQ::Globals::renderTangle,    &ZQ::Globals::renderParticlesBB,
            &ZQ::Globals::renderCaption,   &ZQ::Globals::renderMesh,
            &ZQ::Globals::renderWallPaper, &ZQ::Globals::wallPaperRenderRoom,
            &ZQ::Globals::renderTile,      &ZQ::Globals::renderGauge,
            &ZQ::Globals::renderBraid,     &ZQ::Globals::renderGrain};
        const char* names[] = {"flow",   "balloon",     "shadowMap", "gooch", "holo",      "cone",
                               "tangle", "particlesBB", "caption",   "mesh",  "wallPaper", "room",
                               "tile",   "gauge",       "braid",     "grain"};
        for (int i = 0; i < 16; ++i) {
            passes.push_back(new ProbePass(names[i]));
            ZQ::gGlobals.*slots[i] = passes.back();
        }
    }

    void TearDown() override {
        for (ProbePass* pass : passes) {
            delete pass;
        }
        targets.tearDown();
        HeadlessGLTest::TearDown();
    }

    // The state each scene pass relies on, frame after frame.
    std::vector<State> sceneStates() const {
        const GLint fb = static_cast<GLint>(screenFramebuffer());
        const GLint w = static_cast<GLint>(kWidth);
        const GLint h = static_cast<GLint>(kHeight);
        // pass, blend, depth test, cull, depth mask, cull mode, front face, depth func, src, dst, equation
        auto s = [&](const char* pass, bool blend, bool depth, bool cull, bool mask, GLint cullMode,
                     GLint func, GLint src, GLint dst) {
            return State{pass, blend, depth,       cull, mask, cullMode, GL_CCW,      func,
                         src,  dst,   GL_FUNC_ADD, fb,   w,    h,        gDrawHeight, gKind};
        };
        const GLint one = GL_ONE;
        const GLint srcAlpha = GL_SRC_ALPHA;
        const GLint inverse = GL_ONE_MINUS_SRC_ALPHA;
        return {
            s("room", false, true, false, true, GL_FRONT, GL_LESS, srcAlpha, inverse),
            s("gooch", true, true, true, true, GL_BACK, GL_LESS, srcAlpha, inverse),
            s("holo", true, true, true, true, GL_BACK, GL_LESS, srcAlpha, inverse),
            s("braid", true, true, true, true, GL_BACK, GL_LESS, srcAlpha, inverse),
            s("cone", true, true, true, false, GL_FRONT, GL_LESS, srcAlpha, one),
            s("cone", true, true, true, false, GL_BACK, GL_LESS, srcAlpha, one),
            s("tangle", false, true, true, true, GL_BACK, GL_LESS, srcAlpha, one),
            s("balloon", true, true, true, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("mesh", true, true, true, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("tile", true, true, true, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("gauge", true, true, true, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("grain", true, true, true, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("caption", true, false, false, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
            s("flow", true, false, false, true, GL_BACK, GL_LEQUAL, srcAlpha, inverse),
        };
    }

    GLuint screenFramebuffer() const {
        const ZQ::SceneContext& s = *targets.sceneContext;
        return s.isMultisampled() ? s.msaa.framebuffer : s.framebuffer;
    }

    static GLuint drawnFramebuffer(const ZQ::TextureContext& t) {
        return t.isMultisampled() ? t.msaa.framebuffer : t.framebuffer;
    }

    // The shadow pass always finds the same state: blending off from the
    // second frame on too, where the overlays left it on.
    State shadowState(const State& found) const {
        const PVRTVec2 size = ZQ::RenderTargets::shadowSize(kWidth, kHeight, kTarget);
        State s = found;
        s.pass = "shadowMap";
        s.blend = false;
        s.depthTest = true;
        s.cullFace = true;
        s.depthMask = true;
        s.cullMode = GL_FRONT;
        s.frontFace = GL_CCW;
        s.depthFunc = GL_LEQUAL;
        s.framebuffer = static_cast<GLint>(drawnFramebuffer(*targets.shadowContext));
        s.viewportWidth = static_cast<GLint>(size.x);
        s.viewportHeight = static_cast<GLint>(size.y);
        return s;
    }

    ZQ::RenderTargets targets;
    std::vector<ProbePass*> passes;
};

TEST_F(RenderFrameTest, PassesRunInOrderWithTheStateTheyRelyOn) {
    for (int frame = 0; frame < 2; ++frame) {
        gCalls.clear();
        ZQ::renderFrame(targets, {});
        const std::vector<State> scene = sceneStates();
        ASSERT_EQ(gCalls.size(), scene.size() + 1) << "frame " << frame;
        EXPECT_EQ(gCalls[0], shadowState(gCalls[0])) << "frame " << frame;
        for (std::size_t i = 0; i < scene.size(); ++i) {
            // The room finds what the shadow map left; blend factors are not its concern.
            State expected = scene[i];
            if (i == 0) {
                expected.blendSrc = gCalls[1].blendSrc;
                expected.blendDst = gCalls[1].blendDst;
                expected.blendEquation = gCalls[1].blendEquation;
            }
            EXPECT_EQ(gCalls[i + 1], expected) << "frame " << frame << ", call " << i + 1;
        }
    }
    // The frame ends on the resolved screen, which presenting shows.
    EXPECT_EQ(static_cast<GLuint>(integer(GL_FRAMEBUFFER_BINDING)), targets.sceneContext->framebuffer);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_RENDERBUFFER_BINDING)), targets.sceneContext->colorRenderbuffer);
}

TEST_F(RenderFrameTest, TheRepaintPaintsTheCurrentRoomBufferOnceAndClearsTheFlag) {
    bool pending = true;
    int32_t buffer = 1;
    int clears = 0;
    ZQ::WallPaperRepaint repaint{[&] { return pending; }, [&] { pending = false, ++clears; },
                                 [&] { return buffer; },
                                 [&](float height, int32_t kind) { gDrawHeight = height, gKind = kind; }};
    ZQ::renderFrame(targets, repaint);
    ASSERT_GE(gCalls.size(), 3u);
    const State& colour = gCalls[1];
    const State& height = gCalls[2];
    EXPECT_EQ(colour.pass, "wallPaper");
    EXPECT_EQ(height.pass, "wallPaper");
    EXPECT_EQ(gCalls[3].pass, "room");
    EXPECT_EQ(colour.framebuffer, static_cast<GLint>(drawnFramebuffer(*targets.colourContexts[1])));
    EXPECT_EQ(height.framebuffer, static_cast<GLint>(drawnFramebuffer(*targets.heightContexts[1])));
    EXPECT_EQ(colour.drawHeight, 0.0f);
    EXPECT_EQ(height.drawHeight, 1.0f);
    EXPECT_EQ(colour.kind, ZQ::kWallPaperKind);
    EXPECT_EQ(height.kind, 6);
    for (const State* s : {&colour, &height}) {
        EXPECT_FALSE(s->blend);
        EXPECT_FALSE(s->cullFace);
        EXPECT_TRUE(s->depthTest);
        EXPECT_TRUE(s->depthMask);
        EXPECT_EQ(s->depthFunc, GL_LEQUAL);
        EXPECT_EQ(s->viewportWidth, static_cast<GLint>(kTarget));
        EXPECT_EQ(s->viewportHeight, static_cast<GLint>(kTarget));
    }
    EXPECT_FALSE(pending);
    EXPECT_EQ(clears, 1);

    // The next frame has nothing to repaint.
    gCalls.clear();
    ZQ::renderFrame(targets, repaint);
    EXPECT_EQ(gCalls.size(), sceneStates().size() + 1);
    for (const State& s : gCalls) {
        EXPECT_NE(s.pass, "wallPaper");
    }
    EXPECT_EQ(clears, 1);

    // Room buffer 0 gets its own pair.
    pending = true;
    buffer = 0;
    gCalls.clear();
    ZQ::renderFrame(targets, repaint);
    EXPECT_EQ(gCalls[1].framebuffer, static_cast<GLint>(drawnFramebuffer(*targets.colourContexts[0])));
    EXPECT_EQ(gCalls[2].framebuffer, static_cast<GLint>(drawnFramebuffer(*targets.heightContexts[0])));
}

TEST_F(RenderFrameTest, TargetsAreClearedEvenWithNoPassToDraw) {
    for (ZQ::Render* ZQ::Globals::*slot : {&ZQ::Globals::renderShadowMap, &ZQ::Globals::renderWallPaper}) {
        ZQ::gGlobals.*slot = nullptr;
    }
    bool pending = true;
    ZQ::renderFrame(targets, {[&] { return pending; }, [&] { pending = false; }, nullptr, nullptr});
    EXPECT_FALSE(pending);
    EXPECT_EQ(gCalls.front().pass, "room") << "empty slots are skipped";

    // Shadow map white, both wallpaper textures of buffer 0 transparent black.
    const std::array<uint8_t, 4> white{255, 255, 255, 255};
    const std::array<uint8_t, 4> clear{0, 0, 0, 0};
    glBindFramebuffer(GL_FRAMEBUFFER, targets.shadowContext->framebuffer);
    EXPECT_EQ(HeadlessGL::readPixel(3, 5), white);
    glBindFramebuffer(GL_FRAMEBUFFER, targets.colourContexts[0]->framebuffer);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f); // the repaint must replace this
    glClear(GL_COLOR_BUFFER_BIT);
    pending = true;
    ZQ::renderFrame(targets, {[&] { return pending; }, [&] { pending = false; }, nullptr, nullptr});
    glBindFramebuffer(GL_FRAMEBUFFER, targets.colourContexts[0]->framebuffer);
    EXPECT_EQ(HeadlessGL::readPixel(10, 10), clear);
    glBindFramebuffer(GL_FRAMEBUFFER, targets.sceneContext->framebuffer);
    EXPECT_EQ(HeadlessGL::readPixel(45, 80), clear);
}

TEST_F(RenderFrameTest, TheBoundingBoxPassIsNeverDrawn) {
    ZQ::renderFrame(targets, {});
    for (const State& s : gCalls) {
        EXPECT_NE(s.pass, "particlesBB");
    }
}

TEST(RenderPassListTest, PassesAreSetUpAndTornDownInListOrder) {
    const ZQ::Globals saved = ZQ::gGlobals;
    std::vector<std::string> log;
    ProbePass first("first");
    ProbePass second("second");
    ProbePass bare("bare");
    first.program = new CountingProgram(log, "a");
    second.program = new CountingProgram(log, "b");
    ZQ::gGlobals.renderPasses = {&first, &bare, &second};

    ZQ::setUpRenderPasses();
    ZQ::tearDownRenderPasses();
    ZQ::gGlobals = saved;

    EXPECT_EQ(log, (std::vector<std::string>{"setUp a", "setUp b", "tearDown a", "tearDown b"}));
    EXPECT_EQ(first.program, nullptr) << "tear-down deletes the program";
    EXPECT_EQ(second.program, nullptr);
    EXPECT_EQ(bare.program, nullptr);
}

} // namespace
