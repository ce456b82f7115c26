#include "support/SceneFixture.h"

#include "cords/Cord.h"
#include "levels/LevelModel.h"

#include <GLES2/gl2ext.h>

void SceneFixture::SetUp() {
    CatalogueSuite::SetUp();
    setUpStage();
    light = std::make_unique<ZQ::LightModel>();
    cones = std::make_unique<ZQ::ConeModel>();
    balloons = std::make_unique<ZQ::BalloonModel>();
    grains = std::make_unique<ZQ::GrainModel>();
    braidWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kBraidWorld);
    braids = std::make_unique<ZQ::BraidModel>();
    ZQ::Globals& g = ZQ::gGlobals;
    g.lightModel = light.get();
    g.coneModel = cones.get();
    g.balloonModel = balloons.get();
    g.grainModel = grains.get();
    g.particleSystem3 = braidWorld.get();
    g.braidModel = braids.get();
    light->setUp();
    cones->setUp();
    balloons->setUp();
    grains->setUp();
    braidWorld->setUp();
    braids->setUp();

    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, kW, kH);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kW, kH);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, kW, kH);
}

void SceneFixture::TearDown() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteRenderbuffers(1, &depth);
    braids->tearDown();
    braidWorld->tearDown();
    grains->tearDown();
    balloons->tearDown();
    cones->tearDown();
    light->tearDown();
    tearDownStage();
    CatalogueSuite::TearDown();
}

void SceneFixture::frame() {
    world->doStep();
    camera.doStep();
    light->doStep();
    cord->doStep();
    cones->doStep();
    balloons->doStep();
    grains->doStep();
    braidWorld->doStep();
    braids->doStep();
}

void SceneFixture::layLevel(int strings) {
    for (std::size_t k = 0; k < catalogue->levels.size(); ++k) {
        const ZQ::LevelModel::Level& level = catalogue->levels[k];
        if (level.cord != nullptr && level.cord->strings == strings) {
            cord->loadCord(*level.cord, level.cordSettings());
            cord->fadeIn();
            cones->addCones();
            return;
        }
    }
    FAIL() << "no level has a cord of " << strings << " strings";
}

void SceneFixture::clearTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kW, kH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
