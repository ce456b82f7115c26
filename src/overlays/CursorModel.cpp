#include "overlays/CursorModel.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/TweenActions.h"
#include "render/MeshInstance.h"
#include "render/PodBox.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZQ {

namespace {

constexpr int32_t kDropFrames = 10;
constexpr int32_t kSpinFrames = 30;
// The map's discs, smallest first.
constexpr int32_t kFollowMeshes[] = {PodBox::kDiscSmall, PodBox::kDiscMedium, PodBox::kDisc};

// A tenth of the screen width, in pixels: how far above its particle a
// finger cursor starts its drop; the disc is 0.8 of it wide.
float pickScale() {
    return 2.0f / gGlobals.worldScale;
}

// The pose of a finger cursor riding cord particle p, turned along its
// string; false when the cord no longer has that particle.
bool particleLayout(int32_t p, Layout& out) {
    const CordModel* cord = gGlobals.cordModel;
    if (cord == nullptr || p < 0 || p >= cord->count) {
        return false;
    }
    const CordModel::Segment& string = cord->getSegmentForParticle(p);
    const int32_t next = std::min(p + 1, string.last);
    const int32_t previous = std::max(p - 1, string.first);
    PVRTVec3 d = cord->getParticlePos(next) - cord->getParticlePos(previous);
    const float length = d.length();
    if (length > 1.0f) {
        d = d / length;
    }
    const float dLength = d.length();
    out = Layout();
    out.angles = PVRTVec3(std::atan2(d.y, d.x), dLength > 0.0f ? std::acos(d.z / dLength) : 0.0f, 0.0f);
    out.position = cord->getParticlePos(p);
    out.scale = 0.8f * pickScale();
    out.alpha = 1.0f;
    return true;
}

} // namespace

CursorModel::~CursorModel() {
    for (MeshInstance* disc : discs) {
        delete disc;
    }
}

void CursorModel::tearDown() {
    for (MeshInstance* disc : discs) {
        delete disc;
    }
    discs.clear();
    Model::tearDown();
}

void CursorModel::doStep() {
    const std::vector<MeshInstance*> stepping(discs.begin(), discs.end());
    for (MeshInstance* disc : stepping) {
        disc->step();
    }
    for (MeshInstance* disc : stepping) {
        const Action* action = disc->getAction();
        if (action == nullptr || action->isFinished()) {
            discs.remove(disc);
            delete disc;
        }
    }
}

void CursorModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), discs.begin(), discs.end());
}

MeshInstance* CursorModel::makeCursorMesh(int32_t meshId, int32_t materialIndex) {
    PodModel* model = gGlobals.podBox != nullptr ? gGlobals.podBox->model(meshId) : nullptr;
    return new MeshInstance(model, materialIndex);
}

MeshInstance* CursorModel::showCursor(int32_t particle, int32_t colour) {
    ZQ_ASSERT(particle >= 0);
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    ZQ_ASSERT(particle < gGlobals.cordModel->count);
    Layout start;
    particleLayout(particle, start);
    // Drops from a little above, lying flat and faint.
    start.position = gGlobals.cordModel->getParticlePos(particle) + PVRTVec3(0.0f, 5.0f * pickScale(), 0.0f);
    start.angles = PVRTVec3(0.0f, kPi / 2.0f, 0.0f);
    start.alpha = 0.25f;

    MeshInstance* disc = makeCursorMesh(kCursorMesh, ((colour % kMaterials) + kMaterials) % kMaterials);
    // Once the particle is gone (a new cord was laid under a cursor nobody
    // hid), the drop eases towards where it started and the ride fails, so
    // the model drops the disc instead of reading past the cord.
    const auto riding = [particle, start]() {
        Layout out;
        return particleLayout(particle, out) ? out : start;
    };
    disc->setAction(new Sequence({
        new EasingLambdaAction([start]() { return start; }, riding, easeSmooth(), kDropFrames),
        new LambdaCondition([particle](Cloudlet* item) {
            Layout out;
            if (!particleLayout(particle, out)) {
                return Action::Failure;
            }
            item->layout = out;
            return Action::Running;
        }),
    }));
    discs.push_back(disc);
    return disc;
}

MeshInstance* CursorModel::showRotatingCursor(float x1, float y1, float x2, float y2) {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    PVRTVec2 d(x1 - x2, y1 - y2);
    const float length = d.length();
    if (length > 1.0f) {
        d = d / length;
    }
    MeshInstance* disc = makeCursorMesh(kCursorMesh, 0);
    disc->layout.position = gGlobals.cordModel->centre;
    disc->layout.angles = PVRTVec3(std::fabs(d.y) > std::fabs(d.x) ? 0.0f : kPi / 2.0f, 0.0f, 0.0f);
    disc->layout.scale = 0.5f * gGlobals.screenSize.x;
    disc->layout.alpha = 0.25f;
    disc->setAction(new RotateCursorAction(std::atan2(d.y, d.x), kSpinFrames));
    discs.push_back(disc);
    return disc;
}

MeshInstance* CursorModel::addFollowCursor(float size, Action* follow) {
    MeshInstance* chosen = nullptr;
    for (const int32_t id : kFollowMeshes) {
        MeshInstance* disc = makeCursorMesh(id, 0);
        disc->baseLayout.scale = gGlobals.screenSize.x / 6.0f;
        const PodModel::Corners& bounds = disc->updateBounds();
        if (std::fabs(bounds[7].x - bounds[0].x) > size) {
            chosen = disc;
            break;
        }
        delete disc;
    }
    if (chosen == nullptr) {
        chosen = makeCursorMesh(PodBox::kDisc, 0);
        chosen->baseLayout.scale = gGlobals.screenSize.x / 6.0f;
    }
    chosen->setAction(follow);
    discs.push_back(chosen);
    return chosen;
}

void CursorModel::fade(MeshInstance* disc) {
    Layout to = disc->layout;
    to.alpha = 0.0f;
    disc->setAction(new EasingAction(to, easeSmooth(), kHideFrames));
}

void CursorModel::hideCursor() {
    for (MeshInstance* disc : discs) {
        fade(disc);
    }
}

void CursorModel::dropCursor(const MeshInstance* disc) {
    for (MeshInstance* own : discs) {
        if (own == disc) {
            fade(own);
            return;
        }
    }
}

RotateCursorAction::RotateCursorAction(float angle, int32_t frames) : angle(angle), frames(frames) {}

Action::State RotateCursorAction::start() {
    t = 0.0f;
    step = 1.0f / static_cast<float>(frames);
    direction = PVRTVec3(std::cos(angle), std::sin(angle), 0.0f);
    axis = PVRTVec3(std::sin(angle), -std::cos(angle), 0.0f);
    return Running;
}

Action::State RotateCursorAction::run() {
    t += step;
    if (t >= 1.0f) {
        t = 1.0f;
        return Success;
    }
    const float h = (t * -kPi) * 0.5f;
    const float s = std::sin(h);
    PVRTQuaternion q(axis.x * s, axis.y * s, axis.z * s, std::cos(h));
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (length != 0.0f) {
        q = PVRTQuaternion(q.x / length, q.y / length, q.z / length, q.w / length);
    }
    target->layout.orientation = q;
    return Running;
}

} // namespace ZQ
