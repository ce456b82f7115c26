#pragma once

#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

// Screen projection, matrix inverses, a small linear solver and quaternion
// blending. Everything works on the stack in single precision and reports no
// errors; the notes below say what each one does with degenerate input.

namespace ZQ {

// Single-precision turns, as every angle table and manoeuvre writes them.
inline constexpr float kPi = 3.1415927f;
inline constexpr float kTwoPi = 6.2831855f;
inline constexpr float kHalfPi = 1.5707964f;

// The scene camera for a W x H screen, shared by projection and the render
// programs. The centring puts the screen's bottom-left corner at the origin,
// looked at from one screen height away: a translation by (-W/2, -H/2, -H).
// The perspective has the vertical field of view ZQ::gFieldOfView, aspect
// W/H, near plane 1.5 and far plane 3H.
PVRTMat4 sceneCentring(float w, float h);
PVRTMat4 scenePerspective(float w, float h);

// Normalised device coordinates of the world point p seen through `view`:
// the point is first offset by (-W/2, -H/2, -H), W x H being the engine
// globals' screenSize, then viewed, then projected with the camera's
// perspective (field of view ZQ::gFieldOfView, near 1.5, far 3H) or, when
// `orthographic` is set, an orthographic box of the screen size. Pixels with a
// bottom-left origin are ((x * 0.5 + 0.5) * W, (y * 0.5 + 0.5) * H).
PVRTVec2 projectPoint(const PVRTMat4& view, const PVRTVec3& p, bool orthographic);

// The world point at pixel (x, y) (bottom-left origin) and normalised device
// depth `depth` (-1 near plane, 1 far plane) under the perspective of
// projectPoint: its inverse. Unprojecting depth 0 and depth 1 gives a line of
// sight.
PVRTVec3 unprojectPoint(PVRTMat4 view, float x, float y, float depth);

// Inverse of an affine matrix (last row 0, 0, 0, 1).
// When the upper-left 3x3 block is singular (a scale of 0, as pop-in animations
// pass through) `out` is LEFT UNTOUCHED: callers must hand in an output that
// already holds a defined matrix (identity, or last frame's inverse) and never
// an uninitialised one.
void matrixInverseAffine(PVRTMat4& out, const PVRTMat4& in);

// Solves n equations in n unknowns. rows[j] points at n + 1 floats
// (b_j, c_j1, ..., c_jn) meaning b_j = c_j1 res[0] + ... + c_jn res[n - 1].
// The rows are overwritten: pass scratch copies. A singular system is not
// detected and gives non-finite results.
void linearEqSolve(float* res, float** rows, int n);

// Inverse of a general 4x4 matrix, built column by column with linearEqSolve.
// No singularity test: a singular matrix gives non-finite entries.
void inverseMatrix4x4(PVRTMat4& out, const PVRTMat4& in);

// Spherical interpolation from q0 (t = 0) to q1 (t = 1) along the shorter arc,
// normalised. A t outside [0, 1] gives the identity rather than extrapolating.
void quaternionSlerp(PVRTQuaternion& out, const PVRTQuaternion& q0, PVRTQuaternion q1, float t);

// Rotations by angle a as the scene items' layouts turn, by columns: about x
// (1, 0, 0), (0, cos a, -sin a), (0, sin a, cos a); likewise about y and z.
PVRTMat4 rotationX(float a);
PVRTMat4 rotationY(float a);
PVRTMat4 rotationZ(float a);

// Hamilton product a * b, normalised (unless it has zero length).
void quaternionMultiply(PVRTQuaternion& out, const PVRTQuaternion& a, const PVRTQuaternion& b);

} // namespace ZQ
