#pragma once

#include "cords/GrainModel.h"
#include "cords/HeadModel.h"
#include "cords/TangleModel.h"
#include "engine/Globals.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "engine/SocialGateway.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/AwardController.h"
#include "game/AwardStates.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionFixture.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TileInstance.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "stage/GaugeModel.h"
#include "support/CatalogueSuite.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"
#include "support/TempFolder.h"

#include <memory>
#include <string>
#include <vector>

// A social gateway with one network open, counting the snapshots asked for.
class SnapshotGateway final : public ZQ::ISocialGateway {
public:
    bool isTwAvailable() override { return true; }
    bool isFbAvailable() override { return false; }
    bool isWeAvailable() override { return false; }
    bool canSendEmail() override { return false; }
    void takeSnapshot() override { ++snapshots; }
    bool isSnapshotTaken() override { return snapshots > 0; }
    void clearSnapshot() override { ++clears; }
    void publishOnProfile(int32_t, int32_t, const char*) override {}
    void sendEmail(int32_t, const char*) override {}

    int snapshots = 0;
    int clears = 0;
};

// The award screen's world: a caption box on a small "en" list with the
// award's texts, the caption, flow, points, gauge, grain and tangle models
// and the displays it hides, the shared catalogue, preference stores in a
// temporary folder, a recording sound gateway and a social gateway that
// counts snapshots; the models are the engine's model list for the test.
class AwardFixture : public CatalogueSuite<HeadlessGLTest> {
protected:
    void SetUp() override {
        CatalogueSuite<HeadlessGLTest>::SetUp();
        ASSERT_TRUE(folder.ok());
        ZQ::Globals& g = ZQ::gGlobals;
        g.language = "en";
        auto made = list.generator(2);
        box = std::make_unique<ZQ::CaptionBox>(made.release());
        box->setUp();
        g.captionBox = box.get();
        g.captionModel = &captions;
        g.particleSystem2 = &flowWorld;
        g.flowModel = &flows;
        g.timerModel = &timer;
        g.scoreModel = &score;
        g.stringScoreModel = &calm;
        g.pointsModel = &points;
        g.gaugeModel = &gauges;
        g.grainModel = &grains;
        g.headModel = &heads;
        g.tangleModel = &tangles;
        g.tileModel = &tiles;
        g.models = {&timer, &score,    &points, &flowWorld, catalogue, &tangles,
                    &flows, &captions, &tiles,  &gauges,    &grains,   &calm};
        for (ZQ::Model* model : g.models) {
            if (model != catalogue) {
                model->setUp();
            }
        }
        previousSocial = ZQ::SocialGateway::setInstance(&social);
    }

    void TearDown() override {
        ZQ::SocialGateway::setInstance(previousSocial);
        for (ZQ::Model* model : ZQ::gGlobals.models) {
            if (model != catalogue) {
                model->tearDown();
            }
        }
        box->tearDown();
        CatalogueSuite<HeadlessGLTest>::TearDown();
    }

    // One frame: the award's step, then the models in list order.
    void step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            award.doStep();
            for (ZQ::Model* model : ZQ::gGlobals.models) {
                model->doStep();
            }
        }
    }

    // Steps until the award reaches `state`; false after `frames` frames.
    bool stepUntil(AwardState state, int frames = 1200) {
        for (int i = 0; i < frames && award.state != state; ++i) {
            step();
        }
        return award.state == state;
    }

    // The level just solved: its parts as the game controller leaves them.
    void solved(int32_t level, int32_t grade) {
        catalogue->level = level;
        points.basePoints = catalogue->basePoints();
        points.scorePoints = 500;
        points.timePoints = 316;
        points.levelPoints = 816;
        points.previousPoints = 1200;
        points.points = 2016;
        points.grade = grade;
        points.tangles[grade] += 1;
        timer.show();
        score.show();
    }

    ZQ::CaptionInstance* onScreen(const std::string& name) const { return captions.findCaption(name); }

    // The ids of the tiles of the screen up, left to right; empty for none.
    std::vector<int32_t> tilesShown() const {
        std::vector<int32_t> ids;
        if (tiles.current != nullptr) {
            collectLeaves(tiles.current, ids);
        }
        return ids;
    }
    static void collectLeaves(const ZQ::TileInstance* tile, std::vector<int32_t>& ids) {
        if (tile->children.empty()) {
            ids.push_back(tile->id);
        }
        for (const ZQ::TileInstance* child : tile->children) {
            collectLeaves(child, ids);
        }
    }

    static std::string captionList() {
        std::string leaves;
        for (int i = 0; i <= 90; ++i) {
            leaves += leaf("timer_" + std::to_string(i), std::to_string(i));
        }
        for (int i = 0; i <= 150; ++i) {
            leaves += leaf("score_" + std::to_string(i), std::to_string(i));
        }
        for (const char* name : {"messages_points", "partials_time", "partials_score", "small_totalpoints"}) {
            leaves += leaf(name, "POINTS");
        }
        leaves += leaf("points_value", "0 0 0");
        leaves += leaf("partials_total", "0");
        leaves += leaf("tangles_Golden", "GOLDEN");
        leaves += leaf("tangles_Silver", "SILVER");
        leaves += leaf("tangles_Bronze", "BRONZE");
        leaves += leaf("tangles_Steel", "ST");
        leaves += leaf("tangles_Obsidian", "O");
        return "<key>en</key><dict><key>attributes</key><dict>"
               "<key>width</key><real>100</real><key>height</key><real>25</real><key>size</key><real>10</"
               "real>"
               "<key>fillcolor</key><array><real>1</real><real>1</real><real>1</real><real>1</real></array>"
               "</dict>" +
               leaves + "</dict>";
    }

    TempFolder folder;
    ZQ::PlistFileStore defaults{folder.file("defaults.plist")};
    ZQ::PlistFileStore cloud{folder.file("cloud/cloud.plist")};
    ZQ::Preferences preferences{defaults, cloud};
    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
    SnapshotGateway social;
    ZQ::ISocialGateway* previousSocial = nullptr;
    CaptionListFile list{captionList()};
    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::CaptionModel captions;
    ZQ::Fx::ParticleSystem flowWorld{ZQ::Fx::kFlowWorld};
    ZQ::FlowModel flows;
    ZQ::TimerModel timer;
    ZQ::ScoreModel score;
    ZQ::StringScoreModel calm;
    ZQ::PointsModel points;
    ZQ::GaugeModel gauges;
    ZQ::GrainModel grains;
    ZQ::HeadModel heads;
    ZQ::TangleModel tangles;
    ZQ::TileModel tiles;
    ZQ::AwardController award{preferences};
};
