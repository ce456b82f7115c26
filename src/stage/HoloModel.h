#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Layout.h"
#include "engine/Model.h"
#include "stage/HoloMesher.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Action;
class HoloInstance;
class HoloOverlays;

// The level map's holograms: a turning tube model of each level's knot on a
// horizontal ring of radius W/2 about the world origin, in the plane y = 0,
// angle -pi/2 at the front. Five ring slots around the selected level hold
// the levels current - 2 .. current + 2 at angles -1.3 pi + 0.4 pi k; the
// two back slots are transparent. The level map sets the selected level and
// the number of browsable levels, asks for steps and starts the fade-in and
// fade-out; the model steps the holograms' actions, frees a hologram in the
// frame after its action has ended, and turns pending steps into one step
// every third frame.
//
// Ownership: owns its holograms (one slot per catalogue level, null where
// none exists) and its mesher; the overlays side is not owned.
// Threads: main thread only, with a current context (meshes are uploaded
// and freed here).
class HoloModel : public Model, public CloudletContainer {
public:
    static constexpr int32_t kSlots = 5;
    // Frames between two pending steps.
    static constexpr int32_t kStepFrames = 3;

    HoloModel();
    // Deletes the holograms still held (their GL buffers with them).
    ~HoloModel() override;
    HoloModel(const HoloModel&) = delete;
    HoloModel& operator=(const HoloModel&) = delete;

    // Nothing selected, nothing browsable, no step pending; one slot per
    // level of the catalogue. Holograms from before stay.
    void setUp() override;
    // Holograms and their meshes stay.
    void tearDown() override {}
    // Steps every hologram, frees those whose action has ended, then makes at
    // most one pending step.
    void doStep() override;
    // The holograms of slots 0 .. count - 1 whose action still runs and whose
    // alpha is above 0, in level order: what the pass draws and the map
    // waits on.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // A new hologram of the level with its uploaded mesh, a random scan line
    // and a slow spin; not stored in the model.
    HoloInstance* buildMesh(int32_t levelIndex);
    // Makes sure the five ring slots around current hold holograms (new ones
    // get a follow cursor) and places the new ones, or with `replace` every
    // one, at its slot.
    void createInstance(bool replace);

    // The pose on the ring at angle a: position (-r cos a, 0, -r sin a) with
    // r = W/2, turned by a - 3 pi/2 about y, scale 1, alpha from the ring's
    // alpha curve (transparent at the back). The ring is laid mirrored in x
    // because the scene camera mirrors x: lower levels then show on the
    // player's left, where the map's taps and swipes that step to them land.
    static void placeOnOrbit(Layout& out, float angle);
    // The angle of ring slot k (0 .. 4).
    static float slotAngle(int32_t slot);
    // The base scale of a knot whose box diagonal is `diagonal` pixels.
    static float sizeFactor(float diagonal);

    // The animations (the builders return a new tree the caller owns).
    // The endless scan line, up and down every 60 frames.
    static Action* scannerAction();
    // Spin, scan and now and then a glitch, for ever: the front hologram.
    static Action* idleAction();
    // Fades in at ring slot `slot` in 30 frames with a burst of noise, then scans.
    static Action* fadeInAction(int32_t slot);
    // After current changed: glides every hologram of the window to its slot
    // (building those that entered it) and refreshes the text lines.
    static void changeAction(HoloModel* model);
    // The choice: the level cursor takes current, the chosen hologram winds
    // off, the others fade, the lines and discs go; pending steps are
    // dropped so nothing moves the ring once the choice is made.
    static void fadeOutAction(HoloModel* model);

    int32_t current = -1;
    int32_t count = 0;
    std::vector<HoloInstance*> instances;
    int32_t pendingNext = 0;
    int32_t pendingPrevious = 0;
    int32_t stepCountdown = 0;
    HoloOverlays* overlays = nullptr;

private:
    void makePendingStep();

    HoloMesher mesher;
};

} // namespace ZQ
