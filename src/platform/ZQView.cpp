#include "platform/ZQView.h"

#include "engine/Controller.h"
#include "engine/DeviceProfile.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "engine/Model.h"
#include "engine/Preferences.h"
#include "engine/SoundGateway.h"
#include "game/SavedState.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQLanguage.h"
#include "render/PodBox.h"
#include "render/Render.h"

#include <algorithm>
#include <vector>

ZQView::ZQView(ZQEGLContext& context, PVRTVec2 frame, float scale, const ZQ::DeviceProfile& profile,
               ZQModelFactory makeModels, ZQPassFactory makePasses, ZQMasterFactory makeMaster)
    : egl_context(context), profile(profile), contentScale(scale),
      // Worked out in double, as the window system does, then kept as floats.
      screenPixels(static_cast<float>(static_cast<double>(frame.x) * static_cast<double>(scale)),
                   static_cast<float>(static_cast<double>(frame.y) * static_cast<double>(scale))),
      link(profile.frameInterval) {
    buildEngine(makeModels, makePasses, makeMaster);
    setUpEngine();
    registerWithTouchDispatcher();
    // Held from the first refresh on: a change takes effect at the next start.
    motionParallax.useDisableParallaxPreference(ZQ::Preferences::shared().isParallaxDisabled());
    // The first frame is drawn at once, before the display link runs: the
    // window never shows an unset screen.
    drawView();
}

// Everything is made before anything is set up: models reach each other
// through the engine globals in their set-up, so all of them must exist.
void ZQView::buildEngine(ZQModelFactory makeModels, ZQPassFactory makePasses, ZQMasterFactory makeMaster) {
    ZQ::Globals& g = ZQ::gGlobals;
    const std::string language = ZQLanguage::selectLanguage();

    gameEngine = new ZQ::GameEngine();
    g.language = language;
    g.setScreenSize(screenPixels.x, screenPixels.y);
    g.gameCenterAuthenticated = false;
    g.tutorialActive = false;

    // The screen target leaves its colour renderbuffer bound for the layer's
    // storage below; nothing made in between binds another one.
    targets.create(screenPixels.x, screenPixels.y, profile);
    // The boxes are set up before the models, which build on their contents:
    // the captions and pictures, then the models of the scenes.
    g.captionBox = new ZQ::CaptionBox();
    g.boxes.push_back(g.captionBox);
    g.podBox = new ZQ::PodBox();
    g.boxes.push_back(g.podBox);
    makeModels(profile);
    // The record starts at its defaults; the game flow loads the stored one
    // when the player continues or opens the map.
    if (g.levelModel != nullptr) {
        savedState = new ZQ::SavedState(g.levelModel->levelCount());
        g.savedState = savedState;
    }
    makePasses();
    master = makeMaster();
    if (master != nullptr) {
        g.masterController = master;
    }
}

void ZQView::setUpEngine() {
    ZQ::Globals& g = ZQ::gGlobals;
    egl_context.setUpLayer(static_cast<int>(screenPixels.x), static_cast<int>(screenPixels.y));
    ZQ::SoundGateway::instance()->setUp();
    targets.setUp();
    for (ZQ::InitProtocol* box : g.boxes) {
        box->setUp();
    }
    for (ZQ::Model* model : g.models) {
        model->setUp();
    }
    ZQ::setUpRenderPasses();
    if (master != nullptr) {
        master->setUp();
    }
    take_snapshot = false;
    snapshot_image.reset();
}

void ZQView::registerWithTouchDispatcher() {
    // In the order the touches reach them: a single tap is delivered before
    // the double tap it completes.
    recognizers = {
        std::make_unique<ZQSwipeGestureRecognizer>(kSwipeLeft, *this),
        std::make_unique<ZQSwipeGestureRecognizer>(kSwipeRight, *this),
        std::make_unique<ZQSwipeGestureRecognizer>(kSwipeUp, *this),
        std::make_unique<ZQSwipeGestureRecognizer>(kSwipeDown, *this),
        std::make_unique<ZQTapGestureRecognizer>(1, profile.touchRadius, *this),
        std::make_unique<ZQTapGestureRecognizer>(2, profile.touchRadius, *this),
    };
}

ZQView::~ZQView() {
    ZQ::Globals& g = ZQ::gGlobals;
    // The controllers leave the models they listen to while those still exist.
    if (master != nullptr) {
        master->tearDown();
        if (g.masterController == master) {
            g.masterController = nullptr;
        }
        delete master;
        master = nullptr;
    }
    ZQ::tearDownRenderPasses();
    for (ZQ::Model* model : g.models) {
        model->tearDown();
    }
    for (ZQ::InitProtocol* box : g.boxes) {
        box->tearDown();
    }
    targets.tearDown();
    ZQ::SoundGateway::instance()->tearDown();
    delete gameEngine;
    gameEngine = nullptr;

    // Nothing steps or draws any more. The models go last made first, which
    // stops and joins their workers on this thread, the one that made them.
    std::vector<ZQ::Model*> models = std::move(g.models);
    g.models.clear();
    for (auto it = models.rbegin(); it != models.rend(); ++it) {
        delete *it;
    }
    forgetEngineModels();
    deleteRenderPasses();
    if (g.savedState == savedState) {
        g.savedState = nullptr;
    }
    delete savedState;
    savedState = nullptr;
    std::erase(g.boxes, static_cast<ZQ::InitProtocol*>(g.podBox));
    delete g.podBox;
    g.podBox = nullptr;
    std::erase(g.boxes, static_cast<ZQ::InitProtocol*>(g.captionBox));
    delete g.captionBox;
    g.captionBox = nullptr;
}

float ZQView::getRadius(const ZQTouch& touch) const {
    if (!touch.hasMajorRadius) {
        return profile.touchRadius;
    }
    if (profile.addTouchTolerance) {
        return static_cast<float>(static_cast<double>(touch.majorRadius) +
                                  static_cast<double>(touch.majorRadiusTolerance));
    }
    return touch.majorRadius;
}
