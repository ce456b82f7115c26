#include "overlays/TileModel.h"

#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/MathHelpers.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/TileHitTest.h"
#include "overlays/TileInstance.h"
#include "overlays/TileSupport.h"

#include <cmath>

namespace ZQ {

namespace {

constexpr int32_t kPressFrames = 6;
constexpr float kPressScale = 0.85f;
constexpr int32_t kFlipFrames = 12;
constexpr float kSlabHalfDepth = 0.02f; // of the tile's world width

bool isSettled(TileInstance* root) {
    bool settled = true;
    TileSupport::visit(root, [&settled](TileInstance* leaf) {
        const Action* action = leaf->getAction();
        settled = settled && (action == nullptr || action->isFinished());
    });
    return settled;
}

void stepTree(TileInstance* root) {
    TileSupport::visit(root, [](TileInstance* leaf) { leaf->step(); });
}

} // namespace

void TileModel::setUp() {
    Model::setUp();
    current = nullptr;
    hiding = nullptr;
    pending = nullptr;
    tileHideFunc = nullptr;
}

void TileModel::doStep() {
    if (current != nullptr) {
        stepTree(current);
    }
    if (hiding != nullptr) {
        stepTree(hiding);
        if (isSettled(hiding)) {
            hiding = nullptr;
        }
    }
    if (pending != nullptr && (pending->getAction() == nullptr || pending->getAction()->isFinished())) {
        TileInstance* pressed = pending;
        if (pressed->isToggle()) {
            // The second half turn, after the listener has changed what the
            // face shows.
            pressed->setAction(flipAction(pressed));
        }
        notify(&EventListener::onTile, pressed->id);
        pending = nullptr;
    }
}

void TileModel::collectCaptions(std::unordered_set<std::string>& names) {
    std::vector<Cloudlet*> tiles;
    getCloudlets(tiles);
    for (Cloudlet* item : tiles) {
        const auto* tile = static_cast<const TileInstance*>(item);
        names.insert(tile->caption->name);
        if (tile->altCaption != nullptr) {
            names.insert(tile->altCaption->name);
        }
    }
}

void TileModel::getCloudlets(std::vector<Cloudlet*>& out) {
    for (TileInstance* root : {current, hiding}) {
        if (root != nullptr) {
            TileSupport::visit(root, [&out](TileInstance* leaf) { out.push_back(leaf); });
        }
    }
}

bool TileModel::isReady() {
    return current == nullptr || isSettled(current);
}

void TileModel::show(TileInstance* root, TileHideFunc hideFunc) {
    current = root;
    tileHideFunc = hideFunc;
    pending = nullptr;
}

void TileModel::hideTile() {
    if (current == nullptr) {
        return;
    }
    ZQ_ASSERT(tileHideFunc != nullptr);
    hiding = current;
    current = nullptr;
    pending = nullptr;
    tileHideFunc(hiding);
}

Action* TileModel::pressAction(const TileInstance* tile) {
    Layout pressed = tile->layout;
    pressed.scale *= kPressScale;
    return new Sequence({new EasingAction(pressed, easeInOutCirc(), kPressFrames),
                         new EasingAction(tile->layout, easeInOutCirc(), kPressFrames)});
}

Action* TileModel::flipAction(const TileInstance* tile) {
    Layout turned = tile->layout;
    // std::round takes halves away from zero.
    const float n = std::round(turned.angles.y / kPi);
    turned.angles.y = (n + 1.0f) * kPi;
    return new EasingAction(turned, easeInOutCirc(), kFlipFrames);
}

void TileModel::tap(PVRTVec2 point, float radius) {
    if (pending != nullptr || current == nullptr) {
        return;
    }
    TileInstance* winner = hitTest(point, radius);
    if (winner == nullptr) {
        return;
    }
    pending = winner;
    winner->setAction(winner->isToggle() ? flipAction(winner) : pressAction(winner));
    SoundGateway::instance()->playBeep();
}

TileInstance* TileModel::hitTest(PVRTVec2 point, float radius) {
    const PVRTMat4 camera = TileSupport::overlayCamera();
    // At least one square pixel of the disc must lie on the tile; among equal
    // overlaps the later tile wins.
    float best = 1.0f;
    TileInstance* winner = nullptr;
    TileSupport::visit(current, [&](TileInstance* leaf) {
        if (!leaf->enabled()) {
            return;
        }
        const float s = leaf->layout.scale * leaf->baseLayout.scale;
        const float hx = 0.5f * leaf->unitSize.x * s;
        const float hy = 0.5f * leaf->unitSize.y * s;
        const float z = kSlabHalfDepth * s;
        const PVRTMat4 clip = camera * TileSupport::tileModelMatrix(leaf->layout);
        const PVRTVec2 q[4] = {
            TileSupport::toScreen(clip, PVRTVec3(-hx, -hy, z)),
            TileSupport::toScreen(clip, PVRTVec3(hx, -hy, z)),
            TileSupport::toScreen(clip, PVRTVec3(hx, hy, z)),
            TileSupport::toScreen(clip, PVRTVec3(-hx, hy, z)),
        };
        const float score = TileHitTest::quadScore(point, radius, q);
        // A score that does not compare (a tile squashed to nothing) never wins.
        if (score >= best) {
            winner = leaf;
            best = score;
        }
    });
    return winner;
}

} // namespace ZQ
