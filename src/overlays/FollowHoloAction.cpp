#include "overlays/FollowHoloAction.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"

namespace ZQ {

namespace {

// How far below the hologram's centre the disc rides, and how it shows.
constexpr float kDrop = 0.01f;
constexpr float kAlpha = 0.75f;

} // namespace

FollowHoloAction::FollowHoloAction(HoloInstance* hologram)
    : hologram(hologram), levelIndex(hologram != nullptr ? hologram->levelIndex : -1) {
    ZQ_ASSERT(hologram != nullptr);
}

bool FollowHoloAction::alive() const {
    // Only the slot's own hologram is read: the pointer is compared, never
    // followed, until the model vouches for it.
    const HoloModel* model = gGlobals.holoModel;
    if (model == nullptr) {
        return true; // no model frees it
    }
    const auto i = static_cast<std::size_t>(levelIndex);
    return levelIndex >= 0 && i < model->instances.size() && model->instances[i] == hologram;
}

Action::State FollowHoloAction::follow() {
    ZQ_ASSERT(target != nullptr);
    if (!alive()) {
        return Success;
    }
    const Layout& pose = hologram->layout;
    const float height = pose.scale * hologram->baseLayout.scale * hologram->boxHeight();
    Layout& disc = target->layout;
    disc = pose;
    disc.position.y =
        pose.position.y - kDrop * gGlobals.screenSize.y + height * (hologram->scannerPhase - 0.5f);
    disc.scale = 1.0f;
    disc.alpha = kAlpha * pose.alpha;
    return Running;
}

} // namespace ZQ
