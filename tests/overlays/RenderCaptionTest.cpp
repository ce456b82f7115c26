#include "overlays/RenderCaption.h"
#include "engine/CloudletContainer.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionGenerator.h"
#include "overlays/CaptionInstance.h"
#include "overlays/FlowInstance.h"
#include "overlays/RenderFlow.h"
#include "render/Render.h"
#include "render/RenderTargets.h"
#include "render/Texture.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

// The caption and flow passes inside the real frame, with the GL state the
// frame gives them, read back pixel by pixel.
namespace {

using Pixel = std::array<uint8_t, 4>;

// A container handing out a fixed list, as the caption and flow models do.
class Items : public ZQ::CloudletContainer {
public:
    void getCloudlets(std::vector<ZQ::Cloudlet*>& out) override {
        if (!paused) {
            out.insert(out.end(), items.begin(), items.end());
        }
    }
    std::vector<ZQ::Cloudlet*> items;
    bool paused = false;
};

// An opaque bitmap of columns (left to right) or rows (bottom to top) of the
// given colours, each `run` pixels long.
ZQ::CaptionBitmap stripes(const std::vector<Pixel>& colours, int run, bool columns, int across) {
    ZQ::CaptionBitmap bitmap;
    bitmap.width = columns ? run * static_cast<int>(colours.size()) : across;
    bitmap.height = columns ? across : run * static_cast<int>(colours.size());
    bitmap.pixels =
        static_cast<uint8_t*>(std::malloc(static_cast<std::size_t>(bitmap.width) * bitmap.height * 4));
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const Pixel& c = colours[static_cast<std::size_t>((columns ? x : y) / run)];
            std::copy(c.begin(), c.end(),
                      bitmap.pixels + (static_cast<std::size_t>(y) * bitmap.width + x) * 4);
        }
    }
    return bitmap;
}

constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kGreen{0, 255, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};
constexpr Pixel kClear{0, 0, 0, 0};

class RenderCaptionTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        width = ZQ::gGlobals.screenSize.x;
        height = ZQ::gGlobals.screenSize.y;
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        profile.targetSize = 256.0f;
        targets.create(width, height, profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(width),
                              static_cast<GLsizei>(height));
        targets.setUp();
        captionPass = new ZQ::RenderCaption(&captions);
        flowPass = new ZQ::RenderFlow(&letters);
        captionPass->setUp();
        flowPass->setUp();
        ZQ::gGlobals.renderCaption = captionPass;
        ZQ::gGlobals.renderFlow = flowPass;
    }

    void TearDown() override {
        for (ZQ::Cloudlet* item : owned) {
            delete item;
        }
        captionPass->tearDown();
        flowPass->tearDown();
        delete captionPass;
        delete flowPass;
        for (ZQ::CaptionEntry* entry : entries) {
            delete entry->texture;
            delete entry;
        }
        targets.tearDown();
        HeadlessGLTest::TearDown();
    }

    ZQ::CaptionEntry* entry(ZQ::CaptionBitmap bitmap) {
        auto* made = new ZQ::CaptionEntry{
            "test", new ZQ::TextureMetrics(bitmap.width, bitmap.height, bitmap.pixels,
                                           std::move(bitmap.metrics), false, GL_LINEAR, GL_LINEAR)};
        made->texture->setUp();
        entries.push_back(made);
        return made;
    }

    template <typename T> T* add(T* item, Items& to, float x, float y, float scale) {
        item->layout.position = PVRTVec3(x, y, ZQ::DeviceProfile::get().hudDepth);
        item->layout.scale = scale;
        to.items.push_back(item);
        owned.push_back(item);
        return item;
    }

    void frame() { ZQ::renderFrame(targets, {}); }

    float width = 0.0f;
    float height = 0.0f;
    ZQ::RenderTargets targets;
    Items captions;
    Items letters;
    ZQ::RenderCaption* captionPass = nullptr;
    ZQ::RenderFlow* flowPass = nullptr;
    std::vector<ZQ::CaptionEntry*> entries;
    std::vector<ZQ::Cloudlet*> owned;
};

TEST_F(RenderCaptionTest, ACaptionCoversItsQuadUprightAtItsPlace) {
    // 4 x 2 texels, red row below blue, drawn 40 x 20 pixels centred on (200, 300).
    ZQ::CaptionEntry* e = entry(stripes({kRed, kBlue}, 1, false, 4));
    add(new ZQ::CaptionInstance(e), captions, 200.0f, 300.0f, 10.0f);
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(200, 292), kRed);
    EXPECT_EQ(HeadlessGL::readPixel(182, 292), kRed);
    EXPECT_EQ(HeadlessGL::readPixel(200, 307), kBlue);
    EXPECT_EQ(HeadlessGL::readPixel(217, 307), kBlue);
    EXPECT_EQ(HeadlessGL::readPixel(200, 312), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(178, 300), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(222, 300), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(200, 288), kClear);
}

TEST_F(RenderCaptionTest, OpacityBlendsAndLaterCaptionsCoverEarlierOnes) {
    ZQ::CaptionEntry* red = entry(stripes({kRed}, 2, true, 2));
    ZQ::CaptionEntry* green = entry(stripes({kGreen}, 2, true, 2));
    add(new ZQ::CaptionInstance(red), captions, 100.0f, 100.0f, 20.0f);
    add(new ZQ::CaptionInstance(green), captions, 110.0f, 100.0f, 20.0f)->layout.alpha = 0.5f;
    // Angles do not turn captions; hidden ones are skipped.
    captions.items.back()->layout.angles = PVRTVec3(0.0f, 0.0f, 1.0f);
    add(new ZQ::CaptionInstance(green), captions, 400.0f, 400.0f, 20.0f)->drawn = 0;
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(85, 100), kRed);
    const Pixel mixed = HeadlessGL::readPixel(115, 100);
    EXPECT_NEAR(mixed[0], 128, 2);
    EXPECT_NEAR(mixed[1], 128, 2);
    EXPECT_EQ(HeadlessGL::readPixel(119, 91), HeadlessGL::readPixel(119, 108)); // not turned
    EXPECT_EQ(HeadlessGL::readPixel(400, 400), kClear);
}

TEST_F(RenderCaptionTest, DepthOutsideTheOverlayRangeAndAPausedModelDrawNothing) {
    ZQ::CaptionEntry* e = entry(stripes({kRed}, 2, true, 2));
    add(new ZQ::CaptionInstance(e), captions, 100.0f, 100.0f, 20.0f)->layout.position.z = 0.0f;
    add(new ZQ::CaptionInstance(e), captions, 300.0f, 100.0f, 20.0f)->layout.position.z = height + 3.0f;
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(100, 100), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(300, 100), kRed);
    captions.paused = true;
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(300, 100), kClear);
}

TEST_F(RenderCaptionTest, APictureWhoseFileIsMissingDrawsNothing) {
    auto* missing = new ZQ::CaptionEntry{
        "ring", new ZQ::TextureFile("no-such-picture@2", "png", false, GL_LINEAR, GL_LINEAR)};
    missing->texture->setUp();
    entries.push_back(missing);
    ZQ::CaptionInstance* caption = add(new ZQ::CaptionInstance(missing), captions, 100.0f, 100.0f, 1.0f);
    EXPECT_EQ(caption->getSize(), PVRTVec2(0.0f, 0.0f));
    caption->baseLayout.scale = 40.0f; // as if the picture had been 40 pixels wide
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(100, 100), kClear);
}

TEST_F(RenderCaptionTest, ALetterShowsItsSliceOfTheCaptionAroundItsParticle) {
    // Three letters of 10 texels each: red, green, blue; letter 1 is green,
    // cut one texel in from either boundary: 8 of 30 texels of a caption
    // drawn 300 pixels wide, so 80 pixels wide and 20 high.
    ZQ::CaptionBitmap bitmap = stripes({kRed, kGreen, kBlue}, 10, true, 2);
    bitmap.metrics = {0.0, 10.0, 20.0, 30.0};
    ZQ::CaptionEntry* e = entry(std::move(bitmap));
    add(new ZQ::FlowInstance(e, 1, 0, 0), letters, 300.0f, 500.0f, 10.0f);
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(300, 500), kGreen);
    EXPECT_EQ(HeadlessGL::readPixel(262, 492), kGreen);
    EXPECT_EQ(HeadlessGL::readPixel(337, 508), kGreen);
    EXPECT_EQ(HeadlessGL::readPixel(343, 500), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(256, 500), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(300, 512), kClear);

    // Turned a quarter about z before the caption's non-uniform scale, the
    // letter is sheared: its unit height becomes the caption's 300-pixel
    // width, its width 8/30 of the 20-pixel height.
    letters.items.back()->layout.angles = PVRTVec3(0.0f, 0.0f, 1.5707964f);
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(300, 500), kGreen);
    EXPECT_EQ(HeadlessGL::readPixel(440, 500), kGreen);
    EXPECT_EQ(HeadlessGL::readPixel(300, 504), kClear);
}

TEST_F(RenderCaptionTest, ALetterPastAShorterNewTextIsLeftOut) {
    // A word of three letters whose caption now has one: letters 1 and 2
    // have no slice and are not drawn; letter 0 still is.
    ZQ::CaptionBitmap bitmap = stripes({kRed}, 10, true, 2);
    bitmap.metrics = {0.0, 10.0};
    ZQ::CaptionEntry* e = entry(std::move(bitmap));
    add(new ZQ::FlowInstance(e, 0, 0, 0), letters, 200.0f, 500.0f, 10.0f);
    add(new ZQ::FlowInstance(e, 1, 0, 1), letters, 400.0f, 500.0f, 10.0f);
    add(new ZQ::FlowInstance(e, 2, 0, 2), letters, 600.0f, 500.0f, 10.0f);
    frame();
    EXPECT_EQ(HeadlessGL::readPixel(200, 500), kRed);
    EXPECT_EQ(HeadlessGL::readPixel(400, 500), kClear);
    EXPECT_EQ(HeadlessGL::readPixel(600, 500), kClear);
}

TEST(RenderCaptionMatrixTest, LetterMatrixAppliesTheRotationsBeforeTheScale) {
    // A reference built element by element: T . S . Ry . Rx . Rz.
    const float position[3] = {5.0f, 6.0f, 7.0f};
    const float angles[3] = {0.3f, -0.7f, 1.1f};
    float m[16];
    ZQ::RenderFlow::letterMatrix(m, position, 2.0f, 3.0f, angles);
    const auto rot = [](int axis, float a) {
        PVRTMat4 r = PVRTMat4::identity();
        const float c = std::cos(a), s = std::sin(a);
        const int i = axis == 0 ? 1 : 0, j = axis == 2 ? 1 : 2;
        // Element (row r, column c) at 4c + r, as the passes write them.
        r.f[4 * i + i] = c;
        r.f[4 * j + j] = c;
        r.f[4 * j + i] = axis == 1 ? -s : s;
        r.f[4 * i + j] = axis == 1 ? s : -s;
        return r;
    };
    const PVRTMat4 expected = PVRTMat4::translation(5, 6, 7) * PVRTMat4::scale(2, 3, 2) * rot(1, -0.7f) *
                              rot(0, 0.3f) * rot(2, 1.1f);
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(m[k], expected.f[k], 1e-6f) << k;
    }
}

} // namespace
