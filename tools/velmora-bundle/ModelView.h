#pragma once

#include "Models.h"
#include "render/PVRTModelPOD.h"

#include <GLES2/gl2.h>

namespace VelmoraBundle {

// The positions, normals and triangle indices of a mesh the game's reader
// read: its interleaved block at the streams' own offsets and stride.
ModelMesh meshOfPod(const SPODMesh& mesh);

// Draws one model into the bound framebuffer's viewport under a perspective
// camera, with the GL state of the game's mesh pass: back faces culled,
// counter-clockwise fronts, depth test on. The model is scaled to fit the
// viewport and turned by `yaw` about y, then tipped by `pitch` about x.
//
// Ownership: owns its program and buffers. Threads: the thread whose GL
// context is current.
class ModelView {
public:
    ModelView();
    ~ModelView();
    ModelView(const ModelView&) = delete;
    ModelView& operator=(const ModelView&) = delete;

    // Lit warm to cool as the mesh pass lights the cursor, material 0.
    void draw(const ModelMesh& mesh, float yaw, float pitch);

private:
    GLuint program = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
};

} // namespace VelmoraBundle
