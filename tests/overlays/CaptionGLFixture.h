#pragma once

#include "engine/Globals.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionFixture.h"
#include "overlays/CaptionModel.h"
#include "render/Texture.h"
#include "support/HeadlessGL.h"

#include <memory>
#include <string>
#include <vector>

// A caption box on a small "en" list, set up on the headless context, and a
// caption model, both in the engine globals for the test's duration. Every
// caption of the list is 100 x 25 points: 200 x 50 pixels at the box's
// scale of 2.
class CaptionGLTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        auto made = list.generator(2);
        generator = made.get();
        box = std::make_unique<ZQ::CaptionBox>(made.release());
        ZQ::gGlobals.language = "en";
        box->setUp();
        pictures = box->entryCount();
        ZQ::gGlobals.captionBox = box.get();
        ZQ::gGlobals.captionModel = &model;
    }

    void TearDown() override {
        model.tearDown();
        box->tearDown();
        HeadlessGLTest::TearDown();
    }

    // The text the caption `name` is drawn with from now on.
    std::string label(const std::string& name) const {
        return generator->captionAttrs().at("en_" + name).at("label").text;
    }

    // The metrics of a text caption's texture.
    static const std::vector<double>& metricsOf(const ZQ::CaptionEntry* entry) {
        return dynamic_cast<const ZQ::TextureMetrics&>(*entry->texture).metrics;
    }

    CaptionListFile list{captionList()};
    std::size_t pictures = 0;                    // entries loaded at set-up
    ZQ::ZQCaptionGenerator* generator = nullptr; // owned by the box
    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::CaptionModel model;

private:
    static std::string captionList() {
        std::string leaves;
        for (const char* name :
             {"a", "b", "points_value", "knots_name", "holo_level", "holo_timer", "partials_total",
              "small_totalpoints", "timer_0", "timer_1", "timer_2", "timer_4", "timer_90", "score_3",
              "small_tangles_Golden", "small_tangles_Silver", "small_tangles_Bronze", "small_tangles_Steel",
              "small_tangles_Obsidian"}) {
            leaves += leaf(name, std::string("text of ") + name);
        }
        return "<key>en</key><dict><key>attributes</key><dict>"
               "<key>width</key><real>100</real><key>height</key><real>25</real><key>size</key><real>10</"
               "real>"
               "<key>fillcolor</key><array><real>1</real><real>1</real><real>1</real><real>1</real></array>"
               "</dict>" +
               leaves + "</dict>";
    }
};
