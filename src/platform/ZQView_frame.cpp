#include "platform/ZQView.h"

#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/SoundGateway.h"
#include "game/CloudMerge.h"
#include "overlays/CaptionBox.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQGameCenterGateway.h"
#include "render/Render.h"

void ZQView::stepEngine() {
    // A desktop has no attitude sensor: the refresh holds the vector at zero.
    motionParallax.motionRefresh(std::nullopt, false);
    if (cloudMerge != nullptr) {
        cloudMerge->doStep();
    }
    ZQ::gGlobals.stepFrame();
    ZQ::SoundGateway::instance()->doStep();
}

void ZQView::renderView() {
    ZQ::renderFrame(targets, repaint);
    if (take_snapshot) {
        // After the resolve: the finished frame, before it is presented.
        snapshot_image = std::make_unique<ZQImage>(readSnapshot());
        take_snapshot = false;
    }
}

void ZQView::drawView() {
    stepEngine();
    renderView();
    egl_context.presentRenderbuffer();
}

void ZQView::stepView() {
    stepEngine();
    // Asked after the step, which is what raises either. Left to the next
    // drawn frame, the repaint could find the relief already cleared (a
    // black room), and the share buttons would be laid out before there is
    // a snapshot.
    if (take_snapshot || repaint.pending()) {
        renderView();
    }
}

void ZQView::moveToInactive() {
    if (animating) {
        link.stop();
        animating = false;
    }
}

void ZQView::moveToActive() {
    // A level running at this point is paused, before the frames start again.
    if (master != nullptr) {
        master->pauseIfPlaying();
    }
    if (!animating) {
        link.start(ZQDisplayLink::Clock::now());
        animating = true;
    }
}

void ZQView::moveToForeground() {
    if (gameCenter != nullptr) {
        gameCenter->authenticateLocalPlayer();
    }
}

void ZQView::setGameCenter(ZQGameCenterGateway* gateway) {
    gameCenter = gateway;
    if (gameCenter != nullptr) {
        gameCenter->authenticateLocalPlayer();
    }
}

void ZQView::runGc() {
    // The sound buffers, then the caption textures no model shows.
    ZQ::SoundGateway::instance()->purge();
    ZQ::releaseUnusedCaptions();
}

void ZQView::takeSnapshot() {
    snapshot_image.reset();
    take_snapshot = true;
}

void ZQView::clearSnapshot() {
    take_snapshot = false;
    snapshot_image.reset();
}

void ZQView::touchesBegan(const ZQTouchSet& touches) {
    for (const ZQTouch& touch : touches) {
        gameEngine->touchBegan(pointInView(touch.location), getRadius(touch));
    }
    tally.began += static_cast<long>(touches.size());
    for (auto& recognizer : recognizers) {
        recognizer->touchesBegan(touches);
    }
}

void ZQView::touchesMoved(const ZQTouchSet& touches) {
    for (const ZQTouch& touch : touches) {
        gameEngine->touchMoved(pointInView(touch.location), getRadius(touch));
    }
    tally.moved += static_cast<long>(touches.size());
    for (auto& recognizer : recognizers) {
        recognizer->touchesMoved(touches);
    }
}

void ZQView::touchesEnded(const ZQTouchSet& touches) {
    for (const ZQTouch& touch : touches) {
        gameEngine->touchEnded(pointInView(touch.location), getRadius(touch));
    }
    tally.ended += static_cast<long>(touches.size());
    for (auto& recognizer : recognizers) {
        recognizer->touchesEnded(touches);
    }
}

void ZQView::touchesCancelled(const ZQTouchSet& touches) {
    for (const ZQTouch& touch : touches) {
        gameEngine->touchCancelled(pointInView(touch.location), getRadius(touch));
    }
    tally.cancelled += static_cast<long>(touches.size());
    for (auto& recognizer : recognizers) {
        recognizer->touchesCancelled(touches);
    }
}

void ZQView::handleSwipe(PVRTVec2 location, int direction) {
    ++tally.swipes;
    gameEngine->swipe(pointInView(location), direction);
}

void ZQView::handleTap(PVRTVec2 location, float radius) {
    ++tally.taps;
    gameEngine->tap(pointInView(location), radius);
}

void ZQView::handleDoubleTap(PVRTVec2 location) {
    ++tally.doubleTaps;
    gameEngine->doubleTap(pointInView(location));
}
