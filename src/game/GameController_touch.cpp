#include "game/GameController.h"

#include "cords/CordModel.h"
#include "cords/GraspFactory.h"
#include "cords/SlideAction.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/Random.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "overlays/CursorModel.h"
#include "overlays/ScoreModel.h"
#include "render/MeshInstance.h"

namespace ZQ {

namespace {

constexpr int32_t kCursorColours = 5;
constexpr int32_t kSlideTrailMesh = 1;
constexpr int32_t kSlideTrailFrames = 30;
constexpr int32_t kSlideTrailFade = 10;
constexpr int32_t kDragMarkerAt = GraspFactoryDriver::kDragBurst1;
constexpr int32_t kDragMoveAt = GraspFactoryDriver::kDragBurst2;
constexpr int32_t kDragFast = 2; // the drag state of a particle that just got fast

CursorModel& cursors() {
    ZQ_ASSERT(gGlobals.cursorModel != nullptr);
    return *gGlobals.cursorModel;
}

} // namespace

void GameController::touchBegan(PVRTVec2 point, float radius) {
    // A touch that begins outside play takes part in the bookkeeping but
    // never pulls.
    driver.touchBegan(point, radius, !inPlay());
}

void GameController::touchMoved(PVRTVec2 point, float radius) {
    driver.touchMoved(point, radius);
}

void GameController::touchEnded(PVRTVec2 point, float) {
    driver.touchEnded(point);
}

void GameController::touchCancelled(PVRTVec2 point, float) {
    driver.touchCancelled(point);
}

void GameController::swipe(PVRTVec2 point, int direction) {
    if (!inPlay() || point.y > gGlobals.screenSize.y * GraspFactoryDriver::kSwipeBand) {
        return;
    }
    if (direction != GraspFactoryDriver::kSwipeRight && direction != GraspFactoryDriver::kSwipeLeft) {
        return;
    }
    // A swipe the tutorial's running step refuses makes no grasp and must
    // leave no trace, not a sound nor a draw of the random source. One it
    // allows always makes its grasp (the rotate factory's start and end are
    // the same frame), and every string hums as the cord turns.
    if (driver.swipe(point, direction) == nullptr) {
        return;
    }
    const CordModel& cord = *gGlobals.cordModel;
    if (cord.count == 0) {
        return;
    }
    const float t = 0.49f * static_cast<float>(arc4random()) * 0x1p-32f;
    const PVRTVec3* first = &gGlobals.cordModel->getParticleRef(0);
    ISoundGateway* sound = SoundGateway::instance();
    for (int32_t k = 0; k < cord.stringCount(); ++k) {
        sound->playStringEffect(first, k, t);
        sound->playDragEffect(first, k, t);
    }
}

void GameController::playStep() {
    driver.step();
}

void GameController::resetGrasps() {
    driver.resetTouches();
}

void GameController::countMove() {
    ZQ_ASSERT(gGlobals.scoreModel != nullptr);
    gGlobals.scoreModel->advance();
}

void GameController::playPositionSound(const Grasp& grasp) {
    CordModel& cord = *gGlobals.cordModel;
    const int32_t p = grasp.particle;
    const int32_t string = cord.getSegmentIndexForParticle(p);
    const float t = cord.getSegmentPercentualeForParticle(p);
    // The sound reads the particle's place while it plays: the cord's own
    // array outlives it.
    const PVRTVec3* at = &cord.getParticleRef(p);
    if (grasp.getType() == Grasp::Drag) {
        SoundGateway::instance()->playDragEffect(at, string, t);
    } else {
        SoundGateway::instance()->playStringEffect(at, string, t);
    }
}

void GameController::onDragStep(DragFactory& factory, int32_t counter, DragGrasp& grasp) {
    if (counter == kDragMarkerAt) {
        factory.marker = cursors().showCursor(grasp.particle, factory.id % kCursorColours);
    } else if (counter == kDragMoveAt) {
        playPositionSound(grasp);
        countMove();
    } else if (counter > kDragMoveAt && grasp.dragState == kDragFast) {
        playPositionSound(grasp);
    }
}

void GameController::onSlide(SlideFactory& factory, SlideGrasp& grasp) {
    MeshInstance* trail = CursorModel::makeCursorMesh(kSlideTrailMesh, factory.id % kCursorColours);
    trail->layout.scale = 1.3f / gGlobals.worldScale;
    trail->setAction(new Sequence({new SlideAction(grasp.particles, grasp.sign, kSlideTrailFrames),
                                   new FadeOutAction(easeSmooth(), kSlideTrailFade)}));
    cursors().discs.push_back(trail);
    playPositionSound(grasp);
    countMove();
}

void GameController::onRotate(RotateGrasp&) {
    countMove();
    const RotateFactory& factory = *driver.getRotateFactory();
    cursors().showRotatingCursor(factory.startPoint.x, factory.startPoint.y, factory.endPoint.x,
                                 factory.endPoint.y);
}

void GameController::onDragEnd(DragFactory& factory) {
    // The finger's marker goes with its touch, also when the touch was
    // dropped rather than lifted; one the cursor model no longer holds is
    // left alone.
    if (factory.marker != nullptr) {
        cursors().dropCursor(factory.marker);
        factory.marker = nullptr;
    }
}

} // namespace ZQ
