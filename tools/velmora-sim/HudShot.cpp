#include "HudShot.h"

#include "cords/HeadModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/RenderCaption.h"
#include "overlays/RenderFlow.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"

#include <vector>

namespace velmora_sim {

struct HudShot::Parts {
    ZQ::CaptionBox box;
    ZQ::Fx::ParticleSystem flowWorld{ZQ::Fx::kFlowWorld};
    ZQ::TimerModel timer;
    ZQ::ScoreModel score;
    ZQ::FlowModel flows;
    ZQ::CaptionModel captions;
    ZQ::HeadModel heads;
    ZQ::StringScoreModel calm;
    ZQ::RenderCaption captionPass{&captions};
    ZQ::RenderFlow flowPass{&flows};

    // In the game's model order.
    std::vector<ZQ::Model*> models() { return {&timer, &score, &flowWorld, &flows, &captions, &calm}; }
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
    g.renderCaption = &parts->captionPass;
    g.renderFlow = &parts->flowPass;
    parts->box.setUp();
    for (ZQ::Model* model : parts->models()) {
        model->setUp();
    }
    parts->captionPass.setUp();
    parts->flowPass.setUp();
}

HudShot::~HudShot() {
    parts->flowPass.tearDown();
    parts->captionPass.tearDown();
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
    g.renderCaption = nullptr;
    g.renderFlow = nullptr;
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
    return false;
}

void HudShot::step() {
    for (ZQ::Model* model : parts->models()) {
        model->doStep();
    }
}

} // namespace velmora_sim
