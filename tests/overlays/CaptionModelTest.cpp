#include "overlays/CaptionModel.h"
#include "engine/EasingPresets.h"
#include "engine/LeafActions.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionGLFixture.h"
#include "overlays/CaptionInstance.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<ZQ::Cloudlet*> cloudlets(ZQ::CaptionModel& model) {
    std::vector<ZQ::Cloudlet*> out;
    model.getCloudlets(out);
    return out;
}

TEST_F(CaptionGLTest, CaptionsLiveExactlyAsLongAsTheirActions) {
    ZQ::CaptionInstance* staying = model.addCaption("a", new ZQ::NopAction());
    model.addCaption("b", new ZQ::WaitAction(2));
    model.addCaption("a", nullptr);
    EXPECT_EQ(staying->baseLayout.scale, 200.0f);
    EXPECT_EQ(cloudlets(model).size(), 3u);
    model.doStep(); // the wait runs; the caption without action goes
    EXPECT_EQ(model.captions.size(), 2u);
    model.doStep();
    EXPECT_EQ(model.captions.size(), 2u);
    model.doStep(); // the wait ends: dropped in the step it ended
    ASSERT_EQ(model.captions.size(), 1u);
    EXPECT_EQ(model.captions.front(), staying);
    for (int i = 0; i < 100; ++i) {
        model.doStep();
    }
    EXPECT_EQ(model.captions.size(), 1u);

    std::unordered_set<std::string> inUse;
    model.collectCaptions(inUse);
    EXPECT_EQ(inUse, std::unordered_set<std::string>{"a"});
}

TEST_F(CaptionGLTest, PausingHidesAndFreezesEveryCaption) {
    ZQ::CaptionInstance* caption = model.addCaption("a", new ZQ::FadeOutAction(ZQ::easeSmooth(), 10));
    model.doStep();
    const float alpha = caption->layout.alpha;
    model.pause();
    model.setUp(); // set-up leaves the pause alone
    EXPECT_TRUE(cloudlets(model).empty());
    for (int i = 0; i < 20; ++i) {
        model.doStep();
    }
    EXPECT_EQ(caption->layout.alpha, alpha);
    model.resume();
    EXPECT_EQ(cloudlets(model).size(), 1u);
}

TEST_F(CaptionGLTest, HideCaptionFadesEveryCaptionOfThatName) {
    model.addCaption("a", new ZQ::NopAction());
    model.addCaption("b", new ZQ::NopAction());
    model.addCaption("a", new ZQ::NopAction());
    model.hideCaption("a");
    model.hideCaption("nothing shown");
    for (int i = 0; i < 11; ++i) {
        model.doStep();
    }
    ASSERT_EQ(model.captions.size(), 1u);
    EXPECT_EQ(model.captions.front()->entry->name, "b");
    model.hideAllCaptions();
    for (int i = 0; i < 11; ++i) {
        model.doStep();
    }
    EXPECT_TRUE(model.isEmpty());
}

TEST_F(CaptionGLTest, SizeFollowsScaleAndTextureAndContainsItsEdges) {
    ZQ::CaptionInstance* caption = model.addCaption("a", new ZQ::NopAction());
    EXPECT_EQ(caption->getSize(), PVRTVec2(200.0f, 50.0f));
    caption->layout.scale = 0.5f;
    EXPECT_EQ(caption->getSize(), PVRTVec2(100.0f, 25.0f));

    caption->layout.position = PVRTVec3(300.0f, 400.0f, 0.0f);
    EXPECT_TRUE(caption->contains(250.0f, 387.5f)); // a corner
    EXPECT_TRUE(caption->contains(350.0f, 412.5f));
    EXPECT_FALSE(caption->contains(350.5f, 400.0f));
    EXPECT_FALSE(caption->contains(300.0f, 387.0f));

    // A texture of another aspect swapped into the entry: the size follows it
    // at a scale already seen, as the pass draws it.
    delete caption->entry->texture;
    caption->entry->texture = new ZQ::TextureMetrics(10, 10, static_cast<uint8_t*>(std::calloc(400, 1)), {},
                                                     false, GL_LINEAR, GL_LINEAR);
    caption->entry->texture->setUp();
    EXPECT_EQ(caption->getSize(), PVRTVec2(100.0f, 100.0f));
}

} // namespace
