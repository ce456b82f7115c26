#pragma once

#include "cords/CordModel.h"
#include "support/GlobalsTest.h"

// A cord model with no particle world behind it, installed as the engine's:
// the camera, the light and the grid read only its centre, positions and
// box, which a test sets by hand. The device lies still (no parallax).
class BareCordTest : public GlobalsTest {
protected:
    using GlobalsTest::GlobalsTest;

    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.parallax = PVRTVec3();
        ZQ::gGlobals.cordModel = &cord;
    }

    ZQ::CordModel cord;
};
