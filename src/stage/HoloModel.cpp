#include "stage/HoloModel.h"

#include "cords/MeshBuffer.h"
#include "cords/RandomUnit.h"
#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/GLMeshBuffers.h"
#include "engine/Globals.h"
#include "engine/KeyCurve.h"
#include "engine/RotateActions.h"
#include "engine/SoundGateway.h"
#include "levels/LevelModel.h"
#include "stage/HoloInstance.h"
#include "stage/HoloOverlays.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ZQ {

namespace {

constexpr double kPi = std::numbers::pi;

// One turn about the vertical axis every 120 frames.
constexpr float kSpin = static_cast<float>(kPi / 60.0);

// The holograms the map shows in front fill about 0.625 of the screen's
// width; larger knots are shrunk more.
constexpr float kSizeReference = 0.625f;

// Transparent behind the ring's sides, opaque from a little in front of them.
const KeyCurve::Keys& ringAlphaKeys() {
    // input: -sin(angle)           alpha
    static const KeyCurve::Keys keys = {
        PVRTVec2(-0.5f, 0.0f), //
        PVRTVec2(0.1f, 1.0f),  //
        PVRTVec2(1.0f, 1.0f),  //
    };
    return keys;
}

const KeyCurve::Keys& sizeFactorKeys() {
    // input: diagonal / (0.625 W)  base scale
    static const KeyCurve::Keys keys = {
        PVRTVec2(1.5f, 0.5f), //
        PVRTVec2(2.0f, 0.4f), //
        PVRTVec2(3.0f, 0.3f), //
    };
    return keys;
}

} // namespace

HoloInstance::HoloInstance(int32_t levelIndex) : levelIndex(levelIndex) {}

HoloInstance::~HoloInstance() {
    if (mesh != nullptr) {
        mesh->deleteNames();
        delete mesh; // frees any arrays left
    }
}

float HoloInstance::boxHeight() const {
    return std::fabs(corners[7].y - corners[0].y);
}

HoloModel::HoloModel() = default;

HoloModel::~HoloModel() {
    for (HoloInstance* hologram : instances) {
        delete hologram;
    }
}

void HoloModel::setUp() {
    Model::setUp();
    current = -1;
    count = 0;
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    // The catalogue never shrinks: only ever grow, so no hologram is lost.
    const auto levels = static_cast<std::size_t>(gGlobals.levelModel->levelCount());
    if (instances.size() < levels) {
        instances.resize(levels, nullptr);
    }
    pendingNext = 0;
    pendingPrevious = 0;
    stepCountdown = 0;
}

void HoloModel::doStep() {
    for (HoloInstance*& hologram : instances) {
        if (hologram == nullptr) {
            continue;
        }
        hologram->step();
        const Action* action = hologram->getAction();
        if (action == nullptr || action->isFinished()) {
            delete hologram;
            hologram = nullptr;
        }
    }
    if (pendingNext > 0 || pendingPrevious > 0) {
        makePendingStep();
    }
}

// The first request after set-up is served in the frame it is seen, each
// further one three frames after the one before.
void HoloModel::makePendingStep() {
    stepCountdown -= 1;
    if (stepCountdown % 6 > 0) {
        return;
    }
    stepCountdown = kStepFrames;
    SoundGateway::instance()->playIgnition16();
    if (pendingNext > 0) {
        pendingNext -= 1;
        if (current >= count - 1) {
            return;
        }
        current += 1;
    } else {
        pendingPrevious -= 1;
        if (current <= 0) {
            return;
        }
        current -= 1;
    }
    changeAction(this);
}

void HoloModel::getCloudlets(std::vector<Cloudlet*>& out) {
    const auto shown = std::min(static_cast<std::size_t>(std::max(count, 0)), instances.size());
    for (std::size_t i = 0; i < shown; ++i) {
        HoloInstance* hologram = instances[i];
        if (hologram == nullptr || hologram->layout.alpha <= 0.0f) {
            continue;
        }
        const Action* action = hologram->getAction();
        if (action != nullptr && !action->isFinished()) {
            out.push_back(hologram);
        }
    }
}

HoloInstance* HoloModel::buildMesh(int32_t levelIndex) {
    const LevelModel* levels = gGlobals.levelModel;
    ZQ_ASSERT(levels != nullptr && levelIndex >= 0 && levelIndex < levels->levelCount());
    auto* hologram = new HoloInstance(levelIndex);
    hologram->scannerPhase = randomUnit();
    hologram->scannerDirection = randomUnit() < 0.5f ? -1 : 1;
    hologram->mesh = new MeshBuffer(GL_STATIC_DRAW);
    generateMeshBuffers(hologram->mesh->vbo, hologram->mesh->ibo);
    mesher.build(levels->levels[static_cast<std::size_t>(levelIndex)], *hologram);

    hologram->baseLayout.scale = sizeFactor((hologram->corners[7] - hologram->corners[0]).length());
    hologram->setAction(new RotateAction(PVRTVec3(0.0f, kSpin, 0.0f)));
    return hologram;
}

void HoloModel::createInstance(bool replace) {
    for (int32_t j = -2; j <= 2; ++j) {
        const int32_t i = current + j;
        if (i < 0 || i >= count) {
            continue;
        }
        ZQ_ASSERT(static_cast<std::size_t>(i) < instances.size());
        HoloInstance*& hologram = instances[static_cast<std::size_t>(i)];
        const bool made = hologram == nullptr;
        if (made) {
            hologram = buildMesh(i);
            if (overlays != nullptr) {
                overlays->addFollowCursor(*hologram);
            }
        }
        if (made || replace) {
            const float a = slotAngle(j + 2);
            placeOnOrbit(hologram->layout, a);
            hologram->orbitAngle = a;
        }
    }
}

// The scene camera mirrors x (its right row is the view direction crossed
// with up), so the ring is laid mirrored as well: the lower levels then stand
// on the player's left, where the map's taps and swipes that step to them land.
void HoloModel::placeOnOrbit(Layout& out, float angle) {
    const float r = gGlobals.screenSize.x * 0.5f;
    out.position = PVRTVec3(-r * std::cos(angle), 0.0f, -r * std::sin(angle));
    out.angles = PVRTVec3(0.0f, static_cast<float>(static_cast<double>(angle) - 3.0 * kPi / 2.0), 0.0f);
    out.scale = 1.0f;
    out.alpha = KeyCurve::evaluate(ringAlphaKeys(), -std::sin(angle));
    out.orientation = PVRTQuaternion();
}

float HoloModel::slotAngle(int32_t slot) {
    ZQ_ASSERT(slot >= 0 && slot < kSlots);
    return static_cast<float>(-1.3 * kPi + 0.4 * kPi * static_cast<double>(slot));
}

float HoloModel::sizeFactor(float diagonal) {
    return KeyCurve::evaluate(sizeFactorKeys(), diagonal / (kSizeReference * gGlobals.screenSize.x));
}

} // namespace ZQ
