#pragma once

#include "CordModelFixture.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "engine/Action.h"
#include "engine/physics/FxForce.h"
#include "stage/GridModel.h"

#include <set>
#include <utility>
#include <vector>

// Counts the head model's events and remembers the heads released.
class HeadEvents : public ZQ::EventListener {
public:
    void onHeadReleased(ZQ::HeadInstance* head) override { released.push_back(head); }
    void onHeadGrabbed() override { ++grabbed; }
    std::vector<ZQ::HeadInstance*> released;
    int grabbed = 0;
};

// The cord fixture plus the grasp, head and grid models, stepped in the
// engine's order: grasps, world, camera, cord, heads, grid.
class HeadFixture : public CordModelFixture {
protected:
    void SetUp() override {
        CordModelFixture::SetUp();
        ZQ::gGlobals.graspModel = &grasps;
        ZQ::gGlobals.headModel = &heads;
        ZQ::gGlobals.gridModel = &grid;
        grid.setUp();
        heads.setUp();
        heads.addListener(&headEvents);
    }

    void TearDown() override {
        heads.clearHeads();
        grid.tearDown();
        grasps.tearDown();
        CordModelFixture::TearDown();
    }

    void frame() {
        grasps.doStep();
        CordModelFixture::frame();
        heads.doStep();
        grid.doStep();
    }

    // Hand-placed strings (world units) in an emptied world, whose energies
    // the test sets: the cord model mirrors the positions but no longer
    // measures.
    void placeStrings(const std::vector<PVRTVec3>& points, const std::vector<ZQ::CordModel::Segment>& strings,
                      float energy, float startEnergy) {
        world->tearDown();
        world->setUp();
        placeParticles(points, strings);
        cord->energyFlag = false;
        cord->energy.assign(strings.size(), energy);
        cord->startEnergy.assign(strings.size(), startEnergy);
        cord->doStep();
    }

    // A straight string of n particles 2 units apart along x from `origin`,
    // appended after the particles already placed.
    static void appendLine(std::vector<PVRTVec3>& points, std::vector<ZQ::CordModel::Segment>& strings, int n,
                           const PVRTVec3& origin) {
        const int first = static_cast<int>(points.size());
        for (int i = 0; i < n; ++i) {
            points.push_back(origin + PVRTVec3(2.0f * static_cast<float>(i), 0.0f, 0.0f));
        }
        strings.push_back({first, first + n - 1, static_cast<int32_t>(strings.size())});
    }

    // The player holds these particles (for as long as the test keeps the
    // grasp; the grasp model is not stepped by the tests that use this).
    void hold(std::set<int> particles) {
        const int main = *particles.begin();
        grasps.grasps.push_back(new ZQ::DragGrasp(std::move(particles), main, 0, PVRTVec2()));
    }
    void release() { grasps.removeAllGrasps(); }

    // The pushes queued on the world since its last step (the tests that
    // count them never step it, so the heads stay where they were put).
    std::vector<std::pair<int, PVRTVec3>> pushes() const {
        std::vector<std::pair<int, PVRTVec3>> out;
        for (int32_t k = 0; k < world->getTmpForceCount(); ++k) {
            const auto* force = dynamic_cast<const ZQ::Fx::ConstantForce*>(world->getTmpForce(k));
            if (force != nullptr) {
                out.emplace_back(force->i, force->force);
            }
        }
        return out;
    }
    ZQ::GraspModel grasps;
    ZQ::HeadModel heads;
    ZQ::GridModel grid;
    HeadEvents headEvents;
};
