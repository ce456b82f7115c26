#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/SoundGateway.h"
#include "overlays/CaptionBox.h"
#include "platform/ZQApplication.h"
#include "platform/ZQView.h"
#include "render/PodBox.h"
#include "render/Texture.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ZQ::gGlobals;

// Notes, at each purge, how many captions the box still held.
class PurgeWatcher : public RecordingSoundGateway {
public:
    void purge() override {
        captionsAtPurge.push_back(gGlobals.captionBox != nullptr ? gGlobals.captionBox->entryCount() : 0);
        RecordingSoundGateway::purge();
    }
    std::vector<std::size_t> captionsAtPurge;
};

class ViewBoxesTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        previous = ZQ::SoundGateway::setInstance(&sound);
    }
    void TearDown() override {
        ZQ::SoundGateway::setInstance(previous);
        HeadlessGLTest::TearDown();
    }
    PurgeWatcher sound;
    ZQ::ISoundGateway* previous = nullptr;
};

TEST_F(ViewBoxesTest, TheCaptionBoxAndThePodBoxAreBuiltSetUpAndGoneWithTheView) {
    auto view = std::make_unique<ZQView>(*HeadlessGL::context(), ZQApplication::kFramePoints, 2.0f,
                                         ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>,
                                         &makeNoRenderPasses);
    ZQ::CaptionBox* box = gGlobals.captionBox;
    ASSERT_NE(box, nullptr);
    ASSERT_NE(gGlobals.podBox, nullptr);
    EXPECT_EQ(gGlobals.boxes, (std::vector<ZQ::InitProtocol*>{box, gGlobals.podBox}))
        << "the caption box first, then the POD box";
    // Set up before the first frame: the pictures are loaded from the bundle.
    const ZQ::CaptionEntry* ring = box->findCaption("ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_NE(ring->texture->name, 0u);

    // A text caption no model shows is released by the view's runGc (after
    // the sound buffers) and comes back, rendered again, when it is asked for.
    ASSERT_FALSE(box->collectableNames().empty());
    const std::string name = box->collectableNames().front();
    ASSERT_NE(box->getCaption(name)->texture, nullptr);
    const std::size_t rendered = box->entryCount();
    view->runGc();
    EXPECT_EQ(sound.captionsAtPurge, std::vector<std::size_t>{rendered});
    EXPECT_EQ(box->findCaption(name), nullptr);
    EXPECT_EQ(box->entryCount(), rendered - 1);
    EXPECT_NE(box->findCaption("ring"), nullptr) << "pictures stay";
    EXPECT_NE(box->getCaption(name)->texture, nullptr);

    view.reset();
    EXPECT_EQ(gGlobals.captionBox, nullptr);
    EXPECT_EQ(gGlobals.podBox, nullptr);
    EXPECT_TRUE(gGlobals.boxes.empty());
}

} // namespace
