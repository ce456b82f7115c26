#pragma once

#include "engine/PVRTVector.h"
#include "platform/ZQDisplayLink.h"
#include "platform/ZQEngineModels.h"
#include "platform/ZQGestureRecognizer.h"
#include "platform/ZQMotionParallax.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQTouch.h"
#include "render/RenderTargets.h"
#include "render/RenderWallPaper.h"

#include <array>
#include <memory>
#include <optional>

class ZQEGLContext;
class ZQGameCenterGateway;

namespace ZQ {
class CloudMerge;
class GameEngine;
class SavedState;
struct DeviceProfile;
} // namespace ZQ

// The game's one view: it builds the whole engine once, in a fixed order,
// sets it up and draws the first frame; it then draws one frame per tick of
// its display link while the application is active, turns touches into the
// game engine's touch and gesture calls, and tears everything down when it
// goes.
//
// Ownership: the view owns the game engine and the render targets, the
// saved state, the master game controller (which owns the game-flow
// controllers) and the models it made (through the engine globals'
// pointers, which it fills and clears). Every object is torn down in the game's order first; the models
// are deleted afterwards, last made first, so their worker threads are
// joined before the process ends. The GL context is the caller's and must be
// current for the whole life of the view.
//
// Threads: main thread only. The models' workers are started during the
// construction and joined by the destruction.
class ZQView final : public ZQGestureTarget {
public:
    // How many touches and gestures the view has handed to the game engine,
    // by kind: what a window test reads to know that input reached the game.
    struct InputTally {
        long began = 0;
        long moved = 0;
        long ended = 0;
        long cancelled = 0;
        long taps = 0;
        long doubleTaps = 0;
        long swipes = 0;
    };

    // frame: the view's size in points; scale: pixels per point. Builds and
    // sets up the engine and draws one frame.
    ZQView(ZQEGLContext& context, PVRTVec2 frame, float scale, const ZQ::DeviceProfile& profile,
           ZQModelFactory makeModels = &makeEngineModels<ZQPlainMaker>,
           ZQPassFactory makePasses = &makeRenderPasses<ZQPlainMaker>,
           ZQMasterFactory makeMaster = &makeGameMaster);
    ~ZQView();
    ZQView(const ZQView&) = delete;
    ZQView& operator=(const ZQView&) = delete;

    // One frame: the engine steps, sound, the render passes, the snapshot
    // when one was asked for, and the picture on screen.
    void drawView();
    // The same frame without the picture on screen, for headless runs that
    // keep only a few of their frames. The render passes run only when the
    // frame leaves something behind that later frames or the game read: the
    // room textures, painted once after the relief changes (its instance may
    // be gone by the next drawn frame), and a snapshot asked for, which the
    // share buttons wait for. So the game and every picture go on exactly as
    // when each frame is drawn.
    void stepView();

    // Life cycle. moveToInactive stops the frames; moveToActive starts them
    // (a second call in a row changes nothing); moveToForeground is the
    // return from the background; runGc releases what is not shown.
    void moveToInactive();
    void moveToActive();
    void moveToForeground();
    void runGc();
    bool isAnimating() const { return animating; }
    ZQDisplayLink& displayLink() { return link; }

    // The picture of the next finished frame, taken before it is presented.
    void takeSnapshot();
    void clearSnapshot();
    bool snapshotTaken() const { return snapshot_image != nullptr; }
    const ZQImage* snapshotImage() const { return snapshot_image.get(); }
    // Pixels a point, the snapshot's scale.
    float contentScaleFactor() const { return contentScale; }

    // Touches of one window-system callback, in order: each goes to the game
    // engine, then all of them to the gesture recognisers.
    void touchesBegan(const ZQTouchSet& touches);
    void touchesMoved(const ZQTouchSet& touches);
    void touchesEnded(const ZQTouchSet& touches);
    void touchesCancelled(const ZQTouchSet& touches);
    // A touch's radius for the engine: the measured contact (plus its
    // tolerance where the profile says so), else the profile's radius.
    float getRadius(const ZQTouch& touch) const;
    // Points to pixels, top-left origin kept.
    PVRTVec2 pointInView(PVRTVec2 location) const { return location * contentScale; }

    // Gestures given directly (a replayed input file), as if recognised.
    void handleSwipe(PVRTVec2 location, int direction) override;
    void handleTap(PVRTVec2 location, float radius) override;
    void handleDoubleTap(PVRTVec2 location) override;
    const InputTally& inputTally() const { return tally; }

    ZQMotionParallax& motion() { return motionParallax; }
    const ZQ::DeviceProfile& deviceProfile() const { return profile; }
    PVRTVec2 screenSize() const { return screenPixels; }
    const ZQ::RenderTargets& renderTargets() const { return targets; }
    // Progress from the cloud folder is merged at the start of every frame
    // from now on; null stops it. The merge stays the caller's.
    void setCloudMerge(ZQ::CloudMerge* merge) { cloudMerge = merge; }
    ZQ::GameEngine* engine() const { return gameEngine; }
    // The game service: the player is logged in at once and again at every
    // return to the foreground; null stops it. The gateway stays the caller's.
    void setGameCenter(ZQGameCenterGateway* gateway);

private:
    // The engine's step, sound included.
    void stepEngine();
    // The render passes, then the snapshot when one was asked for.
    void renderView();
    void buildEngine(ZQModelFactory makeModels, ZQPassFactory makePasses, ZQMasterFactory makeMaster);
    void setUpEngine();
    void registerWithTouchDispatcher();

    ZQEGLContext& egl_context;
    const ZQ::DeviceProfile& profile;
    const float contentScale;
    const PVRTVec2 screenPixels;
    ZQ::GameEngine* gameEngine = nullptr;
    ZQ::SavedState* savedState = nullptr;
    ZQ::MasterGameController* master = nullptr; // with the controllers it made
    ZQ::RenderTargets targets;
    const ZQ::WallPaperRepaint repaint = ZQ::wallPaperRepaint();
    bool take_snapshot = false;
    bool animating = false;
    std::unique_ptr<ZQImage> snapshot_image;
    ZQ::CloudMerge* cloudMerge = nullptr;
    ZQGameCenterGateway* gameCenter = nullptr;
    ZQDisplayLink link;
    ZQMotionParallax motionParallax;
    InputTally tally;
    // Swipes left, right, up and down, the single tap, the double tap.
    std::array<std::unique_ptr<ZQGestureRecognizer>, 6> recognizers;
};
