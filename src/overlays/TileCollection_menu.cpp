#include "overlays/TileCollection.h"

#include "constants/ResourceNames.h"
#include "cords/BraidActions.h"
#include "cords/BraidModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/TileModel.h"

#include <cstdint>

namespace ZQ {

namespace {

constexpr int32_t kTitleFrames = 90;
constexpr int32_t kTitleLeaveFrames = 30;
constexpr int32_t kBraidFadeFrames = 15;

// The menu braids' colours: black surfaces, told apart by their two-tone
// ends (warm, cool).
// clang-format off
constexpr Material kBraidMaterials[] = {
    {Palette::black, Palette::black, Palette::black, 12.8f, 0.0f, Palette::purple,           Palette::aureolineYellow}, // 0
    {Palette::black, Palette::black, Palette::black, 12.8f, 0.0f, Palette::skyBlueDeep,      Palette::purple},          // 1
    {Palette::black, Palette::black, Palette::black, 12.8f, 0.0f, Palette::red,              Palette::skyBlueDeep},     // 2
    {Palette::black, Palette::black, Palette::black, 12.8f, 0.0f, Palette::chromeOxideGreen, Palette::purple},          // 3
};
// clang-format on
static_assert(sizeof kBraidMaterials / sizeof kBraidMaterials[0] == 4);

// A uniform fraction in [0, 1).
float randomUnit() {
    return static_cast<float>(static_cast<double>(arc4random()) / 4294967296.0);
}

// The title's pose: centred at height y (a fraction of the screen's), at the
// overlay depth.
Layout titleLayout(float y, float alpha) {
    Layout layout;
    layout.position =
        PVRTVec3(0.5f * gGlobals.screenSize.x, y * gGlobals.screenSize.y, DeviceProfile::get().hudDepth);
    layout.alpha = alpha;
    return layout;
}

void addBraids() {
    BraidModel* braids = gGlobals.braidModel;
    ZQ_ASSERT(braids != nullptr);
    const int32_t count = static_cast<int32_t>(arc4random() % 3) + 1;
    float x = 2.0f * (randomUnit() - 0.5f) * gGlobals.worldSize.x;
    const float y = 0.9f * gGlobals.worldSize.y;
    for (int32_t i = 0; i < count; ++i) {
        BraidInstance* braid = braids->addBraid(PVRTVec3(x, y, 0.0f), kBraidMaterials[arc4random() & 3]);
        braid->setAction(new Parallel(
            {new Loop({new BraidExploreAction()}), new FadeInAction(easeInCirc(), kBraidFadeFrames, 1.0f)}));
        x += 6.0f;
        x += 10.0f * randomUnit();
    }
    braids->prepareWorkers();
}

} // namespace

void TileCollection::showMainExtras() {
    CaptionModel* captions = gGlobals.captionModel;
    ZQ_ASSERT(captions != nullptr);
    // The title slides down and fades in, then stays.
    captions->addCaption(
        ResourceNames::zr_title,
        new Sequence({new EasingStaticAction(titleLayout(1.0f, 0.0f), titleLayout(0.9f, 1.0f), easeOutCirc(),
                                             kTitleFrames),
                      new NopAction()}));
    CaptionInstance* maker = captions->addCaption(ResourceNames::company_name, new NopAction());
    maker->layout = titleLayout(0.025f, 1.0f);
    addBraids();
}

void TileCollection::hideMainMenu() {
    CaptionModel* captions = gGlobals.captionModel;
    ZQ_ASSERT(captions != nullptr);
    if (CaptionInstance* title = captions->findCaption(ResourceNames::zr_title); title != nullptr) {
        title->setAction(new EasingAction(titleLayout(1.0f, 0.0f), easeOutCirc(), kTitleLeaveFrames));
    } else {
        platformLog("The main menu's title is not on screen");
    }
    captions->hideCaption(ResourceNames::company_name);
    ZQ_ASSERT(gGlobals.tileModel != nullptr);
    gGlobals.tileModel->hideTile();
    if (gGlobals.braidModel != nullptr) {
        for (BraidInstance* braid : gGlobals.braidModel->getBraids()) {
            braid->setAction(new FadeOutAction(easeInCirc(), kBraidFadeFrames));
        }
    }
}

} // namespace ZQ
