#include "overlays/StringScoreModel.h"

#include "constants/ResourceNames.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"

namespace ZQ {

namespace {

constexpr float kHudAlpha = 0.75f;

} // namespace

void StringScoreModel::setUp() {
    count = 0;
    caption = nullptr;
}

void StringScoreModel::show() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    CaptionInstance* picture = gGlobals.captionModel->addCaption(ResourceNames::zen, new NopAction());
    picture->layout.position =
        PVRTVec3(0.1f * gGlobals.screenSize.x, 0.97f * gGlobals.screenSize.y, DeviceProfile::get().hudDepth);
    picture->layout.alpha = kHudAlpha;
    count = 0;
    caption = CaptionCollection::showStringScore(0);
}

void StringScoreModel::hide() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    gGlobals.captionModel->hideCaption(ResourceNames::zen);
    if (caption != nullptr) {
        caption->setAction(nullptr);
        caption = nullptr;
    }
}

void StringScoreModel::update() {
    ZQ_ASSERT(gGlobals.headModel != nullptr);
    int32_t calm = 0;
    for (const HeadInstance* head : gGlobals.headModel->heads) {
        calm += head->calm ? 1 : 0;
    }
    count = calm / 2;
    if (caption != nullptr) {
        caption->setAction(nullptr);
        caption = nullptr;
    }
    caption = CaptionCollection::showStringScore(count);
}

} // namespace ZQ
