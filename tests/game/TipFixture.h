#pragma once

#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "game/TipNode.h"
#include "levels/LevelModel.h"
#include "levels/TipFactory.h"
#include "overlays/CaptionBox.h"
#include "overlays/FlowModel.h"
#include "overlays/ZQCaptionGenerator.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// What a tip's lines need: the flow world and the flow model stepped in the
// engine's order, the bundle's captions, and the catalogue built with the
// game's tips, on the headless context at its screen size.
class TipFixture : public HeadlessGLTest {
protected:
    static void SetUpTestSuite() {
        ZQ::TipFactory* previous = ZQ::registerTipFactory(&ZQ::tipNodeFactory());
        catalogue = new ZQ::LevelModel();
        ZQ::registerTipFactory(previous);
    }
    static void TearDownTestSuite() {
        delete catalogue;
        catalogue = nullptr;
    }

    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::gGlobals.setScreenSize(static_cast<float>(HeadlessGL::kWidth),
                                   static_cast<float>(HeadlessGL::kHeight));
        ZQ::gGlobals.language = "en";
        box = std::make_unique<ZQ::CaptionBox>(new ZQ::ZQCaptionGenerator("captions", 2));
        box->setUp();
        world.setUp();
        flows.setUp();
        catalogue->setUp();
        ZQ::gGlobals.captionBox = box.get();
        ZQ::gGlobals.particleSystem2 = &world;
        ZQ::gGlobals.flowModel = &flows;
        ZQ::gGlobals.levelModel = catalogue;
    }

    void TearDown() override {
        flows.tearDown();
        world.tearDown();
        box->tearDown();
        HeadlessGLTest::TearDown();
    }

    void frame() {
        ++ZQ::gGlobals.frameCount;
        world.doStep();
        flows.doStep();
    }

    // Frames until no letter is left, at most `limit`; the frames taken.
    int runUntilEmpty(int limit) {
        int frames = 0;
        while (!flows.letters.empty() && frames < limit) {
            frame();
            ++frames;
        }
        return frames;
    }

    // The tip of catalogue level `level`, made the current one.
    ZQ::TipNode* tipOf(int level) {
        catalogue->level = level;
        ZQ::TipNode* tip = catalogue->currentLevel().tip;
        EXPECT_NE(tip, nullptr) << "level " << level;
        if (tip != nullptr) {
            tip->start();
        }
        return tip;
    }

    static inline ZQ::LevelModel* catalogue = nullptr;
    std::unique_ptr<ZQ::CaptionBox> box;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kFlowWorld};
    ZQ::FlowModel flows;
};
