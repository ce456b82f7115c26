#pragma once

#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "render/Texture.h"
#include "render/TextureContext.h"
#include "stage/LightModel.h"
#include "stage/ShadowModel.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"

#include <GLES2/gl2ext.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

// A catalogue level's cord laid and meshed under the start-up camera and
// light, with render targets of a small screen without multisampling, so
// each target's own framebuffer holds what was drawn and can be read back.
class KnotFixture : public HeadlessGLTest, public CordStage {
protected:
    static constexpr float kWidth = 180.0f;
    static constexpr float kHeight = 320.0f;
    static constexpr float kTarget = 320.0f;

    void SetUp() override {
        HeadlessGLTest::SetUp();
        setUpScreen(kWidth, kHeight, kTarget);
    }

    void TearDown() override {
        tearDownScreen();
        HeadlessGLTest::TearDown();
    }

    void setUpScreen(float width, float height, float target) {
        ZQ::gGlobals.setScreenSize(width, height);
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        profile.targetSize = target;
        profile.sceneMultisample = false;
        profile.textureMultisample = false;
        targets = std::make_unique<ZQ::RenderTargets>();
        targets->create(width, height, profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, static_cast<GLsizei>(width),
                              static_cast<GLsizei>(height));
        targets->setUp();
        if (catalogue == nullptr) {
            catalogue = std::make_unique<ZQ::LevelModel>();
        }
        ZQ::gGlobals.levelModel = catalogue.get();
        setUpStage();
        light.setUp();
        ZQ::gGlobals.lightModel = &light;
        meshes = std::make_unique<ZQ::ShadowModel>(1);
        ZQ::gGlobals.shadowModel = meshes.get();
    }

    void tearDownScreen() {
        meshes.reset();
        light.tearDown();
        tearDownStage();
        targets->tearDown();
        targets.reset();
    }

    // Lays level n's cord at full radius and opacity, lets the camera and
    // light settle on it for `frames` frames and meshes it.
    void layLevel(int32_t n, int frames = 30) {
        catalogue->level = n;
        const ZQ::LevelModel::Level& record = catalogue->currentLevel();
        cord->loadCord(*record.cord, record.cordSettings());
        cord->measureEnergies();
        cord->instance->radius = 1.0f / ZQ::gGlobals.worldScale;
        cord->instance->layout.alpha = 1.0f;
        meshes->loadJobs(cord->segments);
        for (int f = 0; f < frames; ++f) {
            step();
        }
    }

    // One frame of the models in list order.
    void step() {
        frame();
        light.doStep();
        meshes->doStep();
    }

    // A size x size texture of one texel value, as the pass's normal map k.
    static ZQ::Texture* flatTexture(std::array<uint8_t, 4> value, int size = 4) {
        auto* data = static_cast<uint8_t*>(std::malloc(static_cast<std::size_t>(size * size * 4)));
        for (int i = 0; i < size * size; ++i) {
            std::memcpy(data + 4 * i, value.data(), 4);
        }
        auto* texture = new ZQ::TextureRaw(size, size, data, true, GL_NEAREST, GL_NEAREST);
        texture->setUp();
        return texture;
    }

    // The whole screen target, rows from the bottom.
    std::vector<uint8_t> screen() const {
        glBindFramebuffer(GL_FRAMEBUFFER, targets->sceneContext->framebuffer);
        return HeadlessGL::readPixels(0, 0, static_cast<int>(ZQ::gGlobals.screenSize.x),
                                      static_cast<int>(ZQ::gGlobals.screenSize.y));
    }

    std::unique_ptr<ZQ::LevelModel> catalogue;
    ZQ::LightModel light;
    std::unique_ptr<ZQ::ShadowModel> meshes;
    std::unique_ptr<ZQ::RenderTargets> targets;
};
