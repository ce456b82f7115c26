#include "render/RenderTargets.h"

#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"

#include <algorithm>

namespace ZQ {

RenderTargets::~RenderTargets() {
    delete sceneContext;
    delete shadowContext;
    for (TextureContext* target : colourContexts) {
        delete target;
    }
    for (TextureContext* target : heightContexts) {
        delete target;
    }
}

PVRTVec2 RenderTargets::shadowSize(float width, float height, float targetSize) {
    const float h = std::min(targetSize, height);
    return PVRTVec2(h * width / height, h);
}

void RenderTargets::create(float width, float height, const DeviceProfile& profile) {
    // Built once: a second call would orphan the first targets' GL objects.
    ZQ_ASSERT(sceneContext == nullptr);
    sceneContext = new SceneContext(width, height, profile.sceneMultisample);

    glGenTextures(1, &gGlobals.shadowMapTexture);
    const PVRTVec2 shadow = shadowSize(width, height, profile.targetSize);
    shadowContext =
        new TextureContext(shadow.x, shadow.y, gGlobals.shadowMapTexture, profile.textureMultisample);

    for (int i = 0; i < kRoomBuffers; ++i) {
        glGenTextures(1, &gGlobals.wallPaperColourTextures[i]);
        glGenTextures(1, &gGlobals.wallPaperHeightTextures[i]);
    }
    const float t = profile.targetSize;
    for (int i = 0; i < kRoomBuffers; ++i) {
        colourContexts.push_back(
            new TextureContext(t, t, gGlobals.wallPaperColourTextures[i], profile.textureMultisample));
        heightContexts.push_back(
            new TextureContext(t, t, gGlobals.wallPaperHeightTextures[i], profile.textureMultisample));
    }
}

void RenderTargets::setUp() {
    ZQ_ASSERT(sceneContext != nullptr);
    sceneContext->setUp();
    shadowContext->setUp();
    for (int i = 0; i < kRoomBuffers; ++i) {
        colourContexts[i]->setUp();
        heightContexts[i]->setUp();
    }
}

void RenderTargets::tearDown() {
    ZQ_ASSERT(sceneContext != nullptr);
    sceneContext->tearDown();
    shadowContext->tearDown();
    for (int i = 0; i < kRoomBuffers; ++i) {
        colourContexts[i]->tearDown();
        heightContexts[i]->tearDown();
    }
    // The textures were generated with the targets; nothing samples them now.
    glDeleteTextures(1, &gGlobals.shadowMapTexture);
    glDeleteTextures(kRoomBuffers, gGlobals.wallPaperColourTextures);
    glDeleteTextures(kRoomBuffers, gGlobals.wallPaperHeightTextures);
    gGlobals.shadowMapTexture = 0;
    for (int i = 0; i < kRoomBuffers; ++i) {
        gGlobals.wallPaperColourTextures[i] = 0;
        gGlobals.wallPaperHeightTextures[i] = 0;
    }
}

} // namespace ZQ
