#pragma once

#include "render/RenderProgram.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Texture;
struct Material;

// Gooch warm-to-cool shading of the cord tubes with a normal map for their
// grain and, with cord shadows, the filtered shadow map. Material slot 0 is
// the string's own, slot 1 its end caps'. Whether shadows are drawn is fixed
// at construction: the shadow uniforms exist only in a program built with
// them.
//
// Ownership: owns the eight normal maps and the flat stand-in from setUp to
// tearDown (a test may put textures of its own in the maps' place after
// setUp; they are deleted the same way). Vertex input: the 36-byte cord vertex. Main thread only.
class KnotGoochProgram : public RenderProgram {
public:
    static constexpr int32_t kNormalMapCount = 8;
    static constexpr int32_t kSlots = 2;
    static constexpr float kPCFRadius = 10.0f;

    // The normal-map resource names, by the index a level record holds.
    static const char* const kNormalMapNames[kNormalMapCount];

    // By default cord shadows follow the device profile and the player.
    KnotGoochProgram();
    explicit KnotGoochProgram(bool cordShadows);

    ~KnotGoochProgram() override;

    void setUp() override;
    void tearDown() override;
    void use() override;
    // Matrices from the camera's current view, the light and the eye, and
    // the shadow map on texture unit 1 (left active) when shadows are on.
    void setUniforms() override;
    void unuse() override;

    // One slot's material: ambient, warm, specular, shininess, cool.
    void uploadMaterial(int32_t slot, const Material& material);
    // Binds normal map `index` (0..7) to unit 0; a map that failed to load
    // (its load logged) binds a flat one, so the cord keeps its plain shading
    // instead of a grain bent away from the light.
    void bindNormalMap(int32_t index);

    const bool cordShadows;
    std::vector<Texture*> normalMaps;
    Texture* flatNormalMap = nullptr;

private:
    ElementNames warmNames;
    ElementNames ambientNames;
    ElementNames specularNames;
    ElementNames shininessNames;
    ElementNames coolNames;
};

} // namespace ZQ
