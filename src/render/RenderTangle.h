#pragma once

#include "constants/Material.h"
#include "engine/PVRTMatrix.h"
#include "render/Render.h"

#include <array>
#include <cstdint>

namespace ZQ {

struct Layout;

// The tangle pass: draws the award tangles, each in the metal of the grade
// earned (the award screen gives material 4 - grade), range by range as the
// tangle is revealed. Its program is made in setUp, not at construction.
//
// Owns its TangleProgram from setUp to tearDown. Main thread only.
class RenderTangle : public Render {
public:
    static constexpr int32_t kMetalCount = 5;
    // Obsidian, chrome, polished bronze, polished silver, gold.
    static const std::array<Material, kMetalCount> materials;

    RenderTangle() = default;
    void setUp() override;
    void render() override;

    // T(p) · Rz(a3) · Rx(a1) · Ry(a2) · S(s · k) for the tangle's pose and
    // its tangle scale k.
    static PVRTMat4 tangleModelMatrix(const Layout& layout, const PVRTVec3& tangleScale);
};

} // namespace ZQ
