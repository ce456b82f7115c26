#include "overlays/ScoreModel.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "render/Texture.h"

#include <algorithm>

namespace ZQ {

namespace {

constexpr float kHudAlpha = 0.75f;

} // namespace

void ScoreModel::show() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr && gGlobals.captionBox != nullptr);
    CaptionInstance* ring = gGlobals.captionModel->addCaption(ResourceNames::ring, new NopAction());
    const Texture* texture = ring->entry->texture;
    const float ringHeight = texture != nullptr ? static_cast<float>(texture->height) : 0.0f;
    ring->layout.position = PVRTVec3(0.1f * gGlobals.screenSize.x, 0.97f * gGlobals.screenSize.y - ringHeight,
                                     DeviceProfile::get().hudDepth);
    ring->layout.alpha = kHudAlpha;
    popNumber();
    caption = CaptionCollection::showScore(count);
}

void ScoreModel::hide() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    gGlobals.captionModel->hideCaption(ResourceNames::ring);
    popNumber();
}

void ScoreModel::advance() {
    count = std::min(count, kMaxCount - 1) + 1;
    popNumber();
    caption = CaptionCollection::showScore(count);
}

void ScoreModel::popNumber() {
    if (caption != nullptr) {
        CaptionCollection::popAction(caption);
        caption = nullptr;
    }
}

} // namespace ZQ
