#pragma once

#include "engine/PVRTVector.h"
#include "render/RenderProgram.h"

#include <cstdint>

namespace ZQ {

class RoomInstance;

// Lights the room walls per fragment from their wallpaper textures and the
// room's materials (four slots), darkened by the shadow map when room
// shadows are on. Whether they are is fixed at construction: the shadow
// uniforms exist only in a program built with them.
//
// Vertex input: the 64-byte room box vertex, of which the position and the
// texture coordinates are read (the relief gives the normal). Main thread
// only.
class WallPaperRoomProgram : public RenderProgram {
public:
    static constexpr int32_t kSlots = 4;
    static constexpr float kZHeight = 0.05f;
    static constexpr float kPCFRadius = 10.0f;

    // The shader in use; the reference one is the lighting spelled out step
    // by step, kept to check the fast one against. The unfiltered one is the
    // fast one without shadows for the screen squares no caster reaches: it
    // has no shadow coordinate, so it neither looks up nor sets its matrix.
    enum class Shading { fast, reference, unfiltered };

    // By default room shadows follow the device profile.
    WallPaperRoomProgram();
    explicit WallPaperRoomProgram(bool roomShadows, Shading shading = Shading::fast);

    void setUp() override;
    void tearDown() override;
    void use() override;
    // Every matrix, the light, the eye, the spot's coefficients and the
    // shadow map for the instance whose model matrix is m; `roomMatrix` must
    // hold that instance's translation and scale.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // The per-face wallpaper: textures, texture scale and material slots.
    void bindWallpaper(const RoomInstance& instance, int32_t face);

    // The texture scale of a face kind (0 back wall, 1 side walls, 2 floor,
    // 3 ceiling) on a W x H screen with `worldScale` world units per pixel:
    // the longer side of the face, margin included, spans the texture once.
    static PVRTVec2 textureScale(int32_t faceKind, float width, float height, float worldScale);
    // The face kind of each drawn face: back, left, right, ceiling, floor.
    static int32_t faceKindOf(int32_t face);
    // One texel of the shadow map in texture coordinates, as the filter steps.
    static PVRTVec2 shadowMapStep();

    const bool roomShadows;
    const Shading shading;
    int32_t face = 0;
    int32_t faceKind = 0;
    PVRTMat4 roomMatrix;
    // Set by setModelMatrix: the unit box point (before its relief) to the
    // shadow coordinate the fragment shader looks the map up with.
    PVRTMat4 shadowMatrix;

private:
    ElementNames ambientNames;
    ElementNames diffuseNames;
    ElementNames specularNames;
    ElementNames shininessNames;
    ElementNames coolNames;
};

} // namespace ZQ
