#pragma once

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "cords/KnotGenerator.h"
#include "support/CordStage.h"
#include "support/GlobalsTest.h"
#include "support/VectorChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// A knot generator that hands back the points it was given: cords of a
// known shape and an exact length.
class PolylineKnot : public ZQ::KnotGenerator {
public:
    explicit PolylineKnot(std::vector<PVRTVec3> pts) : points(std::move(pts)) {}
    void generate(std::vector<PVRTVec3>& out) override {
        out.insert(out.end(), points.begin(), points.end());
    }

private:
    std::vector<PVRTVec3> points;
};

// A cord along the polyline, scaled by exactly 1 (the target size is the
// farthest point's distance from the origin).
inline std::unique_ptr<ZQ::Cord> makeCord(const std::vector<PVRTVec3>& points, int strings, bool settle) {
    float farthest = 0.0f;
    for (const PVRTVec3& p : points) {
        farthest = std::max(farthest, p.length());
    }
    auto cord = std::make_unique<ZQ::Cord>(farthest, PVRTVec3(), strings, settle, new PolylineKnot(points));
    cord->build();
    return cord;
}

// A straight cord of the given length along +x from the origin.
inline std::unique_ptr<ZQ::Cord> makeLine(float length, int strings = 1, bool settle = false) {
    return makeCord({PVRTVec3(0, 0, 0), PVRTVec3(length, 0, 0)}, strings, settle);
}

// The cord stage on a 640 x 1136 screen, the globals saved and restored.
class CordModelFixture : public GlobalsTest, protected CordStage {
protected:
    static constexpr float kW = kScreenWidth;
    static constexpr float kH = kScreenHeight;

    void SetUp() override {
        GlobalsTest::SetUp();
        setUpStage();
    }
    void TearDown() override {
        tearDownStage();
        GlobalsTest::TearDown();
    }

    // Particles placed by hand (world units), with no constraints, and the
    // strings over them; energies are live. Nothing moves unless stepped.
    void placeParticles(const std::vector<PVRTVec3>& points,
                        const std::vector<ZQ::CordModel::Segment>& strings) {
        for (const PVRTVec3& p : points) {
            world->addParticle(p);
        }
        cord->segments = strings;
        cord->energy.assign(strings.size(), 0.0f);
        cord->startEnergy.assign(strings.size(), 0.0f);
        cord->energyFlag = true;
    }
};
