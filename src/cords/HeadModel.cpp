#include "cords/HeadModel.h"

#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "cords/HeadCollection.h"
#include "cords/HeadInstance.h"
#include "engine/Action.h"
#include "engine/Assert.h"
#include "engine/Globals.h"

#include <cstdlib>

namespace ZQ {

void SightMatrix::clear(int32_t size) {
    n = size;
    entries.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
}

bool SightMatrix::operator()(int32_t i, int32_t j) const {
    if (i < 0 || j < 0 || i >= n || j >= n) {
        return false;
    }
    return entries[static_cast<size_t>(i) * n + j] != 0;
}

void SightMatrix::setPair(int32_t i, int32_t j, bool seen) {
    ZQ_ASSERT(i >= 0 && j >= 0 && i < n && j < n);
    entries[static_cast<size_t>(i) * n + j] = seen ? 1 : 0;
    entries[static_cast<size_t>(j) * n + i] = seen ? 1 : 0;
}

namespace {

const CordModel& cordModel() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    return *gGlobals.cordModel;
}

// The first held particle, in ascending order, on the given string; -1 when
// the player holds none of it. Particles on no string never count.
int32_t firstHeldOnString(const std::set<int>& held, const CordModel& cord, int32_t string) {
    for (int p : held) {
        if (cord.getSegmentIndexForParticle(p) == string) {
            return p;
        }
    }
    return -1;
}

} // namespace

HeadModel::~HeadModel() {
    clearHeads();
    removeAllListeners();
}

void HeadModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), heads.begin(), heads.end());
}

void HeadModel::clearHeads() {
    for (HeadInstance* head : heads) {
        delete head;
    }
    heads.clear();
    sight.clear(0);
}

bool HeadModel::isAgitated(const CordModel& cord, int32_t string) {
    ZQ_ASSERT(string >= 0 && string < static_cast<int32_t>(cord.energy.size()) &&
              string < static_cast<int32_t>(cord.startEnergy.size()));
    const float lo = cord.stringCount() == 1 ? CordModel::kSingleSolved : CordModel::kMultiSolved;
    const float start = cord.startEnergy[string];
    if (!(start > lo)) {
        return false;
    }
    const float t = std::max((cord.energy[string] - lo) / (start - lo), 0.0f);
    return t >= 0.1f;
}

std::set<int> HeadModel::heldParticles() {
    std::set<int> held;
    if (gGlobals.graspModel == nullptr) {
        return held;
    }
    for (const Grasp* grasp : gGlobals.graspModel->grasps) {
        held.insert(grasp->particles.begin(), grasp->particles.end());
    }
    return held;
}

void HeadModel::doStep() {
    if (paused) {
        return;
    }
    const std::set<int> held = heldParticles();
    updateSight();
    if (heads.empty()) {
        return;
    }

    const CordModel& cord = cordModel();
    for (size_t i = 0; i < heads.size(); ++i) {
        HeadInstance& head = *heads[i];
        ZQ_ASSERT(head.segmentIndex >= 0 && head.segmentIndex < cord.stringCount());
        const CordModel::Segment& string = cord.segments[head.segmentIndex];
        const int32_t p = firstHeldOnString(held, cord, head.segmentIndex);
        const int32_t distance = std::abs(p - head.headParticle);
        const bool grabbedNow = p >= 0 && distance < 3;
        const bool fearNow = p >= 0 && distance > (string.last - string.first + 1) / 2;

        bool replan;
        if (!head.grabbed && grabbedNow) {
            head.grabbed = true;
            replan = true;
        } else if (!head.calm && !isAgitated(cord, head.segmentIndex)) {
            replan = true;
        } else {
            const Action* root = head.getAction();
            replan = root == nullptr || root->isFinished();
        }
        if (replan) {
            chooseBehaviour(head);
        }
        head.grabbed = grabbedNow;
        head.fear = fearNow;
        head.step();
    }
}

} // namespace ZQ
