#pragma once

#include "render/RenderProgram.h"

namespace ZQ {

struct Material;

// Lights the award tangle as metal with a Cook-Torrance model under the fixed
// default camera (a translation by (0, 0, -1)), not the room camera.
//
// Vertex input: the 52-byte tangle vertex, of which the metal reads the
// position and the normal only. Main thread only.
class TangleProgram : public RenderProgram {
public:
    void setUp() override;
    // Stores P·V·C, then binds the program and points the attributes.
    void use() override;
    // The matrices for model matrix m, the light and the eye.
    void setModelMatrix(const float m[16]) override;
    void unuse() override;

    // The metal's colours and its reflectance at normal incidence.
    void uploadMetal(const Material& metal);

    // ((1 - n)^2 / (1 + n)^2)^2 for refractive index n, as the shader takes it.
    static float fresnelTerm(float refractiveIndex);
};

} // namespace ZQ
