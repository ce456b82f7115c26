#include "cords/HeadCollection.h"

#include "cords/CordModel.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Random.h"

namespace ZQ {

HeadModel& HeadCollection::model() {
    // HeadModel is the one class built on this base.
    return static_cast<HeadModel&>(*this);
}

void HeadCollection::createHeads() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    const CordModel& cord = *gGlobals.cordModel;
    HeadModel& self = model();
    for (size_t k = 0; k < cord.segments.size(); ++k) {
        const CordModel::Segment& s = cord.segments[k];
        // A head needs a neck: a string of one particle cannot carry one.
        ZQ_ASSERT(s.last > s.first);
        const int32_t string = static_cast<int32_t>(k);
        self.heads.push_back(new HeadInstance(string, s.first, s.first + 1, 0));
        self.heads.push_back(new HeadInstance(string, s.last, s.last - 1, 1));
    }
    for (size_t i = 0; i < self.heads.size(); ++i) {
        chooseBehaviour(*self.heads[i]);
    }
    self.sight.clear(static_cast<int32_t>(self.heads.size()));
}

void HeadCollection::chooseBehaviour(HeadInstance& head) {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    HeadModel& self = model();
    Action* root = nullptr;
    if (HeadModel::isAgitated(*gGlobals.cordModel, head.segmentIndex)) {
        if (head.grabbed) {
            self.notify(&EventListener::onHeadGrabbed);
            root = grabbedTree();
        } else {
            switch (arc4random() % 3) {
            case 0:
                root = roamingTree();
                break;
            case 1:
                root = huntingTree();
                break;
            default:
                root = restingTree();
                break;
            }
        }
    } else {
        head.calm = true;
        self.notify(&EventListener::onHeadReleased, &head);
        root = calmTree();
    }
    head.setAction(root);
}

} // namespace ZQ
