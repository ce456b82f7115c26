#include "cords/GraspFactoryDriver.h"

#include "cords/GraspFactory.h"
#include "cords/GraspModel.h"
#include "engine/Globals.h"

#include <algorithm>

namespace ZQ {

GraspFactoryDriver::GraspFactoryDriver(GraspModel& model, Client* client)
    : graspModel(model), client(client) {}

GraspFactoryDriver::~GraspFactoryDriver() {
    release();
}

void GraspFactoryDriver::setUp() {
    delete rotateFactory;
    rotateFactory = new RotateFactory();
}

void GraspFactoryDriver::tearDown() {
    release();
}

void GraspFactoryDriver::resetTouches() {
    for (DragFactory* factory : dragFactories) {
        if (client != nullptr) {
            client->onDragEnd(*factory);
        }
        delete factory;
    }
    dragFactories.clear();
    for (SlideFactory* factory : slideFactories) {
        delete factory;
    }
    slideFactories.clear();
}

void GraspFactoryDriver::release() {
    for (DragFactory* factory : dragFactories) {
        delete factory;
    }
    dragFactories.clear();
    for (SlideFactory* factory : slideFactories) {
        delete factory;
    }
    slideFactories.clear();
    delete rotateFactory;
    rotateFactory = nullptr;
}

bool GraspFactoryDriver::permits(Grasp::Type kind) const {
    return client == nullptr || client->permits(kind);
}

int32_t GraspFactoryDriver::freeTouchId() {
    if (touchIdSearch == TouchIdSearch::Plain) {
        int32_t id = 0;
        while (std::any_of(dragFactories.begin(), dragFactories.end(),
                           [id](const DragFactory* factory) { return factory->id == id; })) {
            ++id;
        }
        return id;
    }
    // n touches hold n ids at most, so one of 0..n is free: mark the held
    // ones among them in one pass, then take the first unmarked.
    const std::size_t count = dragFactories.size();
    usedIds.assign(count + 1, false);
    for (const DragFactory* factory : dragFactories) {
        if (factory->id >= 0 && static_cast<std::size_t>(factory->id) <= count) {
            usedIds[static_cast<std::size_t>(factory->id)] = true;
        }
    }
    const auto free = std::find(usedIds.begin(), usedIds.end(), false);
    return static_cast<int32_t>(free - usedIds.begin());
}

// The touch a moved or lifted point belongs to: the factory whose last point
// is nearest, the newest on a tie.
std::list<DragFactory*>::iterator GraspFactoryDriver::nearestDrag(const PVRTVec2& point) {
    return std::min_element(dragFactories.begin(), dragFactories.end(),
                            [&point](const DragFactory* a, const DragFactory* b) {
                                return (a->lastPoint - point).lenSqr() < (b->lastPoint - point).lenSqr();
                            });
}

DragGrasp* GraspFactoryDriver::touchBegan(const PVRTVec2& point, float radius, bool blocked) {
    const int32_t id = freeTouchId();
    const float r = GraspFactory::touchRadius(radius);

    DragFactory* drag = new DragFactory();
    drag->blocked = blocked;
    drag->id = id;
    drag->radius = r;
    drag->pickPoint = drag->currentPoint = drag->lastPoint = point;
    dragFactories.push_front(drag);
    drag->select();
    DragGrasp* grasp = nullptr;
    if (!blocked && permits(Grasp::Drag)) {
        grasp = drag->make();
        graspModel.admit(grasp);
    }

    SlideFactory* slide = new SlideFactory();
    slide->blocked = blocked;
    slide->id = id;
    slide->radius = r;
    slide->lastPoint = slide->startPoint = point;
    slide->beganFrame = gGlobals.frameCount;
    slideFactories.push_front(slide);
    return grasp;
}

void GraspFactoryDriver::touchMoved(const PVRTVec2& point, float radius) {
    const auto nearest = nearestDrag(point);
    if (nearest == dragFactories.end()) {
        return;
    }
    DragFactory& drag = **nearest;
    drag.radius = GraspFactory::touchRadius(radius);
    drag.currentPoint = drag.lastPoint = point;
}

SlideGrasp* GraspFactoryDriver::touchEnded(const PVRTVec2& point) {
    const auto drag = nearestDrag(point);
    SlideGrasp* grasp = nullptr;

    // Slide factories never follow their touch, so the lifted touch's slide
    // factory is the one sharing its drag factory's id.
    auto slideIt = slideFactories.begin();
    if (drag != dragFactories.end()) {
        const int32_t id = (*drag)->id;
        slideIt = std::find_if(slideFactories.begin(), slideFactories.end(),
                               [id](const SlideFactory* factory) { return factory->id == id; });
        if (slideIt == slideFactories.end()) {
            slideIt = slideFactories.begin();
        }
    }
    if (slideIt != slideFactories.end()) {
        SlideFactory* factory = *slideIt;
        const float travel = (point - factory->startPoint).length();
        // A touch held past the counter limit was a drag, not a stroke. The
        // count read is the lifted touch's own: the touch at the front of the
        // list is the newest or the last moved, often another finger, which
        // would make a held drag a slide or lose a flick made beside a drag.
        const bool quick = drag == dragFactories.end() || (*drag)->counter <= kSlideCounterLimit;
        if (factory->radius < travel && travel < kSlideTravelRadii * factory->radius && quick) {
            grasp = slide(*factory, point);
        }
        slideFactories.erase(slideIt);
        delete factory;
    }

    if (drag != dragFactories.end()) {
        DragFactory* factory = *drag;
        if (client != nullptr) {
            client->onDragEnd(*factory);
        }
        dragFactories.erase(drag);
        delete factory;
    }
    return grasp;
}

SlideGrasp* GraspFactoryDriver::slide(SlideFactory& factory, const PVRTVec2& point) {
    factory.endedFrame = gGlobals.frameCount;
    factory.endPoint = point;
    factory.select();
    if (factory.blocked || !permits(Grasp::Slide)) {
        return nullptr;
    }
    SlideGrasp* grasp = factory.make();
    if (grasp == nullptr) {
        return nullptr;
    }
    graspModel.admit(grasp);
    if (client != nullptr) {
        client->onSlide(factory, *grasp);
    }
    return grasp;
}

RotateGrasp* GraspFactoryDriver::swipe(const PVRTVec2& point, int32_t direction) {
    if (rotateFactory == nullptr || point.y > gGlobals.screenSize.y * kSwipeBand) {
        return nullptr;
    }
    RotateFactory& factory = *rotateFactory;
    if (direction == kSwipeRight) {
        factory.startPoint = point;
        factory.endPoint = point + PVRTVec2(kSwipeLength, 0.0f);
    } else if (direction == kSwipeLeft) {
        factory.startPoint = point;
        factory.endPoint = point - PVRTVec2(kSwipeLength, 0.0f);
    } else {
        return nullptr;
    }
    factory.startFrame = factory.endFrame = gGlobals.frameCount;
    if (!permits(Grasp::Rotate)) {
        return nullptr;
    }
    factory.select();
    RotateGrasp* grasp = factory.make();
    if (grasp == nullptr) {
        return nullptr;
    }
    graspModel.admit(grasp);
    if (client != nullptr) {
        client->onRotate(*grasp);
    }
    return grasp;
}

void GraspFactoryDriver::step() {
    for (DragFactory* factory : dragFactories) {
        const int32_t counter = factory->counter++;
        if (counter != kDragBurst1 && counter != kDragBurst2 && counter < kDragSteady) {
            continue;
        }
        if (factory->blocked || !permits(Grasp::Drag)) {
            continue;
        }
        DragGrasp* grasp = factory->make();
        if (grasp == nullptr) {
            continue;
        }
        graspModel.admit(grasp);
        if (client != nullptr) {
            client->onDragStep(*factory, counter, *grasp);
        }
    }
}

} // namespace ZQ
