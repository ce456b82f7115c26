#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"
#include "engine/Responders.h"

namespace ZQ {

class Action;
class TileInstance;

// Starts the hide animation on every leaf of the tree it is given.
using TileHideFunc = void (*)(TileInstance* root);

// The tiles on screen: the current screen's tree and the tree of the screen
// that is still hiding. Finds the tile under a tap, plays its press (or, for
// a toggle, its half turn) and, once that has ended, tells the listeners
// which tile it was through onTile. Pausing does not stop the tiles: the
// pause menu animates while the game is paused.
//
// Ownership: owns nothing; the trees are the screens' statics. Threads: main
// thread only.
class TileModel : public Model, public CloudletContainer, public GestureResponder {
public:
    void setUp() override;
    void tearDown() override {}
    void doStep() override;
    void collectCaptions(std::unordered_set<std::string>& names) override;
    // The current tree's leaves, then the hiding tree's.
    void getCloudlets(std::vector<Cloudlet*>& out) override;
    // True without a current tree, or when every leaf of it has no action or a
    // finished one; the hiding tree does not count.
    bool isReady() override;
    bool isEmpty() override { return current == nullptr; }

    // point in pixels (bottom-left origin); radius in points, compared with
    // pixel distances as it is. Dropped while a press is pending.
    void tap(PVRTVec2 point, float radius) override;
    void swipe(PVRTVec2, int) override {}
    void doubleTap(PVRTVec2) override {}

    // Makes `root` the tree on screen with its hide function. The tree it
    // replaces vanishes without hiding; a press pending on it is dropped.
    void show(TileInstance* root, TileHideFunc hideFunc);
    // The current tree starts hiding (a tree still hiding is dropped) and
    // nothing is on screen. A press pending on it is dropped: a hidden screen
    // must not act on a tap the player made on it.
    void hideTile();

    // The press of a plain tile and the half turn of a toggle, from the pose
    // the tile has now.
    static Action* pressAction(const TileInstance* tile);
    static Action* flipAction(const TileInstance* tile);

    TileInstance* current = nullptr;
    TileInstance* hiding = nullptr;
    TileInstance* pending = nullptr;
    TileHideFunc tileHideFunc = nullptr;

private:
    // The leaf of the current tree under the disc, or null.
    TileInstance* hitTest(PVRTVec2 point, float radius);
};

} // namespace ZQ
