#pragma once

#include "engine/InitProtocol.h"
#include "engine/PVRTMatrix.h"

#include <GLES2/gl2.h>

#include <initializer_list>
#include <memory>
#include <vector>

namespace ZQ {

class ShaderProgram;

// The names of one member of a uniform array, "array[i].member" for each
// element i: built once at set-up, kept on the heap for the program's life,
// and registered under these copies' addresses, so draw-time lookups go
// through names()[i].
class ElementNames {
public:
    void build(const char* array, const char* member, int count);
    const char* operator[](int element) const;
    int size() const { return static_cast<int>(names.size()); }

private:
    std::vector<std::unique_ptr<char[]>> names;
};

// A shader program as the passes see it: its GL program holder and the
// matrices every program keeps. World units are pixels; with the default
// view the eye sits at (W/2, H/2, H + 1) looking down -z at the screen
// rectangle [0, W] x [0, H] in the plane z = 0.
//
// Created zero-filled (all matrices zero) by its pass; setUp (GL context
// current) makes the holder and fills the matrices, tearDown frees the holder.
// Main thread only.
class RenderProgram : public InitProtocol {
public:
    RenderProgram() = default;
    RenderProgram(const RenderProgram&) = delete;
    RenderProgram& operator=(const RenderProgram&) = delete;

    void setUp() override = 0;
    // Frees the holder, which deletes the GL program.
    void tearDown() override;
    virtual ~RenderProgram();
    // glUseProgram, then enable and point each attribute.
    virtual void use() {}
    // Stores m as the model matrix; uploads nothing.
    virtual void setModelMatrix(const float m[16]);
    virtual void setUniforms() {}
    // Disables the attribute arrays.
    virtual void unuse() {}

    // The view of the default camera: a translation by (0, 0, -1). Its
    // perspective and centring are the scene's (MathHelpers).
    static PVRTMat4 defaultView();

    // Upper-left 3x3 of the inverse transpose of an affine model-view matrix,
    // column-major for glUniformMatrix3fv. A singular matrix (scale 0 while an
    // item pops in) gives the identity rather than garbage.
    static void normalMatrix(float out[9], const PVRTMat4& modelView);

    // The scene camera's matrices for this frame: V from the camera model, P
    // and C from the screen, and cameraMatrix = P·V·C. The camera moves
    // between frames, so a program drawing in the scene asks each time.
    void followSceneCamera();

    ShaderProgram* shader = nullptr;
    PVRTMat4 viewMatrix;       // V
    PVRTMat4 projectionMatrix; // P
    PVRTMat4 centringMatrix;   // C
    PVRTMat4 modelMatrix;      // M
    PVRTMat4 cameraMatrix;     // P·V·C

protected:
    // The set-up every program follows: make the holder, build the sources,
    // register the uniforms then the attributes in the order given, then fill
    // the matrices for the engine's screen size and field of view.
    void setUpShader(const char* className, bool header, const char* vertexSource, const char* fragmentSource,
                     std::initializer_list<const char*> uniforms,
                     std::initializer_list<const char*> attributes);
    void registerElements(const ElementNames& names);
    void fillMatrices();

    // The uniforms of a model lit by the scene's light, for the model matrix
    // set: u_modelViewProjectionMatrix, u_MVMatrix, u_NMatrix (the inverse of
    // MV, transposed into the 3x3) and u_lightPos (the light in eye space).
    // Returns V·C, the eye space the light was carried into. A model of
    // scale 0 (popping in) has no inverse: it covers no pixel then, and the
    // identity keeps NaN out of the upload.
    PVRTMat4 uploadLitModel() const;

    static void uniform3(GLint location, const PVRTVec3& v);
};

} // namespace ZQ
