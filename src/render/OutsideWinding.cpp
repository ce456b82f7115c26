#include "render/OutsideWinding.h"

namespace ZQ {

bool mirrors(const PVRTMat4& m) {
    const float det = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
                      m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                      m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    return det < 0.0f;
}

GLenum outsideWinding(const PVRTMat4& view) {
    return mirrors(view) ? GL_CW : GL_CCW;
}

} // namespace ZQ
