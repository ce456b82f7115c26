#pragma once

#include "cords/BraidModel.h"
#include "cords/GrainModel.h"
#include "engine/physics/FxParticleSystem.h"
#include "stage/BalloonModel.h"
#include "stage/ConeModel.h"
#include "stage/LightModel.h"
#include "support/CatalogueSuite.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2.h>

#include <memory>

// The stage the cone, balloon, braid, grain and particle-box passes draw: the
// cord stage with the light, the braid world and every model these passes
// read, installed in the engine globals on the headless context at 750 x
// 1334, with the level catalogue. An offscreen colour and depth target of the
// screen's size stands in for the screen.
class SceneFixture : public CatalogueSuite<HeadlessGLTest>, protected CordStage {
protected:
    static constexpr int kW = HeadlessGL::kWidth;
    static constexpr int kH = HeadlessGL::kHeight;

    void SetUp() override;
    void TearDown() override;

    // The models of a frame, in model-list order.
    void frame();

    // Level start for the first level whose cord has `strings` strings: the
    // level's cord laid with its colours, its fade-in bound, its cones made.
    void layLevel(int strings);

    // Binds the offscreen target and clears it (colour to transparent black).
    void clearTarget();

    std::unique_ptr<ZQ::LightModel> light;
    std::unique_ptr<ZQ::ConeModel> cones;
    std::unique_ptr<ZQ::BalloonModel> balloons;
    std::unique_ptr<ZQ::GrainModel> grains;
    std::unique_ptr<ZQ::Fx::ParticleSystem> braidWorld;
    std::unique_ptr<ZQ::BraidModel> braids;

private:
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
};
