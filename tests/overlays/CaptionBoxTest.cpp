#include "overlays/CaptionBox.h"
#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionGLFixture.h"
#include "overlays/CaptionInstance.h"
#include "render/Texture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace ZQ::CaptionCollection;

TEST_F(CaptionGLTest, GetCaptionRendersOnceAndKeepsItsEntry) {
    EXPECT_EQ(box->entryCount(), pictures); // no text is rendered at set-up
    EXPECT_EQ(box->captionKey("timer_5"), "en_timer_5");
    ZQ::CaptionEntry* entry = box->getCaption("a");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, "a");
    const ZQ::Texture* texture = entry->texture;
    EXPECT_NE(texture->name, 0u);
    EXPECT_EQ(texture->width, 200);
    EXPECT_EQ(texture->height, 50);
    EXPECT_EQ(metricsOf(entry).size(), std::string("text of a").size() + 1);
    EXPECT_EQ(box->getCaption("a"), entry);
    EXPECT_EQ(entry->texture, texture);
    EXPECT_EQ(box->entryCount(), pictures + 1);

    // A name the list lacks: an empty 1 x 1 texture, uploaded like any other.
    testing::internal::CaptureStderr();
    const ZQ::CaptionEntry* missing = box->getCaption("absent");
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("en_absent"));
    EXPECT_EQ(missing->texture->width, 1);
    EXPECT_EQ(missing->texture->height, 1);
    EXPECT_NE(missing->texture->name, 0u);
}

TEST_F(CaptionGLTest, PicturesAreFilesOfTheBundleLoadedAtSetUp) {
    // Pictures look nothing up in the captions list: the round ones are
    // drawn at the caption scale, the buttons are PVR files.
    EXPECT_EQ(pictures, 20u);
    const auto* ring = dynamic_cast<const ZQ::TextureFile*>(box->findCaption("ring")->texture);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->resourceName, "ring@" + std::to_string(ZQ::DeviceProfile::get().captionScale));
    EXPECT_EQ(ring->extension, "png");
    const auto* button = dynamic_cast<const ZQ::TextureFile*>(box->findCaption("ui_mute_off")->texture);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->resourceName, "ui_mute_off");
    EXPECT_EQ(button->extension, "pvr");
    EXPECT_NE(box->findCaption("tile_bg_1px"), nullptr);
    EXPECT_EQ(box->getCaption("zen"), box->findCaption("zen"));
    box->runGc({});
    EXPECT_EQ(box->entryCount(), pictures);
}

TEST_F(CaptionGLTest, SetCaptionSwapsTheTextureUnderEveryInstance) {
    ZQ::CaptionEntry* entry = box->getCaption("a");
    ZQ::CaptionInstance first(entry);
    ZQ::CaptionInstance second(entry);
    const GLuint oldName = entry->texture->name;
    const ZQ::Texture* oldTexture = entry->texture;

    box->setCaption("a", "Gamma");
    EXPECT_EQ(box->getCaption("a"), entry);
    EXPECT_NE(entry->texture, oldTexture);
    EXPECT_EQ(first.entry->texture, entry->texture);
    EXPECT_EQ(second.entry->texture, entry->texture);
    EXPECT_EQ(glIsTexture(oldName), GL_FALSE);
    EXPECT_EQ(metricsOf(entry).size(), 6u);
    EXPECT_EQ(label("a"), "Gamma");

    // Never shown before: rendered, then replaced; one entry, one texture.
    box->setCaption("b", "Delta");
    EXPECT_EQ(label("b"), "Delta");
    EXPECT_EQ(metricsOf(box->findCaption("b")).size(), 6u);
    EXPECT_EQ(box->entryCount(), pictures + 2);
}

TEST_F(CaptionGLTest, RunGcReleasesUnusedTextCaptionsAndLeavesNoEmptySlot) {
    box->getCaption("timer_1");
    box->getCaption("timer_2");
    box->getCaption("a"); // not collectable
    ASSERT_EQ(box->entryCount(), pictures + 3);

    box->runGc({"timer_1"});
    EXPECT_NE(box->findCaption("timer_1"), nullptr);
    EXPECT_EQ(box->findCaption("timer_2"), nullptr);
    EXPECT_NE(box->findCaption("a"), nullptr);
    // Hundreds of collectable names were never rendered: none left a slot;
    // pictures are never released.
    EXPECT_EQ(box->entryCount(), pictures + 2);

    // A released caption comes back on demand, with the last text it was set to.
    box->setCaption("timer_1", "one");
    box->runGc({});
    EXPECT_EQ(box->entryCount(), pictures + 1);
    const ZQ::CaptionEntry* again = box->getCaption("timer_1");
    EXPECT_EQ(metricsOf(again).size(), 4u);
    EXPECT_EQ(label("timer_1"), "one");
}

TEST_F(CaptionGLTest, ReleasingKeepsWhatTheModelsShow) {
    model.addCaption("timer_1", new ZQ::NopAction());
    box->getCaption("timer_2");
    ZQ::gGlobals.models = {&model};
    ZQ::releaseUnusedCaptions();
    EXPECT_NE(box->findCaption("timer_1"), nullptr);
    EXPECT_EQ(box->findCaption("timer_2"), nullptr);
    EXPECT_EQ(box->entryCount(), pictures + 1);
}

TEST_F(CaptionGLTest, SettersWriteTheirTexts) {
    EXPECT_EQ(holoTimerText(0), " ");
    EXPECT_EQ(holoTimerText(1), " ");
    EXPECT_EQ(holoTimerText(2), "2 seconds");
    EXPECT_EQ(holoTimerText(-3), "-3 seconds");

    // Padded to five places one blank at a time (in front at odd lengths,
    // behind at even ones), then every place preceded by a blank.
    EXPECT_EQ(pointsValueText(7), std::string(5, ' ') + "7" + std::string(4, ' '));
    EXPECT_EQ(pointsValueText(42), std::string(3, ' ') + "4 2" + std::string(4, ' '));
    EXPECT_EQ(pointsValueText(12345), " 1 2 3 4 5");
    EXPECT_EQ(pointsValueText(123456), " 1 2 3 4 5 6");

    EXPECT_EQ(groupedNumber(999, "en"), "999");
    EXPECT_EQ(groupedNumber(1234567, "en"), "1,234,567");
    EXPECT_EQ(groupedNumber(-1000, "ja"), "-1,000");
    EXPECT_EQ(groupedNumber(1234567, "de"), "1.234.567");
    EXPECT_EQ(groupedNumber(1000, "fr"), "1\u202F000");

    setHoloLevelText(3, 76);
    EXPECT_EQ(label("holo_level"), "3/76");
    setHoloTimerText(1);
    EXPECT_EQ(label("holo_timer"), " ");
    setHoloTimerText(45);
    EXPECT_EQ(label("holo_timer"), "45 seconds");
    setPointsValueText(7);
    EXPECT_EQ(label("points_value"), pointsValueText(7));
    setPartialsTotalText(2500);
    EXPECT_EQ(label("partials_total"), "2,500");

    // The same name twice renders once.
    setKnotNameText("Ourosa");
    const ZQ::Texture* texture = box->findCaption("knots_name")->texture;
    setKnotNameText("Ourosa");
    EXPECT_EQ(box->findCaption("knots_name")->texture, texture);
    EXPECT_EQ(label("knots_name"), "Ourosa");
}

// The setters remember their last value for the life of the process: a
// process of its own makes the first calls.
TEST_F(CaptionGLTest, AFirstZeroLeavesTheListsOwnText) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto firstCalls = [this] {
        setPointsValueText(0);
        setPartialsTotalText(0);
        const bool kept = label("points_value") == "text of points_value" &&
                          label("partials_total") == "text of partials_total";
        std::_Exit(kept ? 0 : 1);
    };
    EXPECT_EXIT(firstCalls(), testing::ExitedWithCode(0), "");
}

} // namespace
