#include "cords/GraspModel.h"

#include "cords/Grasp.h"

#include <vector>

namespace ZQ {

GraspModel::~GraspModel() {
    removeAllListeners();
    removeAllGrasps();
}

void GraspModel::tearDown() {
    removeAllListeners();
    removeAllGrasps();
}

void GraspModel::doStep() {
    // A copy: expiring grasps leave the list while it is walked.
    const std::vector<Grasp*> stepping(grasps.begin(), grasps.end());
    for (Grasp* grasp : stepping) {
        --grasp->life;
        grasp->update();
        if (grasp->life < 0) {
            grasps.remove(grasp);
            delete grasp;
        }
    }
}

void GraspModel::admit(Grasp* grasp) {
    if (grasp == nullptr) {
        return;
    }
    grasp->id = count();
    notify(&EventListener::onGrasp, grasp);
    grasps.push_back(grasp);
}

void GraspModel::removeAllGrasps() {
    for (Grasp* grasp : grasps) {
        delete grasp;
    }
    grasps.clear();
}

} // namespace ZQ
