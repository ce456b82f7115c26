#include "stage/BalloonModel.h"

#include "engine/Action.h"
#include "engine/EasingPresets.h"
#include "engine/TweenActions.h"

namespace ZQ {

BalloonModel::~BalloonModel() {
    for (BalloonInstance* balloon : balloons) {
        delete balloon;
    }
}

void BalloonModel::doStep() {
    if (isPaused()) {
        return;
    }
    for (BalloonInstance* balloon : balloons) {
        balloon->step();
    }
    for (auto it = balloons.begin(); it != balloons.end();) {
        const Action* action = (*it)->getAction();
        if (action != nullptr && !action->isFinished()) {
            ++it;
            continue;
        }
        delete *it;
        it = balloons.erase(it);
    }
}

void BalloonModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (isPaused()) {
        return;
    }
    out.insert(out.end(), balloons.begin(), balloons.end());
}

void BalloonModel::addBalloon(BalloonInstance* balloon) {
    balloons.push_back(balloon);
}

void BalloonModel::easeAll() {
    for (BalloonInstance* balloon : balloons) {
        Layout to = balloon->layout;
        to.alpha = 0.0f;
        balloon->setAction(new EasingAction(to, easeSmooth(), kEaseFrames));
    }
}

} // namespace ZQ
