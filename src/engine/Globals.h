#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

class Model;
class SceneCamera;
class Controller;
class InitProtocol;
class Render;
class SavedState;
class CaptionBox;
class PodBox;
namespace Fx {
class ParticleSystem;
}

class TimerModel;
class ScoreModel;
class PointsModel;
class GraspModel;
class LevelModel;
class TangleModel;
class FlowModel;
class CaptionModel;
class CameraModel;
class LightModel;
class CordModel;
class ConeModel;
class HeadModel;
class GridModel;
class ShadowModel;
class CursorModel;
class BalloonModel;
class MandalaModel;
class RoomModel;
class HoloModel;
class TileModel;
class GaugeModel;
class GrainModel;
class BraidModel;
class StringScoreModel;

// The one process-wide engine object. It is constant-initialised (all zero,
// empty, null) before any code runs (a clang build zeroes it then and runs
// its constructor among the static initialisers, none of which reads it),
// is filled once while the engine is built, and owns nothing it points to:
// whoever builds the engine deletes the objects. Main thread only.
struct Globals {
    PVRTVec2 screenSize; // pixels
    PVRTVec2 worldSize;  // world units: (20, 20 h / w)
    float worldQuarter = 0.0f;
    float worldScale = 0.0f; // world units per pixel
    int32_t frameCount = 0;
    std::string language;

    std::vector<Render*> renderPasses;
    std::vector<Controller*> controllers;
    std::vector<Model*> models; // stepping order
    std::vector<InitProtocol*> boxes;

    // Particle worlds: cords and heads, flowing letters, braids.
    Fx::ParticleSystem* particleSystem1 = nullptr;
    Fx::ParticleSystem* particleSystem2 = nullptr;
    Fx::ParticleSystem* particleSystem3 = nullptr;

    TimerModel* timerModel = nullptr;
    ScoreModel* scoreModel = nullptr;
    PointsModel* pointsModel = nullptr;
    GraspModel* graspModel = nullptr;
    LevelModel* levelModel = nullptr;
    TangleModel* tangleModel = nullptr;
    FlowModel* flowModel = nullptr;
    CaptionModel* captionModel = nullptr;
    CameraModel* cameraModel = nullptr;
    SceneCamera* sceneCamera = nullptr; // the camera model, as the cords see it
    LightModel* lightModel = nullptr;
    CordModel* cordModel = nullptr;
    ConeModel* coneModel = nullptr;
    HeadModel* headModel = nullptr;
    GridModel* gridModel = nullptr;
    ShadowModel* shadowModel = nullptr;
    CursorModel* cursorModel = nullptr;
    BalloonModel* balloonModel = nullptr;
    MandalaModel* mandalaModel = nullptr;
    RoomModel* roomModel = nullptr;
    HoloModel* holoModel = nullptr;
    TileModel* tileModel = nullptr;
    GaugeModel* gaugeModel = nullptr;
    GrainModel* grainModel = nullptr;
    BraidModel* braidModel = nullptr;
    StringScoreModel* stringScoreModel = nullptr;

    // One pointer per render pass, in the render-pass list's order; the frame
    // calls each through its pointer and skips an empty one.
    Render* renderFlow = nullptr;
    Render* renderBalloon = nullptr;
    Render* renderShadowMap = nullptr;
    Render* renderGoochMultiKnot = nullptr;
    Render* renderHolo = nullptr;
    Render* renderCone = nullptr;
    Render* renderTangle = nullptr;
    Render* renderParticlesBB = nullptr;
    Render* renderCaption = nullptr;
    Render* renderMesh = nullptr;
    Render* renderWallPaper = nullptr;
    Render* wallPaperRenderRoom = nullptr;
    Render* renderTile = nullptr;
    Render* renderGauge = nullptr;
    Render* renderBraid = nullptr;
    Render* renderGrain = nullptr;

    // GL texture names generated at start-up: the shadow map, and the
    // wallpaper colour and height textures of room buffers 0 and 1.
    uint32_t shadowMapTexture = 0;
    uint32_t wallPaperColourTextures[2] = {};
    uint32_t wallPaperHeightTextures[2] = {};

    CaptionBox* captionBox = nullptr;
    PodBox* podBox = nullptr;
    SavedState* savedState = nullptr;

    // The master game controller; the game engine forwards all input to it.
    Controller* masterController = nullptr;

    bool tutorialActive = false;
    bool gameCenterAuthenticated = false;
    PVRTVec3 parallax; // motion-sensor offset

    // screenSize = (width, height) in pixels and the world metrics derived from it.
    void setScreenSize(float width, float height);

    // One frame of game logic: the frame counter, the master controller's
    // step, then every model in list order. Sound and drawing follow in the
    // platform shell.
    void stepFrame();
};

extern Globals gGlobals;

} // namespace ZQ
