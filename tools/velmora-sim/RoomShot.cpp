#include "RoomShot.h"

#include "HudShot.h"
#include "PngWriter.h"

#include "cords/CordModel.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "platform/ZQEGLContext.h"
#include "render/Render.h"
#include "render/RenderGoochMultiKnot.h"
#include "render/RenderShadowMap.h"
#include "render/RenderTargets.h"
#include "render/RenderWallPaper.h"
#include "render/SceneContext.h"
#include "render/WallPaperRenderRoom.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"
#include "stage/ShadowModel.h"

#include <GLES2/gl2.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace velmora_sim {

namespace {

// Frames the camera's spring takes to come to rest on the knot.
constexpr int kSettleFrames = 90;

} // namespace

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
    errno = 0;
    if (!PngWriter::writePng(path, static_cast<uint32_t>(picture.width),
                             static_cast<uint32_t>(picture.height), picture.rgba)) {
        error = path + ": " + (errno != 0 ? std::strerror(errno) : "could not encode the PNG");
        return false;
    }
    return true;
}

Picture shrink(const Picture& picture, int factor) {
    Picture out;
    out.width = picture.width / factor;
    out.height = picture.height / factor;
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy) {
                    for (int dx = 0; dx < factor; ++dx) {
                        const std::size_t at =
                            (static_cast<std::size_t>(y * factor + dy) * picture.width + (x * factor + dx)) *
                            4;
                        sum += picture.rgba[at + c];
                    }
                }
                out.rgba[(static_cast<std::size_t>(y) * out.width + x) * 4 + c] =
                    static_cast<uint8_t>(sum / (factor * factor));
            }
        }
    }
    return out;
}

// The models and passes a room needs, in the engine's order.
struct RoomShot::Scene {
    ZQ::RenderTargets targets;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::LevelModel catalogue;
    ZQ::CameraModel camera;
    ZQ::CordModel cord;
    ZQ::LightModel light;
    ZQ::MandalaModel mandala;
    ZQ::ShadowModel meshes{1};
    ZQ::RoomModel room;
    ZQ::RenderShadowMap shadowPass;
    ZQ::RenderGoochMultiKnot knotPass;
    ZQ::RenderWallPaper wallPaper;
    ZQ::WallPaperRenderRoom roomPass;
};

RoomShot::RoomShot(int width, int height) {
    ZQEGLContext* context = ZQEGLContext::sharedHeadless(width, height);
    if (context == nullptr) {
        failure_ = "no OpenGL ES 2.0: " + ZQEGLContext::sharedFailure();
        return;
    }
    ZQ::gGlobals.setScreenSize(static_cast<float>(width), static_cast<float>(height));
    scene = new Scene();
    scene->targets.create(static_cast<float>(width), static_cast<float>(height), ZQ::DeviceProfile::get());
    context->setUpLayer();
    scene->targets.setUp();

    ZQ::gGlobals.particleSystem1 = &scene->world;
    ZQ::gGlobals.cordModel = &scene->cord;
    ZQ::gGlobals.levelModel = &scene->catalogue;
    ZQ::gGlobals.cameraModel = &scene->camera;
    ZQ::gGlobals.sceneCamera = &scene->camera;
    ZQ::gGlobals.lightModel = &scene->light;
    ZQ::gGlobals.mandalaModel = &scene->mandala;
    ZQ::gGlobals.roomModel = &scene->room;
    ZQ::gGlobals.shadowModel = &scene->meshes;
    ZQ::gGlobals.models = {&scene->world, &scene->catalogue, &scene->camera,  &scene->light,
                           &scene->cord,  &scene->meshes,    &scene->mandala, &scene->room};
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        model->setUp();
    }
    ZQ::gGlobals.renderWallPaper = &scene->wallPaper;
    ZQ::gGlobals.wallPaperRenderRoom = &scene->roomPass;
    ZQ::gGlobals.renderShadowMap = &scene->shadowPass;
    ZQ::gGlobals.renderGoochMultiKnot = &scene->knotPass;
    ZQ::gGlobals.renderPasses = {&scene->shadowPass, &scene->knotPass, &scene->wallPaper, &scene->roomPass};
    ZQ::setUpRenderPasses();
    ready_ = true;
}

RoomShot::~RoomShot() {
    if (scene == nullptr) {
        return;
    }
    ZQ::tearDownRenderPasses();
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        model->tearDown();
    }
    scene->targets.tearDown();
    ZQ::gGlobals = ZQ::Globals();
    delete scene;
}

int32_t RoomShot::levelCount() const {
    return scene != nullptr ? scene->catalogue.levelCount() : 0;
}

Picture RoomShot::draw(int32_t level, int32_t frames, const std::string& hud) {
    Scene& s = *scene;
    s.catalogue.level = level;
    ZQ::RoomModel::assignLevel(*s.room.current, s.catalogue, level);
    ZQ::RoomModel::assignLevel(*s.room.next, s.catalogue, level + 1);
    s.mandala.clearInstances();
    s.mandala.build(0);
    s.mandala.collect();

    // The camera and the light follow the knot: lay the level's cord and let
    // them settle on it, as they have a moment after the level starts.
    const ZQ::LevelModel::Level& record = s.catalogue.currentLevel();
    s.meshes.unloadJobs();
    s.cord.unload();
    s.cord.loadCord(*record.cord, record.cordSettings());
    s.cord.measureEnergies();
    for (int frame = 0; frame < kSettleFrames; ++frame) {
        s.camera.doStep();
        s.light.doStep();
    }

    // The cord as its fade-in leaves it, then played for `frames` frames in
    // the models' order.
    s.cord.instance->radius = 1.0f / ZQ::gGlobals.worldScale;
    s.cord.instance->layout.alpha = 1.0f;
    s.meshes.loadJobs(s.cord.segments);
    std::unique_ptr<HudShot> displays;
    if (!hud.empty()) {
        displays = std::make_unique<HudShot>();
        displays->show(hud);
    }
    for (int32_t frame = 0; frame < frames; ++frame) {
        if (displays != nullptr) {
            displays->step();
        }
        s.world.doStep();
        s.camera.doStep();
        s.light.doStep();
        s.cord.doStep();
        s.meshes.doStep();
    }
    s.meshes.doStep();

    ZQ::renderFrame(s.targets, ZQ::wallPaperRepaint());

    Picture picture;
    picture.width = static_cast<int>(ZQ::gGlobals.screenSize.x);
    picture.height = static_cast<int>(ZQ::gGlobals.screenSize.y);
    std::vector<uint8_t> bottomUp(static_cast<std::size_t>(picture.width) * picture.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    picture.rgba.resize(bottomUp.size());
    const std::size_t row = static_cast<std::size_t>(picture.width) * 4;
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.rgba.data() + y * row, bottomUp.data() + (picture.height - 1 - y) * row, row);
    }
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) {
        picture.rgba[i] = 255;
    }
    return picture;
}

} // namespace velmora_sim
