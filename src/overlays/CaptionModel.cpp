#include "overlays/CaptionModel.h"

#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"

#include <vector>

namespace ZQ {

namespace {

constexpr int32_t kHideFrames = 10;

void fadeOut(CaptionInstance* caption) {
    caption->setAction(new FadeOutAction(easeInOutCirc(), kHideFrames));
}

} // namespace

CaptionModel::~CaptionModel() {
    for (CaptionInstance* caption : captions) {
        delete caption;
    }
}

void CaptionModel::tearDown() {
    for (CaptionInstance* caption : captions) {
        delete caption;
    }
    captions.clear();
    Model::tearDown();
}

void CaptionModel::doStep() {
    if (paused) {
        return;
    }
    // A copy: an action may add captions, which step from the next frame on.
    const std::vector<CaptionInstance*> stepping(captions.begin(), captions.end());
    for (CaptionInstance* caption : stepping) {
        caption->step();
        const Action* action = caption->getAction();
        if (action == nullptr || action->isFinished()) {
            captions.remove(caption);
            delete caption;
        }
    }
}

void CaptionModel::collectCaptions(std::unordered_set<std::string>& names) {
    for (const CaptionInstance* caption : captions) {
        if (caption->entry != nullptr) {
            names.insert(caption->entry->name);
        }
    }
}

void CaptionModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (paused) {
        return;
    }
    out.insert(out.end(), captions.begin(), captions.end());
}

CaptionInstance* CaptionModel::addCaption(const std::string& name, Action* action) {
    ZQ_ASSERT(gGlobals.captionBox != nullptr);
    auto* caption = new CaptionInstance(gGlobals.captionBox->getCaption(name));
    captions.push_back(caption);
    caption->setAction(action);
    return caption;
}

CaptionInstance* CaptionModel::findCaption(const std::string& name) const {
    for (CaptionInstance* caption : captions) {
        if (caption->entry != nullptr && caption->entry->name == name) {
            return caption;
        }
    }
    return nullptr;
}

void CaptionModel::hideCaption(const std::string& name) {
    for (CaptionInstance* caption : captions) {
        if (caption->entry != nullptr && caption->entry->name == name) {
            fadeOut(caption);
        }
    }
}

void CaptionModel::hideAllCaptions() {
    for (CaptionInstance* caption : captions) {
        fadeOut(caption);
    }
}

} // namespace ZQ
