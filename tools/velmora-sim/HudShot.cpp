#include "HudShot.h"

#include "cords/GrainModel.h"
#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/TutorialSceneCollection.h"
#include "game/TutorialSteps.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/RenderCaption.h"
#include "overlays/RenderFlow.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"
#include "render/RenderGauge.h"
#include "render/RenderGrain.h"
#include "stage/GaugeModel.h"

#include <vector>

namespace velmora_sim {

struct HudShot::Parts {
    ZQ::CaptionBox box;
    ZQ::Fx::ParticleSystem flowWorld{ZQ::Fx::kFlowWorld};
    ZQ::TimerModel timer;
    ZQ::ScoreModel score;
    ZQ::PointsModel points;
    ZQ::FlowModel flows;
    ZQ::CaptionModel captions;
    ZQ::HeadModel heads;
    ZQ::GaugeModel gauges;
    ZQ::GrainModel grains;
    ZQ::StringScoreModel calm;
    ZQ::TNSlide slide;
    ZQ::RenderCaption captionPass{&captions};
    ZQ::RenderFlow flowPass{&flows};
    ZQ::RenderGauge gaugePass{&gauges};
    ZQ::RenderGrain grainPass;

    // In the game's model order.
    std::vector<ZQ::Model*> models() {
        return {&timer, &score, &points, &flowWorld, &flows, &captions, &gauges, &grains, &calm};
    }
    std::vector<ZQ::Render*> passes() { return {&flowPass, &captionPass, &gaugePass, &grainPass}; }
};

HudShot::HudShot() : parts(new Parts()) {
    ZQ::Globals& g = ZQ::gGlobals;
    g.captionBox = &parts->box;
    g.captionModel = &parts->captions;
    g.particleSystem2 = &parts->flowWorld;
    g.flowModel = &parts->flows;
    g.timerModel = &parts->timer;
    g.scoreModel = &parts->score;
    g.stringScoreModel = &parts->calm;
    // The calm strings count the heads; none are laid in a room shot.
    g.headModel = &parts->heads;
    g.pointsModel = &parts->points;
    g.gaugeModel = &parts->gauges;
    g.grainModel = &parts->grains;
    g.renderCaption = &parts->captionPass;
    g.renderFlow = &parts->flowPass;
    g.renderGauge = &parts->gaugePass;
    g.renderGrain = &parts->grainPass;
    parts->box.setUp();
    for (ZQ::Model* model : parts->models()) {
        model->setUp();
    }
    for (ZQ::Render* pass : parts->passes()) {
        pass->setUp();
    }
}

HudShot::~HudShot() {
    for (ZQ::Render* pass : parts->passes()) {
        pass->tearDown();
    }
    for (ZQ::Model* model : parts->models()) {
        model->tearDown();
    }
    parts->box.tearDown();
    ZQ::Globals& g = ZQ::gGlobals;
    g.captionBox = nullptr;
    g.captionModel = nullptr;
    g.particleSystem2 = nullptr;
    g.flowModel = nullptr;
    g.timerModel = nullptr;
    g.scoreModel = nullptr;
    g.stringScoreModel = nullptr;
    g.headModel = nullptr;
    g.pointsModel = nullptr;
    g.gaugeModel = nullptr;
    g.grainModel = nullptr;
    g.renderCaption = nullptr;
    g.renderFlow = nullptr;
    g.renderGauge = nullptr;
    g.renderGrain = nullptr;
    delete parts;
}

bool HudShot::show(const std::string& mode) {
    if (mode == "arcade") {
        parts->score.count = 0;
        parts->timer.show();
        parts->score.show();
        return true;
    }
    if (mode == "zen") {
        parts->calm.show();
        parts->timer.idleCounting = true;
        return true;
    }
    if (mode == "points") {
        // A level solved with 10 moves and 600 frames left: 500 points of
        // play and 316 of time, shown from the timed mode's displays.
        ZQ::PointsModel& points = parts->points;
        points.basePoints = ZQ::gGlobals.levelModel->basePoints();
        points.scorePoints = 500;
        points.timePoints = 316;
        points.levelPoints = 816;
        parts->score.count = 10;
        parts->timer.show();
        parts->score.show();
        points.flowId = -1;
        points.done = 0;
        points.animPoints(0);
        return true;
    }
    if (mode == "tutorial") {
        // The slide lesson's two lines, pinned where the tutorial pins them;
        // they are in place after its 60 frames of entry.
        parts->slide.rows = {0.75f, 0.3f};
        parts->slide.keep = true;
        ZQ::TutorialSceneCollection::showGroup(parts->slide);
        return true;
    }
    return false;
}

void HudShot::step() {
    for (ZQ::Model* model : parts->models()) {
        model->doStep();
    }
}

} // namespace velmora_sim
