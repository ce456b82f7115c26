#include "game/StoryText.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Log.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowSteps.h"

#include <vector>

namespace ZQ {

Layout layoutAt(PVRTVec3 position, PVRTVec3 angles, float scale, float alpha) {
    Layout layout;
    layout.position = position;
    layout.angles = angles;
    layout.scale = scale;
    layout.alpha = alpha;
    return layout;
}

void showCornerCaption(const std::string& name, int32_t delayFrames, int32_t fadeFrames, int32_t holdFrames) {
    const PVRTVec3 corner(0.8f * gGlobals.screenSize.x, 0.025f * gGlobals.screenSize.y,
                          DeviceProfile::get().hudDepth);
    const Layout hidden = layoutAt(corner, PVRTVec3(), 1.0f, 0.0f);
    const Layout shown = layoutAt(corner, PVRTVec3(), 1.0f, 1.0f);
    std::vector<Action*> steps;
    if (delayFrames > 0) {
        steps.push_back(new WaitAction(delayFrames));
    }
    steps.push_back(new EasingStaticAction(hidden, shown, easeOutCubic(), fadeFrames));
    steps.push_back(new WaitAction(holdFrames));
    steps.push_back(new EasingAction(hidden, easeInCubic(), fadeFrames));
    gGlobals.captionModel->addCaption(name, new Sequence(std::move(steps)));
}

LineSwing::LineSwing() : enter(new FlowModel::Batch()), remove(new FlowModel::Batch()) {}

LineSwing::~LineSwing() {
    if (enter != nullptr) {
        deleteBatch(enter);
        deleteBatch(remove);
    }
}

int32_t LineSwing::lay(const char* screen, const std::string& name, float x, float y) {
    int32_t letters = 0;
    gGlobals.flowModel->addFlow(gGlobals.captionBox->getCaption(name), &flow, &letters, x, y, 0.0f);
    if (letters < 1) {
        platformLog("%s line %s has no letters", screen, name.c_str());
        return 0;
    }
    remove->push_back(new FlowRemove(flow));
    return letters;
}

void LineSwing::pull(int32_t letter, Action* actions) {
    enter->push_back(new FlowAnim(flow, letter, actions));
}

void LineSwing::start() {
    ZQ_ASSERT(enter != nullptr);
    gGlobals.flowModel->addSteps({enter, remove});
    enter = nullptr;
    remove = nullptr;
}

} // namespace ZQ
