#pragma once

#include "cords/GrainModel.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionFixture.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"
#include "stage/GaugeModel.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"

#include <memory>
#include <string>
#include <vector>

// The heads-up displays as a level shows them: a caption box on a small "en"
// list holding every number caption, the caption model, the catalogue, the
// flow world with the flow model, the gauge and grain models and the
// displays, all in the engine globals for the test's duration, and a
// recording sound gateway.
class HudTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.language = "en";
        auto made = list.generator(2);
        generator = made.get();
        box = std::make_unique<ZQ::CaptionBox>(made.release());
        box->setUp();
        flowWorld.setUp();
        ZQ::Globals& g = ZQ::gGlobals;
        g.captionBox = box.get();
        g.captionModel = &captions;
        g.levelModel = &catalogue;
        g.particleSystem2 = &flowWorld;
        g.flowModel = &flows;
        g.timerModel = &timer;
        g.scoreModel = &score;
        g.stringScoreModel = &calm;
        g.pointsModel = &points;
        g.gaugeModel = &gauges;
        g.grainModel = &grains;
        g.headModel = &heads;
        for (ZQ::Model* model : models()) {
            model->setUp();
        }
    }

    void TearDown() override {
        for (ZQ::Model* model : models()) {
            model->tearDown();
        }
        captions.tearDown();
        flowWorld.tearDown();
        box->tearDown();
        HeadlessGLTest::TearDown();
    }

    std::vector<ZQ::Model*> models() {
        return {&timer, &score, &points, &flowWorld, &catalogue, &flows, &captions, &gauges, &grains, &calm};
    }

    // One frame of the displays, in the game's model order.
    void step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            for (ZQ::Model* model : models()) {
                model->doStep();
            }
        }
    }

    // The names of the captions on screen, in drawing order.
    std::vector<std::string> onScreen() const {
        std::vector<std::string> out;
        for (const ZQ::CaptionInstance* caption : captions.captions) {
            out.push_back(caption->entry->name);
        }
        return out;
    }

    std::size_t countOf(const std::string& name) const {
        std::size_t n = 0;
        for (const std::string& shown : onScreen()) {
            n += shown == name ? 1 : 0;
        }
        return n;
    }

    static std::string captionList() {
        std::string leaves;
        for (int i = 0; i <= 90; ++i) {
            leaves += leaf("timer_" + std::to_string(i), std::to_string(i));
        }
        for (int i = 0; i <= 150; ++i) {
            leaves += leaf("score_" + std::to_string(i), std::to_string(i));
        }
        leaves += leaf("messages_extratime", "EXTRA TIME");
        leaves += leaf("points_value", ZQ::CaptionCollection::pointsValueText(0));
        leaves += leaf("a", "ab");
        return "<key>en</key><dict><key>attributes</key><dict>"
               "<key>width</key><real>100</real><key>height</key><real>25</real><key>size</key><real>10</"
               "real>"
               "<key>fillcolor</key><array><real>1</real><real>1</real><real>1</real><real>1</real></array>"
               "</dict>" +
               leaves + "</dict>";
    }

    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
    CaptionListFile list{captionList()};
    // The text the caption `name` is drawn with now.
    std::string label(const std::string& name) const {
        return generator->captionAttrs().at("en_" + name).at("label").text;
    }

    ZQ::ZQCaptionGenerator* generator = nullptr; // owned by the box
    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::CaptionModel captions;
    ZQ::LevelModel catalogue;
    ZQ::Fx::ParticleSystem flowWorld{ZQ::Fx::kFlowWorld};
    ZQ::FlowModel flows;
    ZQ::TimerModel timer;
    ZQ::ScoreModel score;
    ZQ::StringScoreModel calm;
    ZQ::PointsModel points;
    ZQ::GaugeModel gauges;
    ZQ::GrainModel grains;
    ZQ::HeadModel heads;
};
