#pragma once

#include "engine/PVRTMatrix.h"

#include <GLES2/gl2.h>

namespace ZQ {

// The tube meshes (cords, braids) are wound counter-clockwise seen from
// outside, but the look-at of the scene camera and of the light mirrors x,
// which turns every triangle's winding round on the screen. A pass that culls
// faces of such a mesh draws it with the front-face winding given here.

// True when the matrix's upper 3x3 turns right-handed axes into left-handed
// ones.
bool mirrors(const PVRTMat4& view);

// The winding of a mesh's outside through `view`: GL_CW when the view
// mirrors, GL_CCW otherwise.
GLenum outsideWinding(const PVRTMat4& view);

} // namespace ZQ
