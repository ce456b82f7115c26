#pragma once

#include "engine/PVRTVector.h"

#include <vector>

namespace ZQ {

class SceneContext;
class TextureContext;
struct DeviceProfile;

// The six targets of every frame: the screen, the shadow map, and for each
// of the two room buffers a wallpaper colour and a wallpaper height target.
// Owns the target objects, and from create to tearDown their GL objects and
// the five textures.
struct RenderTargets {
    static constexpr int kRoomBuffers = 2;

    RenderTargets() = default;
    RenderTargets(const RenderTargets&) = delete;
    RenderTargets& operator=(const RenderTargets&) = delete;
    ~RenderTargets();

    // The shadow map is as tall as the screen up to `targetSize`, and keeps
    // the screen's aspect.
    static PVRTVec2 shadowSize(float width, float height, float targetSize);

    // Builds the targets for a W x H screen (GL context current): the screen
    // target generates its colour renderbuffer and leaves it bound for the
    // context's storage; the five texture names go into the engine globals.
    void create(float width, float height, const DeviceProfile& profile);

    // Set-up in the order screen, shadow, colour 0, height 0, colour 1, height 1.
    void setUp();
    // Deletes the targets' GL objects and the textures (names back to 0).
    void tearDown();

    SceneContext* sceneContext = nullptr;
    TextureContext* shadowContext = nullptr;
    std::vector<TextureContext*> colourContexts; // one per room buffer
    std::vector<TextureContext*> heightContexts; // one per room buffer
};

} // namespace ZQ
