#pragma once

#include "cords/BraidModel.h"
#include "cords/CordModel.h"
#include "cords/GrainModel.h"
#include "cords/GraspModel.h"
#include "cords/GridModel.h"
#include "cords/HeadModel.h"
#include "cords/TangleModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/MasterGameController.h"
#include "game/MasterWiring.h"
#include "game/TipNode.h"
#include "levels/LevelModel.h"
#include "levels/TipFactory.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowModel.h"
#include "overlays/MapOverlays.h"
#include "overlays/PointsModel.h"
#include "overlays/RenderCaption.h"
#include "overlays/RenderFlow.h"
#include "overlays/RenderTile.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "render/RenderBalloon.h"
#include "render/RenderBraid.h"
#include "render/RenderCone.h"
#include "render/RenderGauge.h"
#include "render/RenderGoochMultiKnot.h"
#include "render/RenderGrain.h"
#include "render/RenderHolo.h"
#include "render/RenderMesh.h"
#include "render/RenderParticlesBB.h"
#include "render/RenderShadowMap.h"
#include "render/RenderTangle.h"
#include "render/RenderWallPaper.h"
#include "render/WallPaperRenderRoom.h"
#include "stage/BalloonModel.h"
#include "stage/CameraModel.h"
#include "stage/ConeModel.h"
#include "stage/GaugeModel.h"
#include "stage/HoloModel.h"
#include "stage/LightModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"
#include "stage/ShadowModel.h"

#include <utility>

// How the view makes each engine object: with new. A test hands the view a
// maker of its own that makes recording subclasses, so the order of
// construction, set-up, steps and tear-down is seen through the objects' own
// calls.
struct ZQPlainMaker {
    template <class T, class... Arguments> static T* make(Arguments&&... arguments) {
        return new T(std::forward<Arguments>(arguments)...);
    }
};

// The models in stepping order, each stored in its engine-globals pointer
// and appended to the model list as it is made. The order is the game's
// stepping order: grasps before the worlds they push, the camera and light
// before the cord whose centre they follow, the heads before the grid they
// read a frame late. The timer counts first, before anything moves in the
// frame; the flow model pins its letters after the flow world has stepped.
// The cones step after the cord, whose fresh positions they sit on.
template <class Maker> void makeEngineModels(const ZQ::DeviceProfile& profile) {
    using namespace ZQ;
    Globals& g = gGlobals;
    auto add = [](auto* model) {
        gGlobals.models.push_back(model);
        return model;
    };
    g.timerModel = add(Maker::template make<TimerModel>());
    g.scoreModel = add(Maker::template make<ScoreModel>());
    g.pointsModel = add(Maker::template make<PointsModel>());
    g.graspModel = add(Maker::template make<GraspModel>());
    // Each world starts its worker thread as it is made.
    g.particleSystem1 = add(Maker::template make<Fx::ParticleSystem>(Fx::kMainWorld));
    g.particleSystem2 = add(Maker::template make<Fx::ParticleSystem>(Fx::kFlowWorld));
    // The catalogue asks the game's tip factory for the levels' tips.
    registerTipFactory(&tipNodeFactory());
    g.levelModel = add(Maker::template make<LevelModel>());
    g.tangleModel = add(Maker::template make<TangleModel>());
    g.flowModel = add(Maker::template make<FlowModel>());
    g.captionModel = add(Maker::template make<CaptionModel>());
    g.cameraModel = add(Maker::template make<CameraModel>());
    g.sceneCamera = g.cameraModel;
    g.lightModel = add(Maker::template make<LightModel>());
    g.cordModel = add(Maker::template make<CordModel>());
    g.coneModel = add(Maker::template make<ConeModel>());
    g.headModel = add(Maker::template make<HeadModel>());
    g.gridModel = add(Maker::template make<GridModel>());
    // Takes its mutex on this (the main) thread and starts the mesh worker.
    g.shadowModel = add(Maker::template make<ShadowModel>(profile.meshThreads));
    g.cursorModel = add(Maker::template make<CursorModel>());
    g.balloonModel = add(Maker::template make<BalloonModel>());
    // Starts the relief worker, at the lowest priority the system allows.
    g.mandalaModel = add(Maker::template make<MandalaModel>());
    g.roomModel = add(Maker::template make<RoomModel>());
    g.holoModel = add(Maker::template make<HoloModel>());
    // The follow cursors and the map's text lines live in the overlays.
    g.holoModel->overlays = &mapOverlays();
    g.tileModel = add(Maker::template make<TileModel>());
    g.gaugeModel = add(Maker::template make<GaugeModel>());
    g.grainModel = add(Maker::template make<GrainModel>());
    g.particleSystem3 = add(Maker::template make<Fx::ParticleSystem>(Fx::kBraidWorld));
    g.braidModel = add(Maker::template make<BraidModel>());
    g.stringScoreModel = add(Maker::template make<StringScoreModel>());
}

// Clears the model list and every model pointer that makeEngineModels set,
// once the models are gone.
inline void forgetEngineModels() {
    using namespace ZQ;
    Globals& g = gGlobals;
    g.models.clear();
    g.timerModel = nullptr;
    g.scoreModel = nullptr;
    g.pointsModel = nullptr;
    g.graspModel = nullptr;
    g.particleSystem1 = nullptr;
    g.particleSystem2 = nullptr;
    g.levelModel = nullptr;
    g.tangleModel = nullptr;
    g.flowModel = nullptr;
    g.captionModel = nullptr;
    g.cameraModel = nullptr;
    g.sceneCamera = nullptr;
    g.lightModel = nullptr;
    g.cordModel = nullptr;
    g.coneModel = nullptr;
    g.headModel = nullptr;
    g.gridModel = nullptr;
    g.shadowModel = nullptr;
    g.cursorModel = nullptr;
    g.balloonModel = nullptr;
    g.mandalaModel = nullptr;
    g.roomModel = nullptr;
    g.holoModel = nullptr;
    g.tileModel = nullptr;
    g.gaugeModel = nullptr;
    g.grainModel = nullptr;
    g.particleSystem3 = nullptr;
    g.braidModel = nullptr;
    g.stringScoreModel = nullptr;
}

// The render passes in the game's order, which is also the render list's
// order (they are set up and torn down in it; Render.cpp's scene() draws
// them in its own groups); each owns the program it makes. The overlay passes are handed the
// models they draw, which are made before them.
template <class Maker> void makeRenderPasses() {
    using namespace ZQ;
    Globals& g = gGlobals;
    auto add = [](Render* pass) {
        gGlobals.renderPasses.push_back(pass);
        return pass;
    };
    g.renderFlow = add(Maker::template make<RenderFlow>(g.flowModel));
    g.renderBalloon = add(Maker::template make<RenderBalloon>());
    g.renderShadowMap = add(Maker::template make<RenderShadowMap>());
    g.renderGoochMultiKnot = add(Maker::template make<RenderGoochMultiKnot>());
    g.renderHolo = add(Maker::template make<RenderHolo>());
    g.renderCone = add(Maker::template make<RenderCone>());
    g.renderTangle = add(Maker::template make<RenderTangle>());
    g.renderParticlesBB = add(Maker::template make<RenderParticlesBB>());
    g.renderCaption = add(Maker::template make<RenderCaption>(g.captionModel));
    // Draws the cursor's discs.
    g.renderMesh = add(Maker::template make<RenderMesh>(g.cursorModel));
    g.renderWallPaper = add(Maker::template make<RenderWallPaper>());
    g.wallPaperRenderRoom = add(Maker::template make<WallPaperRenderRoom>());
    g.renderTile = add(Maker::template make<RenderTile>(g.tileModel));
    g.renderGauge = add(Maker::template make<RenderGauge>(g.gaugeModel));
    g.renderBraid = add(Maker::template make<RenderBraid>());
    g.renderGrain = add(Maker::template make<RenderGrain>());
}

// Deletes the passes (after their tear-down) and clears their pointers.
inline void deleteRenderPasses() {
    using namespace ZQ;
    Globals& g = gGlobals;
    for (auto it = g.renderPasses.rbegin(); it != g.renderPasses.rend(); ++it) {
        delete *it;
    }
    g.renderPasses.clear();
    g.renderFlow = nullptr;
    g.renderBalloon = nullptr;
    g.renderShadowMap = nullptr;
    g.renderGoochMultiKnot = nullptr;
    g.renderHolo = nullptr;
    g.renderCone = nullptr;
    g.renderTangle = nullptr;
    g.renderParticlesBB = nullptr;
    g.renderCaption = nullptr;
    g.renderMesh = nullptr;
    g.renderWallPaper = nullptr;
    g.wallPaperRenderRoom = nullptr;
    g.renderTile = nullptr;
    g.renderGauge = nullptr;
    g.renderBraid = nullptr;
    g.renderGrain = nullptr;
}

// The master game controller with the game's own controllers, screens and
// models, over the process's preference stores.
inline ZQ::MasterGameController* makeGameMaster() {
    return new ZQ::MasterGameController(ZQ::gameWiring(ZQ::Preferences::shared()), ZQ::Preferences::shared());
}

// No master: for tests that put a recorder in its place.
inline ZQ::MasterGameController* makeNoMaster() {
    return nullptr;
}

// The signatures the view calls; makeEngineModels<ZQPlainMaker>,
// makeRenderPasses<ZQPlainMaker> and makeGameMaster by default.
using ZQModelFactory = void (*)(const ZQ::DeviceProfile& profile);
using ZQPassFactory = void (*)();
using ZQMasterFactory = ZQ::MasterGameController* (*)();

// No passes: for tests of input and the life cycle, whose frames need not
// draw (a software GL driver draws the room slowly).
inline void makeNoRenderPasses() {}
