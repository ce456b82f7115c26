#pragma once

#include "cords/Grasp.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <list>
#include <vector>

namespace ZQ {

class DragFactory;
class GraspModel;
class RotateFactory;
class SlideFactory;

// How a new touch finds its id, the smallest no touch that is down holds.
// Both give the same ids; Plain (a scan of the touches for every id tried,
// cubic in the touches of one frame) is the reference Marked is checked
// against.
enum class TouchIdSearch { Plain, Marked };

// The game controller's hand on the cord: its drag and slide factories (one
// of each per touch that is down) and its one rotate factory, driven by
// touches, swipes and the play step, with every grasp they make admitted into
// the grasp model. The game flow owns one and forwards its input to it; the
// headless player drives one from a script the same way.
//
// What belongs to the game flow (the markers, the grasp sounds, the move
// count, the tutorial's gates) it adds through a Client. Owns its factories.
class GraspFactoryDriver {
public:
    // A held finger pulls in short bursts when its counter reaches these two
    // values, then every frame from the third on.
    static constexpr int32_t kDragBurst1 = 4;
    static constexpr int32_t kDragBurst2 = 9;
    static constexpr int32_t kDragSteady = 10;
    // A touch held longer than this (counter) was a drag, not a stroke: it
    // makes no slide when lifted.
    static constexpr int32_t kSlideCounterLimit = 10;
    // A stroke makes a slide when it travelled farther than one radius and
    // less than this many.
    static constexpr float kSlideTravelRadii = 10.0f;
    // Swipes turn the cord only from the bottom ninth of the screen.
    static constexpr float kSwipeBand = 0.11111111f;
    static constexpr float kSwipeLength = 10.0f; // pixels between a swipe's two points
    static constexpr int32_t kSwipeRight = 1;
    static constexpr int32_t kSwipeLeft = 2;

    class Client {
    public:
        virtual ~Client() = default;
        // Whether the handlers of this grasp kind may make grasps now (the
        // tutorial lets one kind through at a time).
        virtual bool permits(Grasp::Type /*kind*/) { return true; }
        // The play step admitted a drag grasp; `counter` is the factory's
        // counter before its increase: 4, 9, or 10 and above.
        virtual void onDragStep(DragFactory& /*factory*/, int32_t /*counter*/, DragGrasp& /*grasp*/) {}
        // A lifted touch admitted a slide grasp.
        virtual void onSlide(SlideFactory& /*factory*/, SlideGrasp& /*grasp*/) {}
        // A swipe admitted a rotation grasp.
        virtual void onRotate(RotateGrasp& /*grasp*/) {}
        // A touch ended, was cancelled or was dropped; its drag factory is
        // deleted next. Hooks must not feed input back into the driver.
        virtual void onDragEnd(DragFactory& /*factory*/) {}
    };

    // The grasp model and the client are not owned; the client may be null.
    explicit GraspFactoryDriver(GraspModel& model, Client* client = nullptr);
    ~GraspFactoryDriver();
    GraspFactoryDriver(const GraspFactoryDriver&) = delete;
    GraspFactoryDriver& operator=(const GraspFactoryDriver&) = delete;

    // Makes the zero-filled rotate factory.
    void setUp();
    // Deletes the rotate factory and every drag and slide factory.
    void tearDown();
    // Drops every touch in progress (the level stopped taking them): each
    // drag factory's end is reported to the client as a lifted touch's is,
    // then every drag and slide factory goes. The rotate factory stays.
    void resetTouches();

    // A new touch: its drag factory selects and, unless blocked (the level is
    // not being played), makes the first drag grasp, returned when admitted.
    DragGrasp* touchBegan(const PVRTVec2& point, float radius, bool blocked);
    // Moves the touch whose last point is nearest.
    void touchMoved(const PVRTVec2& point, float radius);
    // Lifts the touch whose last point is nearest: a short stroke may make a
    // slide grasp, returned when admitted. Without factories (a touch that
    // began before the controller was set up) nothing happens.
    SlideGrasp* touchEnded(const PVRTVec2& point);
    SlideGrasp* touchCancelled(const PVRTVec2& point) { return touchEnded(point); }
    // A horizontal swipe, only while the level is being played: a rotation
    // grasp when it lies in the bottom band and goes right (1) or left (2).
    RotateGrasp* swipe(const PVRTVec2& point, int32_t direction);
    // The play step, once a frame while the level is being played: every
    // touch's counter advances, and touches held 4, 9 or 10 and more frames
    // pull again.
    void step();

    void setTouchIdSearch(TouchIdSearch search) { touchIdSearch = search; }

    const std::list<DragFactory*>& getDragFactories() const { return dragFactories; }
    const std::list<SlideFactory*>& getSlideFactories() const { return slideFactories; }
    RotateFactory* getRotateFactory() const { return rotateFactory; }

private:
    bool permits(Grasp::Type kind) const;
    int32_t freeTouchId();
    std::list<DragFactory*>::iterator nearestDrag(const PVRTVec2& point);
    SlideGrasp* slide(SlideFactory& factory, const PVRTVec2& point);
    void release();

    GraspModel& graspModel;
    Client* client;
    std::list<DragFactory*> dragFactories;   // owned, newest first
    std::list<SlideFactory*> slideFactories; // owned, newest first
    RotateFactory* rotateFactory = nullptr;  // owned while set up
    TouchIdSearch touchIdSearch = TouchIdSearch::Marked;
    std::vector<bool> usedIds; // Marked's scratch, kept to spare an allocation a touch
};

} // namespace ZQ
