#pragma once

#include "engine/Globals.h"

#include <gtest/gtest.h>

// Base of the tests that change the engine globals (GL tests have
// HeadlessGLTest instead). SetUp saves the globals and sets the screen;
// TearDown puts every field back, so no test sees another's screen, frame
// count or model pointers. The default screen is 640 x 1136, where a world
// unit is 32 pixels; a test that needs another passes it to the constructor.
class GlobalsTest : public ::testing::Test {
protected:
    static constexpr float kScreenWidth = 640.0f;
    static constexpr float kScreenHeight = 1136.0f;

    explicit GlobalsTest(float width = kScreenWidth, float height = kScreenHeight)
        : width(width), height(height) {}

    void SetUp() override {
        saved = ZQ::gGlobals;
        ZQ::gGlobals.setScreenSize(width, height);
    }
    void TearDown() override { ZQ::gGlobals = saved; }

private:
    float width;
    float height;
    ZQ::Globals saved;
};
