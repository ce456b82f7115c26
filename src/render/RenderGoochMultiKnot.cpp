#include "render/RenderGoochMultiKnot.h"

#include "constants/Palette.h"
#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "render/KnotGoochProgram.h"
#include "render/OutsideWinding.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/ShadowModel.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstddef>

namespace ZQ {

namespace {

constexpr float kCapShininess = 2.8f;

// True when blending is on as source alpha over one minus source alpha,
// added, for colour and alpha alike: an alpha of 1 then writes the source as
// it is (an 8-bit target scales by 255/255 and by 0 exactly).
bool blendOnlyCopies() {
    if (glIsEnabled(GL_BLEND) == GL_FALSE) {
        return false;
    }
    GLint state[6] = {0, 0, 0, 0, 0, 0};
    const GLenum names[6] = {GL_BLEND_SRC_RGB,   GL_BLEND_SRC_ALPHA,    GL_BLEND_DST_RGB,
                             GL_BLEND_DST_ALPHA, GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA};
    for (int i = 0; i < 6; ++i) {
        glGetIntegerv(names[i], &state[i]);
    }
    return state[0] == GL_SRC_ALPHA && state[1] == GL_SRC_ALPHA && state[2] == GL_ONE_MINUS_SRC_ALPHA &&
           state[3] == GL_ONE_MINUS_SRC_ALPHA && state[4] == GL_FUNC_ADD && state[5] == GL_FUNC_ADD;
}

} // namespace

RenderGoochMultiKnot::RenderGoochMultiKnot() : Render(new KnotGoochProgram()) {}

RenderGoochMultiKnot::RenderGoochMultiKnot(RenderProgram* program) : Render(program) {}

float RenderGoochMultiKnot::tangleFactor(float e, float e0, int32_t strings) {
    const float threshold = strings == 1 ? CordModel::kSingleSolved : CordModel::kMultiSolved;
    if (e0 <= threshold) {
        return 0.0f;
    }
    return std::clamp((e - threshold) / (e0 - threshold), 0.0f, 1.0f);
}

Material RenderGoochMultiKnot::capMaterial(const Material& cord, float t) {
    Material cap{Palette::black, Palette::black, Palette::black, kCapShininess, 0.0f, PVRTVec3(), PVRTVec3()};
    cap.warm = cord.warm + (Palette::yellow - cord.warm) * t;
    cap.cool = cord.cool + (Palette::goldenrodDark - cord.cool) * t;
    return cap;
}

void RenderGoochMultiKnot::render() {
    const CordModel* cord = gGlobals.cordModel;
    const ShadowModel* meshes = gGlobals.shadowModel;
    if (cord == nullptr || meshes == nullptr || program == nullptr || cord->count == 0) {
        return;
    }
    auto& p = *static_cast<KnotGoochProgram*>(program);
    const MeshBuffer& buffer = meshes->getBuffer();
    if (buffer.vbo == 0 || buffer.ibo == 0) {
        return; // never uploaded: a draw would read client memory at the offsets
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer.vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.ibo);
    p.use();
    p.setUniforms();

    if (!buffer.ranges.empty()) {
        ZQ_ASSERT(gGlobals.levelModel != nullptr);
        const LevelModel::Level& level = gGlobals.levelModel->currentLevel();
        const int32_t strings = cord->stringCount();
        const float alpha = cord->instance != nullptr ? cord->instance->layout.alpha : 1.0f;
        const bool unblended = skipOpaqueBlend && alpha == 1.0f && blendOnlyCopies();
        if (unblended) {
            glDisable(GL_BLEND);
        }
        // With the frame's counter-clockwise front faces through the mirroring
        // scene camera, the near, outer half of every tube would be culled and
        // the cords would show their far inner walls.
        glFrontFace(outsideWinding(p.viewMatrix));
        for (std::size_t i = 0; i < buffer.ranges.size(); ++i) {
            // The catalogue gives every string a material and a normal map.
            ZQ_ASSERT(i < level.cordMaterials.size() && i < level.normalMaps.size());
            const float e = i < cord->energy.size() ? cord->energy[i] : 0.0f;
            const float e0 = i < cord->startEnergy.size() ? cord->startEnergy[i] : 0.0f;
            const Material& material = level.cordMaterials[i];
            glUniform1f(p.shader->uniform(ShaderNames::u_alpha), alpha);
            p.bindNormalMap(level.normalMaps[i]);
            p.uploadMaterial(0, material);
            p.uploadMaterial(1, capMaterial(material, tangleFactor(e, e0, strings)));
            const MeshBuffer::Range& range = buffer.ranges[i];
            glDrawElements(GL_TRIANGLES, range.indexCount, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(range.firstIndex) * 4));
        }
        glFrontFace(GL_CCW);
        if (unblended) {
            glEnable(GL_BLEND);
        }
    }
    p.unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

} // namespace ZQ
