#pragma once

#include "CordModelFixture.h"
#include "cords/Grasp.h"
#include "cords/GraspModel.h"
#include "cords/GridModel.h"
#include "cords/HeadInstance.h"
#include "cords/HeadModel.h"
#include "engine/Action.h"

#include <set>
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
    // An energy above every solved threshold, the same at the start: the
    // heads stay agitated.
    static constexpr float kTangled = 3.0f;

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

    // `strings` lines of n particles along x, 10 units apart in y.
    void placeLines(int strings, int n, float energy = kTangled, float startEnergy = kTangled) {
        std::vector<PVRTVec3> points;
        std::vector<ZQ::CordModel::Segment> segments;
        for (int k = 0; k < strings; ++k) {
            appendLine(points, segments, n, PVRTVec3(0.0f, 10.0f * static_cast<float>(k), 0.0f));
        }
        placeStrings(points, segments, energy, startEnergy);
    }

    // Tangled lines with a head at both ends of each.
    void placeHeadedLines(int strings, int n = 20) {
        placeLines(strings, n);
        heads.createHeads();
    }

    ZQ::HeadInstance& head(int i) { return *heads.heads[i]; }

    // Binds the action to the head and returns it (the head owns it).
    template <class A> static A* bind(ZQ::HeadInstance& h, A* action) {
        h.setAction(action);
        return action;
    }

    // Ticks the action alone (no physics: the heads stay put and every push
    // stays queued) until it succeeds or fails; the number of ticks, or -1
    // when it still runs after `limit`.
    static int ticksToFinish(ZQ::Action* action, int limit) {
        for (int t = 1; t <= limit; ++t) {
            if (action->tick() != ZQ::Action::Running) {
                return t;
            }
        }
        return -1;
    }

    // The player holds these particles (for as long as the test keeps the
    // grasp; the grasp model is not stepped by the tests that use this).
    void hold(std::set<int> particles) {
        const int main = *particles.begin();
        grasps.grasps.push_back(new ZQ::DragGrasp(std::move(particles), main, 0, PVRTVec2()));
    }
    void release() { grasps.removeAllGrasps(); }

    ZQ::GraspModel grasps;
    ZQ::HeadModel heads;
    ZQ::GridModel grid;
    HeadEvents headEvents;
};
